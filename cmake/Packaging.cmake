# `cpack -G DEB` (or the target `package`) in a build folder makes two packages from the install
# components: tacetix-cli_VERSION-1_ARCH.deb, which needs only the C and C++ run-time libraries
# and zlib (the preview's PNG files),
# and tacetix_VERSION-1_ARCH.deb, the window, on top of it. A build without the window makes the
# first alone. dpkg-shlibdeps computes the run-time dependencies.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tacetix)
set(CPACK_PACKAGE_VENDOR "The Tacetix authors")
set(CPACK_PACKAGE_CONTACT "${TACETIX_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TACETIX_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "batch silence trimmer for WAV files")
set(tacetixAbout
    "Tacetix cuts the silence at the beginning and end of WAV recordings, below a\n"
    "threshold or only digital zero, optionally normalises the peak of what is kept\n"
    "and converts the bit depth. It writes new files next to the sources or into\n"
    "another folder, with a spreadsheet-ready log, and never touches the sources.\n")
string(REPLACE ";" "" tacetixAbout "${tacetixAbout}")
if(TACETIX_HOMEPAGE)
  set(CPACK_PACKAGE_HOMEPAGE_URL "${TACETIX_HOMEPAGE}")
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${TACETIX_HOMEPAGE}")
endif()
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${TACETIX_DEBIAN_REVISION})

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL cli)
set(CPACK_DEBIAN_CLI_PACKAGE_NAME tacetix-cli)
set(CPACK_DEBIAN_CLI_DESCRIPTION
    "batch silence trimmer for WAV files (command line)\n${tacetixAbout}\n"
    "This package holds the command line program, tacetix-cli, which runs the\n"
    "batch from scripts and job engines, and tacetix-merge-reports, which joins\n"
    "the reports of runs over the shards of one archive.")
string(REPLACE ";" "" CPACK_DEBIAN_CLI_DESCRIPTION "${CPACK_DEBIAN_CLI_DESCRIPTION}")
set(CPACK_DEBIAN_CLI_PACKAGE_SUGGESTS python3)
# The loudness meter and the FLAC codec; small, and without anything of a desktop.
set(CPACK_DEBIAN_CLI_PACKAGE_DEPENDS "libebur128-1, libflac12")
if(TARGET tacetix)
  list(APPEND CPACK_COMPONENTS_ALL gui)
  set(CPACK_DEBIAN_GUI_PACKAGE_NAME tacetix)
  set(CPACK_DEBIAN_GUI_DESCRIPTION
      "batch silence trimmer for WAV files (desktop program)\n${tacetixAbout}\n"
      "This package holds the desktop program, tacetix.")
  string(REPLACE ";" "" CPACK_DEBIAN_GUI_DESCRIPTION "${CPACK_DEBIAN_GUI_DESCRIPTION}")
  set(CPACK_DEBIAN_GUI_PACKAGE_DEPENDS "tacetix-cli (= ${PROJECT_VERSION}-${TACETIX_DEBIAN_REVISION})")
endif()
include(CPack)
