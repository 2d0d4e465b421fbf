# StrovidApi.dll: the same library under its second name, for the browser control's
# bundle. Its export list is Strovid.def's, so the two never drift apart.
file(READ ${CMAKE_CURRENT_SOURCE_DIR}/Strovid.def strovid_def)
string(REPLACE "LIBRARY Strovid.dll" "LIBRARY StrovidApi.dll" strovid_api_def "${strovid_def}")
file(GENERATE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/StrovidApi.def CONTENT "${strovid_api_def}")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  ${CMAKE_CURRENT_SOURCE_DIR}/Strovid.def)
dvr_win_library(StrovidApi SHARED SOURCES $<TARGET_OBJECTS:strovid_dll_main> DEF ${CMAKE_CURRENT_BINARY_DIR}/StrovidApi.def
  LIBS "$<LINK_LIBRARY:WHOLE_ARCHIVE,strovid_core>")
