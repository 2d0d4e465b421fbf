# Push buttons, check boxes, list boxes and tab controls: their own sources and tests.
if(DVR_WINDOWS AND TARGET dvr_skin_controls)
  target_sources(dvr_skin_controls PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/te_drawstyle.cpp ${CMAKE_CURRENT_LIST_DIR}/te_button.cpp
    ${CMAKE_CURRENT_LIST_DIR}/te_tabcontrol.cpp ${CMAKE_CURRENT_LIST_DIR}/te_listbox.cpp)

  # The controls' bitmap resources (button-kind glyphs, the list's TrueType mark), drawn by
  # a script at build time. Programs link the object library so the resources land in
  # their executable, where the controls look them up.
  enable_language(RC)
  set(te_glyph_dir ${CMAKE_CURRENT_BINARY_DIR}/glyphs)
  set(te_glyph_names te_btn_ok te_btn_cancel te_btn_help te_btn_yes te_btn_no te_btn_close
    te_btn_abort te_btn_retry te_btn_ignore te_btn_all te_list_truetype
    te_form_close te_form_minimize te_form_maximize te_form_restore te_form_rollup te_form_tray)
  set(te_glyph_files)
  set(te_glyph_rc "")
  foreach(n IN LISTS te_glyph_names)
    list(APPEND te_glyph_files ${te_glyph_dir}/${n}.bmp)
    string(TOUPPER ${n} upper)
    string(APPEND te_glyph_rc "${upper} BITMAP \"${te_glyph_dir}/${n}.bmp\"\n")
  endforeach()
  add_custom_command(OUTPUT ${te_glyph_files}
    COMMAND python3 ${CMAKE_CURRENT_LIST_DIR}/te_glyphs.py ${te_glyph_dir}
    DEPENDS ${CMAKE_CURRENT_LIST_DIR}/te_glyphs.py
    COMMENT "Drawing the skinned controls' glyphs")
  file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/te_controls_res.rc CONTENT "${te_glyph_rc}")
  set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/te_controls_res.rc
    PROPERTIES OBJECT_DEPENDS "${te_glyph_files}")
  add_library(dvr_skin_controls_res OBJECT ${CMAKE_CURRENT_BINARY_DIR}/te_controls_res.rc)

  if(TARGET dvr_skin_se3)
    dvr_test(skin_lists_tests
      SOURCES te_lists_test_support.cpp te_button_test.cpp te_tabcontrol_test.cpp
        te_listbox_test.cpp
      LIBS dvr_skin_controls dvr_skin_se3 dvr_skin_controls_res DISPLAY)
    # Clicks and types with the real mouse and keyboard: any other program's window on the
    # shared display can take the focus, so nothing else runs meanwhile.
    dvr_test_alone(skin_lists_tests)
  endif()
endif()
