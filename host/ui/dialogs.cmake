# The console's dialogs: their rules in both trees, the windows on the component framework.
dvr_library(vantrel_dialogs_core
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/U_SpeedDomeSet.cpp
          ${CMAKE_CURRENT_LIST_DIR}/U_ConsoleDialogRules.cpp
  LIBS vantrel_engine_core dvr_framework)
dvr_test(host_dialogs_core_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/U_SpeedDomeSet_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/U_ConsoleDialogRules_test.cpp
  LIBS vantrel_dialogs_core)

# The windows need the framework's common controls.
if(DVR_WINDOWS AND TARGET dvr_framework_ui AND TARGET vantrel_sockets AND EXISTS ${CMAKE_SOURCE_DIR}/framework/ui/comctrls.h)
  set(_dlg ${CMAKE_CURRENT_LIST_DIR})
  dvr_win_library(vantrel_dialogs STATIC
    SOURCES ${_dlg}/F_Logon.cpp ${_dlg}/F_UserForm.cpp ${_dlg}/F_SelectChannelForm.cpp
            ${_dlg}/F_SelectWeekDay.cpp ${_dlg}/F_WorkLogForm.cpp ${_dlg}/F_DiskView.cpp
            ${_dlg}/F_LocalAlarmOutCtrl.cpp ${_dlg}/F_VideoAlarmAutoFullScreen.cpp
            ${_dlg}/F_ClearDataMSGForm.cpp ${_dlg}/F_About.cpp ${_dlg}/F_SpeedDomeForm.cpp
            ${_dlg}/F_ElectronMapSet.cpp ${_dlg}/F_ConnectionView.cpp
    LIBS vantrel_dialogs_core vantrel_sockets vantrel_engine_periph vantrel_engine_storage vantrel_engine
         dvr_framework_ui comctl32 winspool)
  dvr_test(host_dialogs_tests
    SOURCES ${_dlg}/F_Logon_test.cpp ${_dlg}/F_UserForm_test.cpp
            ${_dlg}/F_WorkLogForm_test.cpp ${_dlg}/F_ConsoleDialogs_test.cpp
            ${_dlg}/F_SpeedDomeForm_test.cpp ${_dlg}/F_ElectronMapSet_test.cpp
            ${_dlg}/F_ConnectionView_test.cpp
    LIBS vantrel_dialogs vantrel_live DISPLAY REGISTRY)
  # Its map and user dialogs store settings the network set-up tests read back.
endif()
