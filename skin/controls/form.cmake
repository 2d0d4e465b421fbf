# The skinned form (hook on a form with its own frame) and its option objects.
if(DVR_WINDOWS AND TARGET dvr_skin_bars AND TARGET dvr_skin_se3)
  dvr_win_library(dvr_skin_form STATIC
    SOURCES te_form_options.cpp te_form.cpp te_form_plain.cpp te_form_paint.cpp
            te_form_messages.cpp te_form_states.cpp te_form_theme.cpp
            te_form_sysmenu.cpp te_form_mdi.cpp te_popupmenu.cpp te_menubar.cpp
    LIBS dvr_skin_bars shell32 uxtheme)
  dvr_test(skin_form_tests
    SOURCES te_form_options_test.cpp te_form_test.cpp te_form_theme_test.cpp
    LIBS dvr_skin_form dvr_skin_se3 DISPLAY)
  # Moves the real mouse, takes the foreground, covers the screen with its backdrop and
  # reads the screen back: nothing else may draw on the display meanwhile.
  dvr_test_alone(skin_form_tests)
  # Popup menus, the system menu and the menu bar, driven with the real mouse and keys.
  dvr_test(skin_menu_tests SOURCES te_popupmenu_test.cpp te_menubar_test.cpp
    LIBS dvr_skin_form dvr_skin_se3 DISPLAY)
  dvr_test_alone(skin_menu_tests)
endif()
