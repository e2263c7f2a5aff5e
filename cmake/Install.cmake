# What `cmake --install` puts where (GNU layout): the two programs, their manual pages and
# completion, and for the window its desktop entry, icons and AppStream metadata.
include(GNUInstallDirs)
# Folders made by the install are 0755 whatever the umask, as packages need them.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(TACETIX_APP_ID org.tacetix.Tacetix)
set(TACETIX_DATA ${PROJECT_SOURCE_DIR}/data)
set(TACETIX_GENERATED ${PROJECT_BINARY_DIR}/data)

install(TARGETS tacetix-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Manual pages go in compressed (gzip -n: no name or time stamp, so builds are repeatable).
# A page is installed once its source exists.
set(manPages "")
foreach(page tacetix tacetix-cli)
  set(source ${PROJECT_SOURCE_DIR}/docs/man/${page}.1)
  if(EXISTS ${source} AND (TARGET ${page}))
    set(compressed ${TACETIX_GENERATED}/man/${page}.1.gz)
    add_custom_command(OUTPUT ${compressed}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${TACETIX_GENERATED}/man
      COMMAND gzip -9n -c ${source} > ${compressed}
      DEPENDS ${source} VERBATIM)
    list(APPEND manPages ${compressed})
    install(FILES ${compressed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endif()
endforeach()
add_custom_target(tacetix_man ALL DEPENDS ${manPages})

if(EXISTS ${PROJECT_SOURCE_DIR}/scripts/completion/tacetix-cli)
  install(FILES ${PROJECT_SOURCE_DIR}/scripts/completion/tacetix-cli
          DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
endif()

# The licence as a Debian copyright file (the MIT licence is "Expat" there) and the release
# in Debian's changelog form; both are read by whoever installed the package.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence)
string(REGEX REPLACE "^MIT License\n\nCopyright \\(c\\) ([^\n]*)\n\n" "" licenceTerms "${licence}")
set(TACETIX_COPYRIGHT_HOLDERS ${CMAKE_MATCH_1})
if(NOT TACETIX_COPYRIGHT_HOLDERS)
  message(FATAL_ERROR "LICENSE no longer starts with the MIT title and one copyright line")
endif()
string(REGEX REPLACE "\n+$" "" licenceTerms "${licenceTerms}")
string(REPLACE "\n\n" "\n.\n" licenceTerms "${licenceTerms}")
string(REPLACE "\n" "\n " TACETIX_LICENCE_TERMS " ${licenceTerms}")
configure_file(${TACETIX_DATA}/debian/copyright.in ${TACETIX_GENERATED}/copyright @ONLY)
execute_process(COMMAND date -u -R -d "${TACETIX_RELEASE_DATE} 12:00"
                OUTPUT_VARIABLE TACETIX_RELEASE_TIME OUTPUT_STRIP_TRAILING_WHITESPACE)
configure_file(${TACETIX_DATA}/debian/changelog.in ${TACETIX_GENERATED}/changelog @ONLY)
execute_process(COMMAND gzip -9n -c ${TACETIX_GENERATED}/changelog OUTPUT_FILE ${TACETIX_GENERATED}/changelog.gz)
# In the package's name, lower case, where Debian looks for them (DOCDIR would say "Tacetix").
install(FILES ${TACETIX_GENERATED}/copyright ${TACETIX_GENERATED}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/tacetix)

if(NOT TARGET tacetix)
  return()
endif()
install(TARGETS tacetix RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${TACETIX_DATA}/${TACETIX_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(${TACETIX_DATA}/${TACETIX_APP_ID}.metainfo.xml.in ${TACETIX_GENERATED}/${TACETIX_APP_ID}.metainfo.xml @ONLY)
install(FILES ${TACETIX_GENERATED}/${TACETIX_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The icon: the SVG, and PNGs rendered from it for desktops and sizes that want pixels.
set(iconRoot ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
set(svgIcon ${TACETIX_DATA}/${TACETIX_APP_ID}.svg)
install(FILES ${svgIcon} DESTINATION ${iconRoot}/scalable/apps)
find_program(RSVG_CONVERT rsvg-convert)
if(NOT RSVG_CONVERT)
  message(STATUS "rsvg-convert not found (Debian package librsvg2-bin): only the SVG icon is installed")
  return()
endif()
set(pngIcons "")
foreach(size 16 22 24 32 48 64 128 256)
  set(png ${TACETIX_GENERATED}/icons/${size}x${size}/${TACETIX_APP_ID}.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${TACETIX_GENERATED}/icons/${size}x${size}
    COMMAND ${RSVG_CONVERT} --width=${size} --height=${size} --output=${png} ${svgIcon}
    DEPENDS ${svgIcon} VERBATIM)
  list(APPEND pngIcons ${png})
  install(FILES ${png} DESTINATION ${iconRoot}/${size}x${size}/apps)
endforeach()
add_custom_target(tacetix_icons ALL DEPENDS ${pngIcons})
