# The console's dialogs: their rules in both trees, the windows on the component framework.
dvr_library(vantrel_dialogs_core
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/U_SpeedDomeSet.cpp
          ${CMAKE_CURRENT_LIST_DIR}/U_ConsoleDialogRules.cpp
  LIBS vantrel_engine_core dvr_framework)
dvr_test(host_dialogs_core_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/U_SpeedDomeSet_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/U_ConsoleDialogRules_test.cpp
  LIBS vantrel_dialogs_core)
