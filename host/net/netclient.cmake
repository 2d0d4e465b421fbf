# Network channels: other hosts' live channels connected, played in the slot's player port and
# recorded into the slot's file. Windows only.
if(DVR_WINDOWS AND TARGET vantrel_engine_recording)
  dvr_win_library(vantrel_netclient STATIC
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/U_TCPDataClient.cpp
            ${CMAKE_CURRENT_LIST_DIR}/T_ThreadOpenTCPDataClient.cpp
            ${CMAKE_CURRENT_LIST_DIR}/U_NetClient.cpp
    LIBS vantrel_sockets vantrel_udp_core vantrel_engine vantrel_engine_recording
         $<TARGET_LINKER_FILE:Strovid>)
  # The player library through its import table; its static core stays inside the DLL.
  add_dependencies(vantrel_netclient Strovid)
  if(TARGET vantrel_live_engine)
    dvr_test(host_netclient_tests
      SOURCES ${CMAKE_CURRENT_LIST_DIR}/U_NetClient_test.cpp
      LIBS vantrel_recording_testing vantrel_netclient vantrel_live_engine Brevix32 sim_board_core dvr_stream_format dvr_adpcm
      TIMEOUT 300)
  endif()
endif()
