# The bars: control bar, tool bar, status bar and track bar.
if(DVR_WINDOWS AND TARGET dvr_skin_controls)
  dvr_win_library(dvr_skin_bars STATIC
    SOURCES te_barpaint.cpp te_controlbar.cpp te_toolbar.cpp te_statusbar.cpp te_trackbar.cpp
    LIBS dvr_skin_controls)
  if(TARGET dvr_skin_se3)
    dvr_test(skin_bars_tests
      SOURCES te_trackbar_test.cpp te_statusbar_test.cpp te_toolbar_test.cpp te_controlbar_test.cpp
              te_bars_skin_test.cpp
      LIBS dvr_skin_bars dvr_skin_se3 DISPLAY)
    # Moves the real mouse, takes the keyboard focus and reads the screen back: any other
    # program's window on the shared display can take its input or cover it.
    dvr_test_alone(skin_bars_tests)
  endif()
endif()
