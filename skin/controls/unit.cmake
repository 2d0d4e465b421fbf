# The combo box, the message-box component, the in-place scroll bar and the controls
# unit's start and end (above the skinned form, which the combo box and the message box
# use).
if(DVR_WINDOWS AND TARGET dvr_skin_form AND TARGET dvr_skin_controls_res)
  target_sources(dvr_skin_controls PRIVATE ${CMAKE_CURRENT_LIST_DIR}/te_inplacescrollbar.cpp)
  dvr_win_library(dvr_skin_unit STATIC
    SOURCES te_combobox.cpp te_message.cpp te_controls_unit.cpp
    LIBS dvr_skin_form)
  dvr_test(skin_unit_tests
    SOURCES te_lists_test_support.cpp te_combobox_test.cpp te_message_test.cpp
            te_controls_unit_test.cpp
    LIBS dvr_skin_unit dvr_skin_se3 dvr_skin_controls_res comctl32 DISPLAY)
  # Clicks, types and takes the focus on the shared display.
  dvr_test_alone(skin_unit_tests)
endif()
