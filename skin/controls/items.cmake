# Menu items and their views, the edit with its undo history, the edit with a button
# inside and the spin edit; the glyphs of speed and spin buttons.
if(TARGET dvr_skin_controls)
  target_sources(dvr_skin_controls PRIVATE te_speedbutton_glyph.cpp te_items.cpp te_itemdraw.cpp
    te_itemview.cpp te_edit.cpp te_inplaceedit.cpp te_spinedit.cpp)
  target_link_libraries(dvr_skin_controls PUBLIC imm32)
  dvr_test(skin_items_tests SOURCES te_items_test.cpp te_itemview_test.cpp
    LIBS dvr_skin_controls DISPLAY)
  dvr_test(skin_edit_tests SOURCES te_edit_test.cpp te_spinedit_test.cpp te_glyph_test.cpp
    LIBS dvr_skin_controls DISPLAY)
endif()
if(TARGET skin_edit_tests)
  # Type, click and use the clipboard on the shared display: any other program's window
  # there can take the focus, so nothing else runs meanwhile.
  dvr_test_alone(skin_items_tests skin_edit_tests)
endif()
