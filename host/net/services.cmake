# Built-in web server, name-server client, network patrol and voice broadcast.
dvr_library(vantrel_netsvc_core
  SOURCES U_WebContent.cpp U_NameServerRecords.cpp U_NetTalkList.cpp U_PatrolRules.cpp
  LIBS vantrel_engine_core)

set(netsvc_core_tests
  U_WebContent_test.cpp U_NameServerRecords_test.cpp U_NetTalkList_test.cpp)

if(DVR_WINDOWS)
  dvr_test(netsvc_core_tests SOURCES ${netsvc_core_tests} LIBS vantrel_netsvc_core)
else()
  dvr_test(netsvc_core_tests SOURCES ${netsvc_core_tests} LIBS vantrel_netsvc_core)
endif()
