# The console's commands: the button pictures drawn at build time into a resource object that
# programs link, and the commands over the framework.
if(DVR_WINDOWS AND TARGET dvr_framework_ui AND TARGET vantrel_engine AND TARGET vantrel_engine_periph)
  enable_language(RC)
  set(_cp_dir ${CMAKE_CURRENT_BINARY_DIR}/console_pictures)
  set(_cp_files)
  set(_cp_rc "")
  foreach(n RANGE 1 16)
    foreach(kind Up Down)
      list(APPEND _cp_files ${_cp_dir}/Function_${kind}_${n}.bmp)
      string(APPEND _cp_rc "Function_${kind}_${n} BITMAP \"${_cp_dir}/Function_${kind}_${n}.bmp\"\n")
    endforeach()
  endforeach()
  foreach(n RANGE 1 20)
    foreach(kind Up Down)
      list(APPEND _cp_files ${_cp_dir}/YT_Ctrl_${kind}_${n}.bmp)
      string(APPEND _cp_rc "YT_Ctrl_${kind}_${n} BITMAP \"${_cp_dir}/YT_Ctrl_${kind}_${n}.bmp\"\n")
    endforeach()
  endforeach()
  foreach(n RANGE 1 8)
    foreach(kind Up Down)
      list(APPEND _cp_files ${_cp_dir}/Cursor_${kind}_${n}.cur)
      string(APPEND _cp_rc "Cursor_${kind}_${n} CURSOR \"${_cp_dir}/Cursor_${kind}_${n}.cur\"\n")
    endforeach()
  endforeach()
  add_custom_command(OUTPUT ${_cp_files}
    COMMAND python3 ${CMAKE_CURRENT_LIST_DIR}/console_pictures.py ${_cp_dir}
    DEPENDS ${CMAKE_CURRENT_LIST_DIR}/console_pictures.py
    COMMENT "Drawing the console's button pictures")
  file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/console_pictures.rc CONTENT "${_cp_rc}")
  set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/console_pictures.rc
    PROPERTIES OBJECT_DEPENDS "${_cp_files}")
  add_library(vantrel_console_res OBJECT ${CMAKE_CURRENT_BINARY_DIR}/console_pictures.rc)

  dvr_win_library(vantrel_console STATIC
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/U_ConsoleCommands.cpp
            ${CMAKE_CURRENT_LIST_DIR}/F_VideoCycleServerForm.cpp
            ${CMAKE_CURRENT_LIST_DIR}/F_ClientVideoCycleSetForm.cpp
            ${CMAKE_CURRENT_LIST_DIR}/F_NetSetForm.cpp
            ${CMAKE_CURRENT_LIST_DIR}/F_UPSInfoWindow.cpp
            ${CMAKE_CURRENT_LIST_DIR}/F_SendGSMMsgForm.cpp
            ${CMAKE_CURRENT_LIST_DIR}/F_RasDial.cpp
            ${CMAKE_CURRENT_LIST_DIR}/U_PtzPanel.cpp
            ${CMAKE_CURRENT_LIST_DIR}/U_PtzMouse.cpp
            ${CMAKE_CURRENT_LIST_DIR}/F_YunTaiSpeed.cpp
            ${CMAKE_CURRENT_LIST_DIR}/F_MatrixsCtrlForm.cpp
            ${CMAKE_CURRENT_LIST_DIR}/F_MatrixKeyboardForm.cpp
            ${CMAKE_CURRENT_LIST_DIR}/F_RemoteMatrixsCtrlForm.cpp
            ${CMAKE_CURRENT_LIST_DIR}/U_MatrixKeyboardLayout.cpp
            ${CMAKE_CURRENT_LIST_DIR}/F_RemoteMatrixKeyboardForm.cpp
    LIBS vantrel_engine_periph vantrel_engine dvr_framework_ui dvr_common_win comctl32)
  dvr_test(host_console_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/U_ConsoleCommands_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/F_CycleDialogs_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/F_NetSetForm_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/F_UPSInfoWindow_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/F_SendGSMMsgForm_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/F_RasDial_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/U_PtzPanel_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/F_MatrixsCtrlForm_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/F_MatrixKeyboardForm_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/F_RemoteMatrixsCtrlForm_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/F_RemoteMatrixKeyboardForm_test.cpp
    LIBS vantrel_console vantrel_console_res DISPLAY REGISTRY)
  # The host-groups dialog reads and writes the host list in the registry.
endif()
