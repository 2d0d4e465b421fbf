# The control's windows that talk to a host or stand alone: the settings dialog, built from the
# host's dialog and UDP units with the control's records.
set(h ${CMAKE_SOURCE_DIR}/host)
set_source_files_properties(
  ${h}/engine/U_AlarmSet.cpp ${h}/engine/U_YunTaiSet.cpp ${h}/engine/U_WindowTimer.cpp
  PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)

# The request socket, reply reader and alarm listener of the host, with the control's records:
# the settings replies of the host's longer layouts are dropped by length.
dvr_win_library(vantrel_webctl_udp STATIC
  SOURCES ${h}/net/U_UDPMessages.cpp ${h}/net/U_UDPMessageDispatch.cpp ${h}/net/U_UDPReplyRouter.cpp
          ${h}/net/U_UDPSocket.cpp ${h}/net/U_UDPMessageServer.cpp ${h}/net/U_UDPMessageClient.cpp
          ${h}/net/U_UDPReplyWindows.cpp ${h}/engine/U_WindowTimer.cpp
  LIBS vantrel_webctl_settings vantrel_webctl_records dvr_common_win ws2_32 user32)

# The host's work log and its writer thread, kept in the control's own folder.
dvr_win_library(vantrel_webctl_worklog STATIC
  SOURCES ${h}/engine/U_WorkLog.cpp ${h}/engine/T_ThreadWriteLogRecord.cpp
  LIBS vantrel_webctl_storage vantrel_webctl_settings dvr_common_win)

# The host's settings dialog in its remote mode, over the control's settings objects.
dvr_win_library(vantrel_webctl_settings_dialog STATIC
  SOURCES F_ControlSettings.cpp U_ControlUdp.cpp
          ${h}/ui/F_SysteSetForm.cpp ${h}/engine/U_AlarmSet.cpp ${h}/engine/U_AutoSet.cpp
          ${h}/engine/U_YunTaiSet.cpp ${h}/engine/U_DogSet.cpp ${h}/engine/U_DogSetDefaults.cpp
          ${h}/engine/U_User.cpp ${h}/engine/U_ClientCheckSet.cpp
  LIBS vantrel_webctl_udp vantrel_webctl_worklog vantrel_webctl_storage vantrel_webctl_settings dvr_framework_ui
       comctl32 comdlg32 winmm)
# Host units from several folders side by side: their file-local names clash in one batch.
set_target_properties(vantrel_webctl_udp vantrel_webctl_settings_dialog PROPERTIES UNITY_BUILD OFF)

