# Board wrapper and recording engine: value corrections in both trees, board and files for
# Windows.
dvr_library(vantrel_recording_core
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/U_BoardValues.cpp
  LIBS vantrel_engine_core)

if(DVR_WINDOWS)
  dvr_win_library(vantrel_engine_recording STATIC
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/U_VideoCard.cpp ${CMAKE_CURRENT_LIST_DIR}/U_Capture.cpp
    LIBS vantrel_recording_core vantrel_engine_storage $<TARGET_LINKER_FILE:Dorsk>)
  # The library itself, through its import library: its static core stays inside the DLL.
  add_dependencies(vantrel_engine_recording Dorsk)
  target_include_directories(vantrel_engine_recording PUBLIC $<TARGET_PROPERTY:Dorsk,INTERFACE_INCLUDE_DIRECTORIES>)
  # The scripted board's records, for every test program that records (compiled once).
  dvr_win_library(vantrel_recording_testing STATIC
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/recording_script_testing.cpp
    LIBS vantrel_engine_recording sim_board_core dvr_adpcm GTest::gtest)
  dvr_test(host_recording_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/U_BoardValues_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/U_VideoCard_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/U_Capture_test.cpp
    LIBS vantrel_recording_testing vantrel_engine_recording Brevix32 sim_board_core
         dvr_stream_format dvr_adpcm
    TIMEOUT 300)
else()
  dvr_test(host_recording_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/U_BoardValues_test.cpp
    LIBS vantrel_recording_core)
endif()
