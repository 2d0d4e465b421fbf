# UDP message protocol: records, the server's dispatch, the reply routing and the logic of the
# inspector and the remote alarm list in both trees; sockets, threads and windows for Windows.
set(udp_core_sources
  ${CMAKE_CURRENT_LIST_DIR}/U_UDPMessages.cpp ${CMAKE_CURRENT_LIST_DIR}/U_UDPMessageDispatch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/U_UDPReplyRouter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/U_NetDog.cpp ${CMAKE_CURRENT_LIST_DIR}/U_RemoteAlarmList.cpp)
set(udp_core_tests
  ${CMAKE_CURRENT_LIST_DIR}/U_UDPMessages_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/U_UDPMessageDispatch_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/U_UDPReplyRouter_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/U_NetDog_test.cpp ${CMAKE_CURRENT_LIST_DIR}/U_RemoteAlarmList_test.cpp)

dvr_library(vantrel_udp_core SOURCES ${udp_core_sources} LIBS vantrel_engine_core)
dvr_fuzz(fuzz_udp_messages SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_udp_messages.cpp
  LIBS vantrel_udp_core)
dvr_fuzz(fuzz_udp_replies SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_udp_replies.cpp
  LIBS vantrel_udp_core)

if(DVR_WINDOWS)
  dvr_win_library(vantrel_udp STATIC
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/U_UDPSocket.cpp ${CMAKE_CURRENT_LIST_DIR}/U_UDPMessageServer.cpp
            ${CMAKE_CURRENT_LIST_DIR}/U_UDPMessageClient.cpp
            ${CMAKE_CURRENT_LIST_DIR}/U_UDPServerEngineHost.cpp
            ${CMAKE_CURRENT_LIST_DIR}/U_UDPReplyWindows.cpp
    LIBS vantrel_udp_core vantrel_engine dvr_common_win ws2_32 user32)
  dvr_test(host_udp_tests
    SOURCES ${udp_core_tests} ${CMAKE_CURRENT_LIST_DIR}/U_UDPMessageServer_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/U_UDPServerEngineHost_test.cpp
    LIBS vantrel_udp REGISTRY)
  # Windows of the inspector and the remote alarm list on the component framework.
  dvr_win_library(vantrel_udp_forms STATIC
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/F_RemoteAlarmUpView.cpp ${CMAKE_CURRENT_LIST_DIR}/F_NetDogForm.cpp
    LIBS vantrel_udp_core dvr_framework_ui dvr_common_win)
  dvr_test(host_udp_forms_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/F_RemoteAlarmUpView_test.cpp ${CMAKE_CURRENT_LIST_DIR}/F_NetDogForm_test.cpp
    LIBS vantrel_udp_forms DISPLAY)
  # Alarm subscriptions on the live servers' viewer lists.
  dvr_win_library(vantrel_udp_live STATIC
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/U_UDPAlarmSubscription.cpp LIBS vantrel_live)
  dvr_test(host_udp_live_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/U_UDPAlarmSubscription_test.cpp LIBS vantrel_udp_live)
else()
  dvr_test(host_udp_tests SOURCES ${udp_core_tests} LIBS vantrel_udp_core REGISTRY)
endif()
