# Local replay: the rules in both trees; the replay engine, its search, backup and clip threads
# and their windows in the Windows tree.
dvr_library(vantrel_replay_core
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/U_ReplayRules.cpp
  LIBS vantrel_engine_core dvr_stream_format dvr_common)

if(DVR_WINDOWS)
  dvr_win_library(vantrel_replay STATIC
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/U_Replay.cpp
            ${CMAKE_CURRENT_LIST_DIR}/T_ThreadSearchCaptureFile.cpp
            ${CMAKE_CURRENT_LIST_DIR}/T_ThreadBackup.cpp
            ${CMAKE_CURRENT_LIST_DIR}/T_ThreadReplayVideoCapture.cpp
    LIBS vantrel_replay_core vantrel_engine_storage dvr_framework_ui dvr_common_win user32 gdi32)
  # The engine's player: the player library itself.
  dvr_win_library(vantrel_replay_player STATIC
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/U_StrovidReplayPlayer.cpp
            ${CMAKE_CURRENT_LIST_DIR}/U_MPG4_REPLAY_API.cpp
    LIBS vantrel_replay)
  # The import library only: the DLL's own link brings its whole core along.
  target_link_libraries(vantrel_replay_player PUBLIC $<TARGET_LINKER_FILE:Strovid>)
  add_dependencies(vantrel_replay_player Strovid)
  # The dialogs and small windows around replay.
  dvr_win_library(vantrel_replay_forms STATIC
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/F_BackupForm.cpp
            ${CMAKE_CURRENT_LIST_DIR}/F_ReplayVideoCaptureForm.cpp
            ${CMAKE_CURRENT_LIST_DIR}/F_RegionZoomForm.cpp
            ${CMAKE_CURRENT_LIST_DIR}/F_ReplayForm.cpp
            ${CMAKE_CURRENT_LIST_DIR}/F_ShowBMP.cpp
            ${CMAKE_CURRENT_LIST_DIR}/F_ReplayForCaptureBMP.cpp
            ${CMAKE_CURRENT_LIST_DIR}/U_ListSort.cpp
    LIBS vantrel_replay_player winspool)
  dvr_test(replay_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/U_ReplayRules_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/T_ThreadReplayVideoCapture_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/T_ThreadBackup_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/U_Replay_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/F_ReplayDialogs_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/F_ReplayForm_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/F_ReplayTools_test.cpp
    LIBS vantrel_replay_forms
    TIMEOUT 300)
  add_dependencies(replay_tests Strovid)
else()
  dvr_test(replay_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/U_ReplayRules_test.cpp
    LIBS vantrel_replay_core)
endif()
