# The host shows and records another host's camera as a network channel (a live server of
# this program on loopback serves it). The host's library is defined after these parts.
if(DVR_WINDOWS AND TARGET vantrel_netclient AND TARGET vantrel_recording_testing)
  dvr_test(host_network_channel_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/U_HostNetChannels_test.cpp
    LIBS vantrel_ui vantrel_recording_testing dvr_stream_format Brevix32 DISPLAY TIMEOUT 300)
  add_dependencies(host_network_channel_tests vantrel_sim_firmware)
  set_tests_properties(host_network_channel_tests PROPERTIES RESOURCE_LOCK vantrel_program)
  # Its own Wine prefix: the host it runs reads every stored setting, and the programs that
  # ran before it in the session's prefix leave theirs (users, servers, groups) behind.
  set_property(TEST host_network_channel_tests APPEND PROPERTY ENVIRONMENT
    "WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix-netchannel")
endif()

# The host without a board cycling over its host groups (serving hosts on loopback).
if(DVR_WINDOWS AND TARGET vantrel_netclient AND TARGET vantrel_recording_testing)
  dvr_test(host_network_cycle_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/U_HostNetCycle_test.cpp
    LIBS vantrel_ui vantrel_recording_testing Brevix32 DISPLAY TIMEOUT 300)
  add_dependencies(host_network_cycle_tests vantrel_sim_firmware)
  set_property(TEST host_network_cycle_tests APPEND PROPERTY RESOURCE_LOCK vantrel_program)
  # Its own Wine prefix: the host reads every stored setting.
  set_property(TEST host_network_cycle_tests APPEND PROPERTY ENVIRONMENT
    "WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix-netcycle")
endif()
