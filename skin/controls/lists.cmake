# Push buttons, check boxes, list boxes and tab controls: their own sources and tests.
if(DVR_WINDOWS AND TARGET dvr_skin_controls)
  target_sources(dvr_skin_controls PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/te_drawstyle.cpp ${CMAKE_CURRENT_LIST_DIR}/te_button.cpp
    ${CMAKE_CURRENT_LIST_DIR}/te_tabcontrol.cpp ${CMAKE_CURRENT_LIST_DIR}/te_listbox.cpp)
  if(TARGET dvr_skin_se3)
    dvr_test(skin_lists_tests
      SOURCES te_lists_test_support.cpp te_button_test.cpp te_tabcontrol_test.cpp
        te_listbox_test.cpp
      LIBS dvr_skin_controls dvr_skin_se3 DISPLAY)
  endif()
endif()
