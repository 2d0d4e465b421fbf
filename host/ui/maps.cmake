# The electronic map and the station map: their files and alarm matching in both trees, the
# windows on the component framework.
dvr_library(vantrel_maps_core
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/U_ElectronMap.cpp ${CMAKE_CURRENT_LIST_DIR}/U_StationMap.cpp
  LIBS vantrel_engine_core)
dvr_test(host_maps_core_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/U_ElectronMap_test.cpp
  LIBS vantrel_maps_core)

if(DVR_WINDOWS AND TARGET dvr_framework_ui AND TARGET vantrel_dialogs)
  dvr_win_library(vantrel_maps STATIC
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/F_ElectronMap.cpp ${CMAKE_CURRENT_LIST_DIR}/F_MapCtrlForm.cpp
            ${CMAKE_CURRENT_LIST_DIR}/U_PictureFile.cpp
    LIBS vantrel_maps_core vantrel_dialogs dvr_framework_ui dvr_common_win comctl32 comdlg32
         ole32 oleaut32 uuid shell32)
  dvr_test(host_maps_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/F_ElectronMap_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/F_MapCtrlForm_test.cpp
    LIBS vantrel_maps DISPLAY)
endif()
