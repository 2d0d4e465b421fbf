# The settings dialog in local and remote mode.
if(DVR_WINDOWS AND TARGET dvr_framework_ui AND TARGET vantrel_udp AND TARGET vantrel_engine_periph
   AND EXISTS ${CMAKE_SOURCE_DIR}/framework/ui/comctrls.h)
  dvr_win_library(vantrel_settings_dialog STATIC
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/F_SysteSetForm.cpp
    LIBS vantrel_udp vantrel_engine_periph vantrel_engine_alarm vantrel_engine dvr_framework_ui
         comctl32 comdlg32)
  if(EXISTS ${CMAKE_CURRENT_LIST_DIR}/F_SysteSetForm_test.cpp)
    dvr_test(host_settings_dialog_tests
      SOURCES ${CMAKE_CURRENT_LIST_DIR}/F_SysteSetForm_test.cpp
      LIBS vantrel_settings_dialog DISPLAY REGISTRY)
  endif()
endif()
