# What `cmake --install` puts where (GNU layout), in two components that become two packages:
# "cli" (tacetix-cli, its manual page and completion, tacetix-merge-reports and the scale-out
# recipes) and "gui" (the window, its manual page, desktop entry, icons and AppStream metadata).
include(GNUInstallDirs)
# Folders made by the install are 0755 whatever the umask, as packages need them.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(TACETIX_APP_ID org.tacetix.Tacetix)
set(TACETIX_DATA ${PROJECT_SOURCE_DIR}/data)
set(TACETIX_GENERATED ${PROJECT_BINARY_DIR}/data)

# A stripped install (cpack, `cmake --install --strip`) drops the compilers' .comment notes too,
# as Debian's own packages do.
function(tacetix_install_program target component)
  install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT ${component})
  set(installed "\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${target}")
  install(CODE "if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment \"${installed}\" COMMAND_ERROR_IS_FATAL ANY)
  endif()" COMPONENT ${component})
endfunction()

tacetix_install_program(tacetix-cli cli)
install(PROGRAMS ${PROJECT_SOURCE_DIR}/scripts/merge-reports DESTINATION ${CMAKE_INSTALL_BINDIR}
        RENAME tacetix-merge-reports COMPONENT cli)

# Manual pages go in compressed (gzip -n: no name or time stamp, so builds are repeatable).
# A page is installed once its source exists.
set(manPages "")
foreach(page tacetix tacetix-cli tacetix-merge-reports)
  set(source ${PROJECT_SOURCE_DIR}/docs/man/${page}.1)
  if(EXISTS ${source} AND (TARGET ${page} OR page STREQUAL "tacetix-merge-reports"))
    set(compressed ${TACETIX_GENERATED}/man/${page}.1.gz)
    add_custom_command(OUTPUT ${compressed}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${TACETIX_GENERATED}/man
      COMMAND gzip -9n -c ${source} > ${compressed}
      DEPENDS ${source} VERBATIM)
    list(APPEND manPages ${compressed})
    set(component cli)
    if(page STREQUAL "tacetix")
      set(component gui)
    endif()
    install(FILES ${compressed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT ${component})
  endif()
endforeach()
add_custom_target(tacetix_man ALL DEPENDS ${manPages})

if(EXISTS ${PROJECT_SOURCE_DIR}/scripts/completion/tacetix-cli)
  install(FILES ${PROJECT_SOURCE_DIR}/scripts/completion/tacetix-cli
          DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions COMPONENT cli)
endif()

# The licence as a Debian copyright file (the MIT licence is "Expat" there), CHANGELOG.md as
# the upstream changelog and the packaging's own entry in Debian's changelog form: the packages
# are revision TACETIX_DEBIAN_REVISION of the upstream version, so the two are apart.
set(TACETIX_DEBIAN_REVISION 1)
file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence)
string(REGEX REPLACE "^MIT License\n\nCopyright \\(c\\) ([^\n]*)\n\n" "" licenceTerms "${licence}")
set(TACETIX_COPYRIGHT_HOLDERS ${CMAKE_MATCH_1})
if(NOT TACETIX_COPYRIGHT_HOLDERS)
  message(FATAL_ERROR "LICENSE no longer starts with the MIT title and one copyright line")
endif()
string(REGEX REPLACE "\n+$" "" licenceTerms "${licenceTerms}")
string(REPLACE "\n\n" "\n.\n" licenceTerms "${licenceTerms}")
string(REPLACE "\n" "\n " TACETIX_LICENCE_TERMS " ${licenceTerms}")
set(TACETIX_COPYRIGHT_SOURCE "")
if(TACETIX_HOMEPAGE)
  set(TACETIX_COPYRIGHT_SOURCE "\nSource: ${TACETIX_HOMEPAGE}")
endif()
configure_file(${TACETIX_DATA}/debian/copyright.in ${TACETIX_GENERATED}/copyright @ONLY)
execute_process(COMMAND date -u -R -d "${TACETIX_PACKAGE_DATE} 12:00"
                OUTPUT_VARIABLE TACETIX_RELEASE_TIME OUTPUT_STRIP_TRAILING_WHITESPACE)
configure_file(${TACETIX_DATA}/debian/changelog.in ${TACETIX_GENERATED}/changelog.Debian @ONLY)
execute_process(COMMAND gzip -9n -c ${TACETIX_GENERATED}/changelog.Debian
                OUTPUT_FILE ${TACETIX_GENERATED}/changelog.Debian.gz)
execute_process(COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/CHANGELOG.md OUTPUT_FILE ${TACETIX_GENERATED}/changelog.gz)
set(packageDocs ${TACETIX_GENERATED}/copyright ${TACETIX_GENERATED}/changelog.gz)
# Each package carries them in its own name's folder, where Debian looks (DOCDIR would say
# "Tacetix"); the README and the scale-out recipes go with the command line.
set(cliDocs ${CMAKE_INSTALL_DATAROOTDIR}/doc/tacetix-cli)
install(FILES ${packageDocs} ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/docs/scale-out.md
        DESTINATION ${cliDocs} COMPONENT cli)
# What only a Debian package is: its own changelog and what lintian is told to leave alone (each
# with its reason in the file). The packages install a component at a time; a whole install
# (`cmake --install`, into /usr/local say) leaves them out.
set(overrides ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides)
function(tacetix_install_debian_files package component)
  install(FILES ${TACETIX_GENERATED}/changelog.Debian.gz DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package}
          COMPONENT ${component} EXCLUDE_FROM_ALL)
  install(FILES ${TACETIX_DATA}/debian/lintian-overrides DESTINATION ${overrides} RENAME ${package}
          COMPONENT ${component} EXCLUDE_FROM_ALL)
endfunction()
tacetix_install_debian_files(tacetix-cli cli)

if(NOT TARGET tacetix)
  return()
endif()
install(FILES ${packageDocs} DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/tacetix COMPONENT gui)
tacetix_install_debian_files(tacetix gui)
tacetix_install_program(tacetix gui)
install(FILES ${TACETIX_DATA}/${TACETIX_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
        COMPONENT gui)
# The homepage and the screenshot published under it only when a distributor names one: no
# address that leads nowhere.
set(TACETIX_METAINFO_HOMEPAGE "")
if(TACETIX_HOMEPAGE)
  string(CONCAT TACETIX_METAINFO_HOMEPAGE
    "  <url type=\"homepage\">${TACETIX_HOMEPAGE}</url>\n"
    "  <screenshots>\n"
    "    <screenshot type=\"default\">\n"
    "      <caption>The file list on the Input page</caption>\n"
    "      <image>${TACETIX_HOMEPAGE}/docs/page-input.png</image>\n"
    "    </screenshot>\n"
    "  </screenshots>\n")
endif()
configure_file(${TACETIX_DATA}/${TACETIX_APP_ID}.metainfo.xml.in ${TACETIX_GENERATED}/${TACETIX_APP_ID}.metainfo.xml @ONLY)
install(FILES ${TACETIX_GENERATED}/${TACETIX_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo
        COMPONENT gui)

# The icon: the SVG, and PNGs rendered from it for desktops and sizes that want pixels.
set(iconRoot ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
set(svgIcon ${TACETIX_DATA}/${TACETIX_APP_ID}.svg)
install(FILES ${svgIcon} DESTINATION ${iconRoot}/scalable/apps COMPONENT gui)
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
  install(FILES ${png} DESTINATION ${iconRoot}/${size}x${size}/apps COMPONENT gui)
endforeach()
add_custom_target(tacetix_icons ALL DEPENDS ${pngIcons})
