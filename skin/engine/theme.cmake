# Skin engine: the theme interface and manager, the built-in Flat and OfficeXP themes and
# the theme engine component. The records are portable; the rest draws on framework
# canvases and is Windows-only.
set(skin_theme_portable te_theme_info.cpp)

if(DVR_WINDOWS)
  if(TARGET dvr_skin_canvas)
    dvr_win_library(dvr_skin_theme STATIC
      SOURCES ${skin_theme_portable} te_theme.cpp theme_flat.cpp theme_officexp.cpp te_engine.cpp
      LIBS dvr_skin_canvas dvr_framework_ui)
    dvr_test(skin_theme_win_tests
      SOURCES te_theme_test.cpp theme_flat_test.cpp te_engine_test.cpp
      LIBS dvr_skin_theme)
  endif()
else()
  dvr_library(dvr_skin_theme_info SOURCES ${skin_theme_portable})
  dvr_test(skin_theme_info_tests SOURCES te_theme_info_test.cpp LIBS dvr_skin_theme_info)
endif()
