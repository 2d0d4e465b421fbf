# Skin files and the skin object tree: portable, built in both trees; the reader has a
# fuzz target because skin files are untrusted input.
set(skinfile_sources theme_se3objects.cpp theme_se3source.cpp)
set(skinfile_tests theme_se3objects_test.cpp theme_se3source_test.cpp)

if(DVR_WINDOWS)
  dvr_win_library(dvr_skin_file STATIC SOURCES ${skinfile_sources} theme_se3file_win.cpp
    LIBS dvr_skin_core dvr_framework_win)
else()
  dvr_library(dvr_skin_file SOURCES ${skinfile_sources} theme_se3file_std.cpp
    LIBS dvr_skin_core)
  dvr_fuzz(fuzz_skin_file SOURCES fuzz_skin_file.cpp LIBS dvr_skin_file)
endif()
dvr_test(skin_file_tests SOURCES ${skinfile_tests} LIBS dvr_skin_file)

# The skin theme paints the theme interface from a loaded skin.
if(DVR_WINDOWS AND TARGET dvr_skin_theme)
  dvr_win_library(dvr_skin_se3 STATIC SOURCES theme_se3.cpp LIBS dvr_skin_file dvr_skin_theme)
  target_sources(dvr_skin_se3 PRIVATE theme_se3_bars.cpp)
  dvr_test(skin_se3_tests SOURCES theme_se3_test.cpp LIBS dvr_skin_se3)
endif()
