# Live video server: per-channel listeners, admission, fan-out with load shedding, senders
# and the sweeper. Windows only; its records are in sockets.cmake.
if(DVR_WINDOWS)
  dvr_win_library(vantrel_live STATIC
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/U_TCPMainConnecter.cpp
            ${CMAKE_CURRENT_LIST_DIR}/U_TCPMainServer.cpp
            ${CMAKE_CURRENT_LIST_DIR}/T_ThreadFreeTCPMainConnecter.cpp
    LIBS vantrel_sockets vantrel_engine)
  dvr_test(host_live_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/U_TCPMainConnecter_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/U_TCPMainServer_test.cpp
    LIBS vantrel_live TIMEOUT 300)
endif()

# The server bound to the real engine objects (board wrapper, recording engine, settings).
if(DVR_WINDOWS AND TARGET vantrel_engine_recording)
  dvr_win_library(vantrel_live_engine STATIC
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/U_LiveHostEngine.cpp
    LIBS vantrel_live vantrel_engine_recording)
  dvr_test(host_live_engine_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/U_LiveHostEngine_test.cpp
    LIBS vantrel_live_engine Brevix32 sim_board_core dvr_stream_format dvr_adpcm
    TIMEOUT 300 REGISTRY)
endif()
