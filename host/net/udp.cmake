# UDP message protocol: records, the server's dispatch, the reply routing and the logic of the
# inspector and the remote alarm list in both trees; sockets, threads and windows for Windows.
set(udp_core_sources
  ${CMAKE_CURRENT_LIST_DIR}/U_UDPMessages.cpp ${CMAKE_CURRENT_LIST_DIR}/U_UDPMessageDispatch.cpp)
set(udp_core_tests
  ${CMAKE_CURRENT_LIST_DIR}/U_UDPMessages_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/U_UDPMessageDispatch_test.cpp)

dvr_library(vantrel_udp_core SOURCES ${udp_core_sources} LIBS vantrel_engine_core)
dvr_fuzz(fuzz_udp_messages SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_udp_messages.cpp
  LIBS vantrel_udp_core)

if(DVR_WINDOWS)
  dvr_test(host_udp_tests SOURCES ${udp_core_tests} LIBS vantrel_udp_core)
else()
  dvr_test(host_udp_tests SOURCES ${udp_core_tests} LIBS vantrel_udp_core)
endif()
