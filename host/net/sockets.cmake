# Socket objects of the live video path and the live channel protocol. The protocol's records
# build in both trees; the sockets are Windows only.
dvr_library(vantrel_live_protocol
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/U_LiveProtocol.cpp
  LIBS dvr_common)
dvr_fuzz(fuzz_live_request SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_live_request.cpp
  LIBS vantrel_live_protocol)

if(DVR_WINDOWS)
  dvr_win_library(vantrel_sockets STATIC
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/U_SocketThread.cpp ${CMAKE_CURRENT_LIST_DIR}/U_WinSocket.cpp
            ${CMAKE_CURRENT_LIST_DIR}/U_TCPServer.cpp ${CMAKE_CURRENT_LIST_DIR}/U_TCPClient.cpp
            ${CMAKE_CURRENT_LIST_DIR}/U_TCPConnecter.cpp ${CMAKE_CURRENT_LIST_DIR}/U_NetSentBytes.cpp
    LIBS vantrel_live_protocol vantrel_engine_core dvr_common_win ws2_32)
  dvr_test(host_sockets_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/U_WinSocket_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/U_LiveProtocol_test.cpp
    LIBS vantrel_sockets TIMEOUT 120)
else()
  dvr_test(host_sockets_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/U_LiveProtocol_test.cpp
    LIBS vantrel_live_protocol)
endif()
