# Windows of the host's network services on the component framework, over their logic.
if(DVR_WINDOWS)
  dvr_win_library(vantrel_net_windows STATIC
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/F_RemoteReplayWindow.cpp
            ${CMAKE_CURRENT_LIST_DIR}/F_RemoteReplayPlay.cpp
            ${CMAKE_CURRENT_LIST_DIR}/F_RemoteUpgradeWindow.cpp
            ${CMAKE_CURRENT_LIST_DIR}/F_SendAndReceiveFile.cpp
    LIBS vantrel_net_replay_player vantrel_replay_forms dvr_framework_ui comdlg32)
  dvr_test(net_windows_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/F_RemoteReplayWindow_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/F_RemoteReplayPlay_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/F_RemoteUpgradeWindow_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/F_SendAndReceiveFile_test.cpp
    LIBS vantrel_net_windows
    TIMEOUT 120)
  add_dependencies(net_windows_tests Strovid)
  dvr_win_library(vantrel_netsvc_windows STATIC
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/F_WebServerWindow.cpp
            ${CMAKE_CURRENT_LIST_DIR}/F_SearchServerWindow.cpp
            ${CMAKE_CURRENT_LIST_DIR}/F_NetTalkWindow.cpp
            ${CMAKE_CURRENT_LIST_DIR}/F_IPPingWindow.cpp
            ${CMAKE_CURRENT_LIST_DIR}/F_PingLogWindow.cpp
    LIBS vantrel_netsvc dvr_framework_ui)
  dvr_test(netsvc_windows_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/F_WebServerWindow_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/F_SearchServerWindow_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/F_NetTalkWindow_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/F_IPPingWindow_test.cpp
    LIBS vantrel_netsvc_windows sim_nameserver
    TIMEOUT 120 REGISTRY)
endif()
