# Sources of the Qt "Logfile Options" dialog, for the GUI target to include; the core
# (src/log/CMakeLists.txt) stays free of Qt.
set(TACETIX_DIALOG_SOURCES ${TACETIX_DIALOG_SOURCES}
  ${CMAKE_CURRENT_LIST_DIR}/unit_LogOptions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/unit_LogOptions.h)
