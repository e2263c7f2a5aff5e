# `cpack -G DEB` (or the target `package`) in a build folder makes tacetix_VERSION_ARCH.deb
# from the install rules; dpkg-shlibdeps computes its run-time dependencies.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tacetix)
set(CPACK_PACKAGE_VENDOR "The Tacetix authors")
set(CPACK_PACKAGE_CONTACT "The Tacetix authors <tacetix@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "batch silence trimmer for WAV files")
set(CPACK_PACKAGE_DESCRIPTION
    "Tacetix cuts the silence at the beginning and end of WAV recordings, below a\n"
    "threshold or only digital zero, optionally normalises the peak of what is kept\n"
    "and converts the bit depth. It writes new files next to the sources or into\n"
    "another folder, with a spreadsheet-ready log, and never touches the sources.\n"
    "\n"
    "The package holds the desktop program (tacetix) and the command line program\n"
    "(tacetix-cli), which runs the same batch from scripts.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGE_HOMEPAGE_URL https://tacetix.example.org)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
