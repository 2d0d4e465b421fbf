# The remote control windows: pure clients of the UDP message protocol.
if(DVR_WINDOWS AND TARGET dvr_framework_ui AND TARGET vantrel_udp)
  dvr_win_library(vantrel_remote_windows STATIC
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/F_RemoteCtrl.cpp ${CMAKE_CURRENT_LIST_DIR}/F_RemoteDiskViewForm.cpp
            ${CMAKE_CURRENT_LIST_DIR}/F_RemoteCtrlAlarmBox.cpp ${CMAKE_CURRENT_LIST_DIR}/F_RemoteWorkLogForm.cpp
    LIBS vantrel_udp vantrel_engine dvr_framework_ui comctl32 winspool gdi32)
  dvr_test(host_remote_windows_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/F_RemoteCtrl_test.cpp
    LIBS vantrel_remote_windows DISPLAY TIMEOUT 120)
endif()
