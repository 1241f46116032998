# `cpack` in a build folder makes sorvane_VERSION_ARCH.deb; the libraries it needs
# (the C++ run-time, Qt 6 for the window) are found by dpkg-shlibdeps.
set(CPACK_PACKAGE_NAME sorvane)
set(CPACK_PACKAGE_VENDOR "Sorvane developers")
set(CPACK_PACKAGE_CONTACT "Sorvane developers <sorvane@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Peak-area analysis of gamma-ray spectra")
set(CPACK_PACKAGE_DESCRIPTION
    "Converts raw gamma-ray spectra of many analysers to CHN files and analyses their peaks.\n"
    "Holds the window (sorvane), the command line (sorvanecli) and the analysis runtime\n"
    "(run_Tovalu.exe), with demo spectra in /usr/share/sorvane/demo.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY sorvane)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
