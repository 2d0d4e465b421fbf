# Alarm detection, dispatcher and sounds: the logic in both trees; in the Windows tree also the
# dispatcher's message thread and the PlaySound player.
set(alarm_core_sources
  ${CMAKE_CURRENT_LIST_DIR}/U_AlarmKinds.cpp ${CMAKE_CURRENT_LIST_DIR}/U_Alarm.cpp
  ${CMAKE_CURRENT_LIST_DIR}/U_AlarmDispatcher.cpp ${CMAKE_CURRENT_LIST_DIR}/T_ThreadAlarmAudio.cpp)
set(alarm_core_tests
  ${CMAKE_CURRENT_LIST_DIR}/U_AlarmKinds_test.cpp ${CMAKE_CURRENT_LIST_DIR}/U_Alarm_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/U_AlarmDispatcher_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/T_ThreadAlarmAudio_test.cpp)

if(DVR_WINDOWS)
  dvr_win_library(vantrel_engine_alarm STATIC
    SOURCES ${alarm_core_sources} ${CMAKE_CURRENT_LIST_DIR}/T_AlarmThreads.cpp
            ${CMAKE_CURRENT_LIST_DIR}/U_PlaySoundPlayer.cpp
    LIBS vantrel_engine_core dvr_common_win winmm user32)
  dvr_test(host_alarm_tests
    SOURCES ${alarm_core_tests} ${CMAKE_CURRENT_LIST_DIR}/T_AlarmThreads_test.cpp
    LIBS vantrel_engine_alarm)
else()
  dvr_library(vantrel_engine_alarm SOURCES ${alarm_core_sources} LIBS vantrel_engine_core)
  dvr_test(host_alarm_tests SOURCES ${alarm_core_tests} LIBS vantrel_engine_alarm)
endif()
