# Cross build of the Windows deliverables: x86_64, posix thread model, fully static runtime.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${_triple}-windres)
set(CMAKE_AR ${_triple}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${_triple}-gcc-ranlib-posix CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static libgcc/libstdc++/winpthread: every PE file imports system DLLs only.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# Tests run under Wine through the project's launcher (prefix, warm server, display).
get_filename_component(_dvr_root "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR "${_dvr_root}/tools/wine-run")

# libjpeg-turbo and giflib, cross-built by tools/setup into a cache outside the repo.
if(NOT DEFINED DVR_DEPS_DIR)
  if(DEFINED ENV{DVR_DEPS_DIR})
    set(DVR_DEPS_DIR "$ENV{DVR_DEPS_DIR}")
  else()
    set(DVR_DEPS_DIR "$ENV{HOME}/.cache/dvr-deps/mingw64")
  endif()
endif()
set(DVR_DEPS_DIR "${DVR_DEPS_DIR}" CACHE PATH "Cross-built libjpeg and giflib")
list(APPEND CMAKE_FIND_ROOT_PATH "${DVR_DEPS_DIR}")
