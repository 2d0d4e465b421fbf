# Serial peripherals, PTZ control and matrix switchers: the logic in both trees; in the Windows
# tree also the registry, remote-access and UPS-line sides.
set(periph_core_sources
  ${CMAKE_CURRENT_LIST_DIR}/U_AlarmDevice.cpp ${CMAKE_CURRENT_LIST_DIR}/T_ThreadHardAlarmIn.cpp
  ${CMAKE_CURRENT_LIST_DIR}/U_YunTai.cpp ${CMAKE_CURRENT_LIST_DIR}/U_GSMCtrl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/T_ThreadSendGSMMsg.cpp ${CMAKE_CURRENT_LIST_DIR}/T_ThreadRasDial.cpp
  ${CMAKE_CURRENT_LIST_DIR}/U_DogSetDefaults.cpp ${CMAKE_CURRENT_LIST_DIR}/U_UPSInfoForm.cpp
  ${CMAKE_CURRENT_LIST_DIR}/U_UPSDog.cpp ${CMAKE_CURRENT_LIST_DIR}/U_MatrixsCtrl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/U_MatrixKeyboard.cpp ${CMAKE_CURRENT_LIST_DIR}/U_RemoteMatrix.cpp)
set(periph_core_tests
  ${CMAKE_CURRENT_LIST_DIR}/U_AlarmDevice_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/T_ThreadHardAlarmIn_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/U_YunTai_test.cpp ${CMAKE_CURRENT_LIST_DIR}/U_GSMCtrl_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/T_ThreadRasDial_test.cpp ${CMAKE_CURRENT_LIST_DIR}/U_UPSDog_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/U_MatrixsCtrl_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/U_MatrixKeyboard_test.cpp)

if(DVR_WINDOWS)
  dvr_win_library(vantrel_engine_periph STATIC
    SOURCES ${periph_core_sources} ${CMAKE_CURRENT_LIST_DIR}/U_DogSet.cpp
            ${CMAKE_CURRENT_LIST_DIR}/U_PeriphWin.cpp ${CMAKE_CURRENT_LIST_DIR}/U_MatrixRelay.cpp
    LIBS vantrel_engine dvr_common_win ws2_32)
  dvr_test(host_periph_tests
    SOURCES ${periph_core_tests} ${CMAKE_CURRENT_LIST_DIR}/U_PeriphWin_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/U_MatrixRelay_test.cpp
    LIBS vantrel_engine_periph REGISTRY)
  add_dependencies(host_periph_tests vantrel_yt_ifo)
else()
  dvr_library(vantrel_engine_periph SOURCES ${periph_core_sources} LIBS vantrel_engine_core)
  dvr_test(host_periph_tests SOURCES ${periph_core_tests} LIBS vantrel_engine_periph REGISTRY)
endif()
