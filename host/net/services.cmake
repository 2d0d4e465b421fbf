# Built-in web server, name-server client, network patrol and voice broadcast.
dvr_library(vantrel_netsvc_core
  SOURCES U_WebContent.cpp U_NameServerRecords.cpp U_NetTalkList.cpp U_PatrolRules.cpp
  LIBS vantrel_engine_core)

set(netsvc_core_tests
  U_WebContent_test.cpp U_NameServerRecords_test.cpp U_NetTalkList_test.cpp)

dvr_test(netsvc_core_tests SOURCES ${netsvc_core_tests} LIBS vantrel_netsvc_core)
dvr_fuzz(fuzz_netsvc_texts SOURCES fuzz_netsvc_texts.cpp LIBS vantrel_netsvc_core)
dvr_fuzz(fuzz_name_server SOURCES fuzz_name_server.cpp LIBS vantrel_netsvc_core)

if(DVR_WINDOWS)
  dvr_win_library(vantrel_netsvc STATIC
    SOURCES U_SocketNotify.cpp U_UdpSend.cpp F_WebServerForm.cpp U_NetNameRegistration.cpp
            U_AutoGetRemoterHost.cpp F_SearchServerForm.cpp T_PingThread.cpp F_IPPingForm.cpp
            F_PingLog.cpp U_WaveIn.cpp U_WaveOut.cpp T_ThreadWaveIn.cpp T_ThreadWaveOut.cpp
            F_NetTalk.cpp
    LIBS vantrel_netsvc_core vantrel_engine dvr_common_win G729Dll ws2_32 iphlpapi winmm user32)
  dvr_test(netsvc_web_tests SOURCES F_WebServerForm_test.cpp LIBS vantrel_netsvc TIMEOUT 120 REGISTRY)
  dvr_test(netsvc_nameserver_tests SOURCES U_NameServerClient_test.cpp
    LIBS vantrel_netsvc sim_nameserver TIMEOUT 120 REGISTRY)
  dvr_test(netsvc_patrol_tests SOURCES F_IPPingForm_test.cpp LIBS vantrel_netsvc TIMEOUT 120 REGISTRY)
  dvr_test(netsvc_voice_tests SOURCES F_NetTalk_test.cpp LIBS vantrel_netsvc TIMEOUT 120 REGISTRY)
endif()
