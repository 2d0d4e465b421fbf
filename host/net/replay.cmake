# Remote replay, download, upgrade, file transfer and chat: protocol texts and queue rules in
# both trees; sockets, servers, threads and client logic in the Windows tree.
dvr_library(vantrel_net_replay_core
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/U_RemoteReplayProtocol.cpp
          ${CMAKE_CURRENT_LIST_DIR}/U_RemoteReplayQueues.cpp
          ${CMAKE_CURRENT_LIST_DIR}/U_NetTransferTexts.cpp
          ${CMAKE_CURRENT_LIST_DIR}/U_RemoteHosts.cpp
  LIBS vantrel_replay_core vantrel_engine_core dvr_common)

set(net_replay_core_tests
  ${CMAKE_CURRENT_LIST_DIR}/U_RemoteReplayProtocol_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/U_RemoteReplayQueues_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/U_NetTransferTexts_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/U_RemoteHosts_test.cpp)

dvr_fuzz(fuzz_remote_replay SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_remote_replay.cpp
  LIBS vantrel_net_replay_core)
dvr_fuzz(fuzz_transfer_lines SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_transfer_lines.cpp
  LIBS vantrel_net_replay_core)

if(DVR_WINDOWS)
  dvr_win_library(vantrel_net_replay STATIC
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/U_MsgSocket.cpp
            ${CMAKE_CURRENT_LIST_DIR}/U_TCPRemoteReplayServer.cpp
            ${CMAKE_CURRENT_LIST_DIR}/T_ThreadRemoteReplaySearchCaptureFile.cpp
            ${CMAKE_CURRENT_LIST_DIR}/U_RemoteUpgrade.cpp
            ${CMAKE_CURRENT_LIST_DIR}/T_ThreadSendDataForUpgrade.cpp
            ${CMAKE_CURRENT_LIST_DIR}/T_ThreadSendFile.cpp
            ${CMAKE_CURRENT_LIST_DIR}/U_FileTransfer.cpp
            ${CMAKE_CURRENT_LIST_DIR}/U_NetChat.cpp
            ${CMAKE_CURRENT_LIST_DIR}/F_RemoteReplayForm.cpp
            ${CMAKE_CURRENT_LIST_DIR}/T_ThreadRemotePlayExtractFileInfo.cpp
            ${CMAKE_CURRENT_LIST_DIR}/U_RemoteReplayPlayback.cpp
    LIBS vantrel_net_replay_core vantrel_engine_storage vantrel_engine dvr_common_win ws2_32 user32)
  # The playback's player ports: the player library itself.
  dvr_win_library(vantrel_net_replay_player STATIC
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/U_StrovidStreamPorts.cpp
    LIBS vantrel_net_replay)
  # The import library only, as the local replay's player links it.
  target_link_libraries(vantrel_net_replay_player PUBLIC $<TARGET_LINKER_FILE:Strovid>)
  add_dependencies(vantrel_net_replay_player Strovid)
  # Windows of these services on the component framework.
  dvr_win_library(vantrel_net_replay_forms STATIC
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/F_NetChat.cpp
    LIBS vantrel_net_replay dvr_framework_ui)
  dvr_test(net_replay_forms_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/F_NetChat_test.cpp
    LIBS vantrel_net_replay_forms)
  dvr_test(net_replay_tests
    SOURCES ${net_replay_core_tests}
            ${CMAKE_CURRENT_LIST_DIR}/U_TCPRemoteReplayServer_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/U_TCPRemoteReplayServer_engine_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/U_RemoteUpgrade_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/U_FileTransfer_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/F_RemoteReplayForm_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/U_RemoteReplayPlayback_test.cpp
    LIBS vantrel_net_replay REGISTRY)
else()
  dvr_test(net_replay_tests SOURCES ${net_replay_core_tests} LIBS vantrel_net_replay_core REGISTRY)
endif()
