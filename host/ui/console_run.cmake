# The console driven on the whole host in its own process.
if(DVR_WINDOWS)
  dvr_test(host_console_run_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/U_ConsoleRun_test.cpp
    LIBS vantrel_ui vantrel_console_res DISPLAY TIMEOUT 200 REGISTRY)
  add_dependencies(host_console_run_tests vantrel_sim_firmware Strovid Brevix32)
  set_property(TEST host_console_run_tests APPEND PROPERTY RESOURCE_LOCK vantrel_program)
endif()
