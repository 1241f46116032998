# Where `cmake --install` puts the programs: sorvane (when the Qt window is built),
# sorvanecli and run_Tovalu.exe side by side in bin, the demo spectra in
# share/sorvane/demo (sorvanecli looks there from its own folder), and on Linux a
# desktop entry with its icon.
include(GNUInstallDirs)

set(sorvane_programs sorvanecli run_tovalu)
if(TARGET sorvane)
  list(APPEND sorvane_programs sorvane)
endif()
install(TARGETS ${sorvane_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/demo/ DESTINATION ${CMAKE_INSTALL_DATADIR}/sorvane/demo)
if(NOT WIN32)
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/sorvane.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  # The result files' own type, which the desktop entry opens.
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/sorvane-result.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/sorvane.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()
# The gamma-line library the runtime identifies nuclides with (share/sorvane/nuclides).
install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/nuclides/ DESTINATION ${CMAKE_INSTALL_DATADIR}/sorvane/nuclides)
