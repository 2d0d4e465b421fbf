# Recording storage: names and lock table in both trees; drives, index and cycling for Windows.
dvr_library(vantrel_storage_core
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/U_StorageNames.cpp ${CMAKE_CURRENT_LIST_DIR}/U_DataLockTable.cpp
  LIBS vantrel_engine_core)

set(storage_core_tests
  ${CMAKE_CURRENT_LIST_DIR}/U_StorageNames_test.cpp ${CMAKE_CURRENT_LIST_DIR}/U_DataLockTable_test.cpp)

if(DVR_WINDOWS)
  dvr_win_library(vantrel_engine_storage STATIC
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/U_DiskAccess.cpp ${CMAKE_CURRENT_LIST_DIR}/U_CaptureFileList.cpp
            ${CMAKE_CURRENT_LIST_DIR}/U_DiskManager.cpp ${CMAKE_CURRENT_LIST_DIR}/U_CaptureDataLocker.cpp
    LIBS vantrel_storage_core vantrel_engine)
  dvr_test(host_storage_tests
    SOURCES ${storage_core_tests} ${CMAKE_CURRENT_LIST_DIR}/U_CaptureFileList_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/U_DiskManager_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/U_CaptureDataLocker_test.cpp
    LIBS vantrel_engine_storage)
else()
  dvr_test(host_storage_tests SOURCES ${storage_core_tests} LIBS vantrel_storage_core)
endif()
