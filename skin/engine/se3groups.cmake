# The skin theme's control groups beyond the form, hint, button, check box, progress and
# status bar ones: their own sources and test program.
if(DVR_WINDOWS AND TARGET dvr_skin_se3)
  target_sources(dvr_skin_se3 PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/theme_se3groups.cpp ${CMAKE_CURRENT_LIST_DIR}/theme_se3lists.cpp)
  dvr_test(skin_se3_groups_tests SOURCES theme_se3groups_test.cpp LIBS dvr_skin_se3)
endif()
