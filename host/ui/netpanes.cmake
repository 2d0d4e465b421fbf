# The network panes' menu, region zoom and snapshot.
if(DVR_WINDOWS)
  dvr_win_library(vantrel_net_panes STATIC
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/U_NetPaneActions.cpp
    LIBS vantrel_replay_forms vantrel_engine_storage dvr_framework_ui gdi32 user32)
  dvr_test(host_net_pane_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/U_NetPaneActions_test.cpp
    LIBS vantrel_net_panes DISPLAY)
  add_dependencies(host_net_pane_tests Strovid)
endif()