# The host's message server as a program of its own, for the tests of the control's windows.
# It writes the host's stored settings: every test that starts it takes the registry lock.
add_executable(host_message_peer host_message_peer.cpp)
target_include_directories(host_message_peer PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(host_message_peer PRIVATE vantrel_net_replay vantrel_udp vantrel_engine_periph
  vantrel_engine_alarm vantrel_engine)
set_target_properties(host_message_peer PROPERTIES UNITY_BUILD OFF)

dvr_test(webctl_settings_dialog_tests SOURCES F_ControlSettings_test.cpp
  LIBS vantrel_webctl_settings_dialog DISPLAY REGISTRY)
add_dependencies(webctl_settings_dialog_tests host_message_peer)

# The host's local replay window and engine over the control's own recordings, playing through
# the player library under its second name.
dvr_win_library(vantrel_webctl_replay STATIC
  SOURCES ${h}/ui/U_ReplayRules.cpp ${h}/ui/U_Replay.cpp ${h}/ui/T_ThreadSearchCaptureFile.cpp
          ${h}/ui/T_ThreadBackup.cpp ${h}/ui/T_ThreadReplayVideoCapture.cpp
          ${h}/ui/U_StrovidReplayPlayer.cpp ${h}/ui/U_MPG4_REPLAY_API.cpp
          ${h}/ui/F_BackupForm.cpp ${h}/ui/F_ReplayVideoCaptureForm.cpp ${h}/ui/F_RegionZoomForm.cpp
          ${h}/ui/F_ReplayForm.cpp ${h}/ui/F_ShowBMP.cpp ${h}/ui/F_ReplayForCaptureBMP.cpp
          ${h}/ui/U_ListSort.cpp F_ControlReplay.cpp
  LIBS vantrel_webctl_storage vantrel_webctl_settings dvr_stream_format dvr_framework_ui
       dvr_common_win user32 gdi32 winspool $<TARGET_LINKER_FILE:StrovidApi>)
add_dependencies(vantrel_webctl_replay StrovidApi)
set_target_properties(vantrel_webctl_replay PROPERTIES UNITY_BUILD OFF)
dvr_test(webctl_replay_tests SOURCES F_ControlReplay_test.cpp
  LIBS vantrel_webctl_replay vantrel_webctl_storage DISPLAY TIMEOUT 300)
add_dependencies(webctl_replay_tests StrovidApi)

# The host's file-transfer window with the control's differences.
dvr_win_library(vantrel_webctl_transfer STATIC
  SOURCES ${h}/net/F_SendAndReceiveFile.cpp ${h}/net/U_FileTransfer.cpp ${h}/net/T_ThreadSendFile.cpp
          ${h}/net/U_MsgSocket.cpp ${h}/net/U_NetTransferTexts.cpp
  LIBS vantrel_webctl_udp dvr_framework_ui dvr_common_win ws2_32 user32)
set_target_properties(vantrel_webctl_transfer PROPERTIES UNITY_BUILD OFF)
dvr_test(webctl_transfer_tests SOURCES F_ControlTransfer_test.cpp
  LIBS vantrel_webctl_transfer DISPLAY REGISTRY TIMEOUT 300)
add_dependencies(webctl_transfer_tests host_message_peer)

# The host's voice broadcast: the sound devices, their threads and the window, coding speech
# through the outside codec.
dvr_win_library(vantrel_webctl_voice STATIC
  SOURCES ${h}/net/F_NetTalk.cpp ${h}/net/F_NetTalkWindow.cpp ${h}/net/U_WaveIn.cpp
          ${h}/net/U_WaveOut.cpp ${h}/net/T_ThreadWaveIn.cpp ${h}/net/T_ThreadWaveOut.cpp
          ${h}/net/U_SocketNotify.cpp
  LIBS vantrel_webctl_netclient vantrel_webctl_settings vantrel_netsvc_core dvr_framework_ui
       dvr_common_win G729Dll winmm ws2_32 user32)
set_target_properties(vantrel_webctl_voice PROPERTIES UNITY_BUILD OFF)

# The host's remote replay and download window: recordings of a host searched, played and
# fetched over its replay port, played through the player library under its second name.
dvr_win_library(vantrel_webctl_remote_replay STATIC
  SOURCES ${h}/net/F_RemoteReplayWindow.cpp ${h}/net/F_RemoteReplayPlay.cpp ${h}/net/F_RemoteReplayForm.cpp
          ${h}/net/T_ThreadRemotePlayExtractFileInfo.cpp ${h}/net/U_RemoteReplayPlayback.cpp
          ${h}/net/U_StrovidStreamPorts.cpp ${h}/net/U_RemoteReplayProtocol.cpp
          ${h}/net/U_RemoteReplayQueues.cpp ${h}/net/U_RemoteHosts.cpp
  LIBS vantrel_webctl_transfer vantrel_webctl_replay dvr_framework_ui dvr_common_win comdlg32
       $<TARGET_LINKER_FILE:StrovidApi>)
add_dependencies(vantrel_webctl_remote_replay StrovidApi)
set_target_properties(vantrel_webctl_remote_replay PROPERTIES UNITY_BUILD OFF)
dvr_test(webctl_remote_replay_tests SOURCES F_ControlRemoteReplay_test.cpp
  LIBS vantrel_webctl_remote_replay DISPLAY REGISTRY TIMEOUT 300)
add_dependencies(webctl_remote_replay_tests host_message_peer StrovidApi)

# The menus' other windows: the host-group dialog and the host search, the local and remote work
# logs and disk views, and the remote control window, from the host's sources.
dvr_win_library(vantrel_webctl_menu_windows STATIC
  SOURCES U_MenuWindows.cpp ${h}/ui/F_RemoteCtrl.cpp ${h}/ui/F_RemoteDiskViewForm.cpp
          ${h}/ui/F_RemoteWorkLogForm.cpp ${h}/ui/F_WorkLogForm.cpp ${h}/ui/F_DiskView.cpp
          ${h}/net/F_SearchServerForm.cpp ${h}/net/F_SearchServerWindow.cpp
  LIBS vantrel_webctl_maps vantrel_webctl_settings_dialog vantrel_webctl_voice vantrel_webctl_worklog
       vantrel_dialogs_core vantrel_netsvc_core dvr_framework_ui dvr_common_win comctl32 winspool gdi32)
set_target_properties(vantrel_webctl_menu_windows PROPERTIES UNITY_BUILD OFF)

# The host's alarm sounds, played from the control's folder.
dvr_win_library(vantrel_webctl_alarm_audio STATIC
  SOURCES ${h}/engine/T_ThreadAlarmAudio.cpp ${h}/engine/U_PlaySoundPlayer.cpp
  LIBS vantrel_webctl_settings dvr_common_win winmm)
