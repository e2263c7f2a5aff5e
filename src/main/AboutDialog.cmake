# Sources of the About window, for the GUI target to include.
set(TACETIX_DIALOG_SOURCES ${TACETIX_DIALOG_SOURCES}
  ${CMAKE_CURRENT_LIST_DIR}/unit_About.cpp
  ${CMAKE_CURRENT_LIST_DIR}/unit_About.h)
