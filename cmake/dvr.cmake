# Build helpers shared by every directory.
#
# Two trees come from one source tree:
#   DVR_WINDOWS  the MinGW cross build: deliverables and their tests, run under Wine
#   otherwise    the native build: portable code only, tests under ASan/UBSan,
#                benchmarks and fuzz targets

include_guard(GLOBAL)

if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
  set(DVR_WINDOWS ON)
else()
  set(DVR_WINDOWS OFF)
endif()

option(DVR_SANITIZE "Native tree: build with AddressSanitizer and UBSan" ON)
option(DVR_FUZZ "Native tree: build fuzz targets with libFuzzer (needs clang)" OFF)

set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_C_STANDARD 11)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
  set(CMAKE_BUILD_TYPE RelWithDebInfo CACHE STRING "" FORCE)
endif()

set(DVR_WARNINGS -Wall -Wextra)

# Debug information as far as it serves: none in the Windows tree (its programs run under
# Wine, where nothing reads it, and it made objects and links several times heavier); line
# tables in the native tree, which is all the sanitisers' reports need.
if(DVR_WINDOWS)
  add_compile_options(-g0)
else()
  add_compile_options(-g1)
endif()

if(DVR_WINDOWS)
  add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
elseif(DVR_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
elseif(DVR_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# GoogleTest from Debian's source package, built into each tree.
set(DVR_GTEST_SRC /usr/src/googletest CACHE PATH "GoogleTest sources")
if(NOT TARGET gtest)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  add_subdirectory(${DVR_GTEST_SRC} ${CMAKE_BINARY_DIR}/_deps/googletest EXCLUDE_FROM_ALL)
  # GoogleTest is not what the sanitisers are there to check, and it is the heaviest source
  # of each tree: built plainly it costs a third of the time.
  foreach(t gtest gtest_main gmock gmock_main)
    if(TARGET ${t})
      target_compile_options(${t} PRIVATE -O1)
      if(NOT DVR_WINDOWS)
        target_compile_options(${t} PRIVATE -fno-sanitize=all)
      endif()
    endif()
  endforeach()
endif()

# Test programs' own sources are mostly GoogleTest macros: -O1 compiles them some 40 % faster
# than -O2 and they run no slower for it (the code under test keeps the tree's level).
set(DVR_TEST_OPT)
if(CMAKE_BUILD_TYPE MATCHES "^(RelWithDebInfo|Release)$")
  set(DVR_TEST_OPT -O1)
endif()

# Unity builds: every library and program compiles its sources in batches, so the heavy
# headers (windows.h, GoogleTest, the framework) are parsed once per batch, not per file.
# New files join their target's batches by themselves. A file that cannot share a batch
# (it defines macros or file-local names that clash with its neighbours') opts out next
# to its target:
#   set_source_files_properties(x.cpp PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
# -DDVR_UNITY_BUILD=OFF builds file by file, which shows such clashes one by one.
option(DVR_UNITY_BUILD "Compile each target's sources in batches" ON)
set(CMAKE_UNITY_BUILD ${DVR_UNITY_BUILD})
set(CMAKE_UNITY_BUILD_BATCH_SIZE 8)

# Precompiled headers for the heavy common ones: one for the test programs (GoogleTest and
# the standard library) and one for the Windows libraries (the standard library). Each is
# built once per tree and reused by every target of its kind. windows.h stays out: its
# macros (DEFAULT_CHARSET, ERROR, ...) would clash with the framework's names in units that
# never include it; the unity batches already parse it once per batch.
option(DVR_PCH "Precompile the heavy common headers" ON)
set(DVR_PCH_STD <algorithm> <array> <atomic> <chrono> <cstdint> <cstdio> <cstring> <functional>
  <map> <memory> <mutex> <string> <string_view> <thread> <vector>)
if(DVR_PCH)
  add_executable(dvr_test_pch ${PROJECT_SOURCE_DIR}/cmake/dvr_pch.cpp)
  target_compile_options(dvr_test_pch PRIVATE ${DVR_WARNINGS} ${DVR_TEST_OPT})
  target_include_directories(dvr_test_pch PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(dvr_test_pch PRIVATE GTest::gtest_main)
  target_precompile_headers(dvr_test_pch PRIVATE ${DVR_PCH_STD} <gtest/gtest.h>)
  if(DVR_WINDOWS)
    add_library(dvr_win_pch STATIC ${PROJECT_SOURCE_DIR}/cmake/dvr_pch.cpp)
    target_compile_options(dvr_win_pch PRIVATE ${DVR_WARNINGS})
    target_include_directories(dvr_win_pch PRIVATE ${PROJECT_SOURCE_DIR})
    target_precompile_headers(dvr_win_pch PRIVATE ${DVR_PCH_STD})
  endif()
endif()

# Portable code: no windows.h, built in both trees.
#   dvr_library(name [STATIC|SHARED] SOURCES ... [LIBS ...] [INCLUDES ...])
function(dvr_library name)
  cmake_parse_arguments(A "STATIC;SHARED" "" "SOURCES;LIBS;INCLUDES" ${ARGN})
  set(kind STATIC)
  if(A_SHARED)
    set(kind SHARED)
  endif()
  add_library(${name} ${kind} ${A_SOURCES})
  target_compile_options(${name} PRIVATE ${DVR_WARNINGS})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR} ${A_INCLUDES})
  if(A_LIBS)
    target_link_libraries(${name} PUBLIC ${A_LIBS})
  endif()
endfunction()

# Test order. A fresh tree has no timings of its own, and CTest would start the tests in the
# order they were declared: a long one started last runs on while the other core idles.
# These are the slow programs' seconds on a busy two-core machine (the COST CTest sorts by,
# costliest first); the others take a few seconds. Programs that run alone (RUN_SERIAL) are
# declared with dvr_test_alone: they go before everything else, while the native tests keep
# the other core busy, instead of each waiting for a moment when nothing else runs.
set(DVR_TEST_COSTS
  decoder_tests=140 host_ui_tests=100 dorsk_tests=90
  player_lib_tests=52 sim_brevix32_tests=42 host_run_end_to_end=40
  host_network_channel_tests=38 net_replay_tests=31 host_live_tests=30
  webctl_settings_dialog_tests=19 host_settings_dialog_tests=18 host_console_tests=17
  host_console_run_tests=17 host_dialogs_tests=16 host_alarm_run_tests=16
  host_engine_tests=15 host_netclient_tests=15 replay_tests=12 net_windows_tests=12
  webctl_tests=11 netsvc_web_tests=10 host_recording_tests=10 pe_imports=9
  playerqz_win_tests=9 playerqz_window_tests=9 host_preview_pixels_tests=8
  player_format_tests=8 host_alarm_tests=7)
set(DVR_TEST_ALONE_COST 1000)

# Gives test NAME its cost from the table above (tests not in it keep CTest's default).
function(dvr_test_cost name)
  foreach(entry IN LISTS DVR_TEST_COSTS)
    if(entry MATCHES "^${name}=([0-9]+)$")
      set_property(TEST ${name} PROPERTY COST ${CMAKE_MATCH_1})
      return()
    endif()
  endforeach()
endfunction()

# Test programs that read the screen back or drive the real mouse and keyboard: any other
# program's window on the shared display could cover theirs or take the focus, so each
# runs with nothing else under Wine. They run first (see the test order above); with LAST
# they run after everything else, when the machine is quietest.
#   dvr_test_alone(name... [LAST])
function(dvr_test_alone)
  cmake_parse_arguments(A "LAST" "" "" ${ARGN})
  foreach(name IN LISTS A_UNPARSED_ARGUMENTS)
    set_property(TEST ${name} PROPERTY RUN_SERIAL TRUE)
    if(A_LAST)
      set_property(TEST ${name} PROPERTY COST 0)
      continue()
    endif()
    get_property(cost TEST ${name} PROPERTY COST)
    if(NOT cost)
      set(cost 0)
    endif()
    math(EXPR cost "${cost} + ${DVR_TEST_ALONE_COST}")
    set_property(TEST ${name} PROPERTY COST ${cost})
  endforeach()
endfunction()

# A GoogleTest program, registered with CTest. In the Windows tree it runs under
# Wine (the toolchain's emulator). Labels: native or wine, plus any given.
#   dvr_test(name SOURCES ... [LIBS ...] [LABELS ...] [TIMEOUT s] [DISPLAY] [REGISTRY])
# DISPLAY: the test needs the X display (Xvfb); the others run as well without one.
# REGISTRY: the test writes or deletes the host's stored settings (HKLM\SOFTWARE\VQS, one per
# Wine prefix); such tests take turns, or one deletes the keys another has just written.
function(dvr_test name)
  cmake_parse_arguments(A "DISPLAY;REGISTRY" "TIMEOUT" "SOURCES;LIBS;LABELS;ARGS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_compile_options(${name} PRIVATE ${DVR_WARNINGS} ${DVR_TEST_OPT})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${A_LIBS} GTest::gtest_main GTest::gmock)
  if(DVR_PCH)
    target_precompile_headers(${name} REUSE_FROM dvr_test_pch)
  endif()
  if(DVR_WINDOWS)
    # Under Wine a crashed program can exit with 0: the wrapper also wants the summary.
    add_test(NAME ${name} COMMAND ${PROJECT_SOURCE_DIR}/tools/wine-gtest $<TARGET_FILE:${name}> ${A_ARGS})
  else()
    add_test(NAME ${name} COMMAND ${name} ${A_ARGS})
  endif()
  set(labels ${A_LABELS})
  if(DVR_WINDOWS)
    list(APPEND labels wine)
  else()
    list(APPEND labels native)
  endif()
  if(A_DISPLAY)
    list(APPEND labels display)
  endif()
  if(NOT A_TIMEOUT)
    set(A_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES LABELS "${labels}" TIMEOUT ${A_TIMEOUT}
    ENVIRONMENT "DVR_TEST_DATA=${DVR_TESTDATA_DIR};DVR_SOURCE_DIR=${PROJECT_SOURCE_DIR};DVR_BIN_DIR=${CMAKE_BINARY_DIR}/bin")
  dvr_test_cost(${name})
  if(A_REGISTRY AND DVR_WINDOWS)
    set_property(TEST ${name} APPEND PROPERTY RESOURCE_LOCK dvr_host_registry)
  endif()
  if(TARGET dvr_fixtures)
    add_dependencies(${name} dvr_fixtures)
  endif()
endfunction()

# A fuzz target (native tree only). With DVR_FUZZ it links libFuzzer; otherwise
# it links a small driver that replays the files named on its command line, so
# the target keeps compiling in every native build.
#   dvr_fuzz(name SOURCES ... [LIBS ...])
function(dvr_fuzz name)
  if(DVR_WINDOWS)
    return()
  endif()
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  _dvr_native_program(${name} "${A_SOURCES}" "${A_LIBS}")
  if(DVR_FUZZ)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  else()
    target_link_libraries(${name} PRIVATE dvr_fuzz_replay)
  endif()
endfunction()

# A benchmark program (native tree only): built in every native tree so it keeps
# compiling, measured from an unsanitised Release tree (tools/bench).
function(dvr_bench name)
  if(DVR_WINDOWS)
    return()
  endif()
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  _dvr_native_program(${name} "${A_SOURCES}" "${A_LIBS}")
  set_property(GLOBAL APPEND PROPERTY DVR_BENCH_TARGETS ${name})
endfunction()

function(_dvr_native_program name sources libs)
  add_executable(${name} ${sources})
  target_compile_options(${name} PRIVATE ${DVR_WARNINGS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${libs})
endfunction()

# Adds every subfolder of the current one that has a CMakeLists.txt.
macro(dvr_add_subdirectories)
  file(GLOB _dvr_subdirs LIST_DIRECTORIES true ${CMAKE_CURRENT_SOURCE_DIR}/*)
  foreach(_dvr_dir IN LISTS _dvr_subdirs)
    if(IS_DIRECTORY ${_dvr_dir} AND EXISTS ${_dvr_dir}/CMakeLists.txt)
      add_subdirectory(${_dvr_dir})
    endif()
  endforeach()
endmacro()

# Windows-only code (deliverables, Win32 shells): a DLL, an exe or a static library.
#   dvr_win_library(name SHARED|STATIC SOURCES ... [DEF file.def] [LIBS ...] [OUTPUT_NAME n])
function(dvr_win_library name)
  cmake_parse_arguments(A "STATIC;SHARED" "DEF;OUTPUT_NAME" "SOURCES;LIBS" ${ARGN})
  set(kind STATIC)
  if(A_SHARED)
    set(kind SHARED)
  endif()
  set(srcs ${A_SOURCES})
  if(A_DEF)
    list(APPEND srcs ${A_DEF})
  endif()
  add_library(${name} ${kind} ${srcs})
  target_compile_options(${name} PRIVATE ${DVR_WARNINGS})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${A_LIBS})
  if(DVR_PCH)
    target_precompile_headers(${name} REUSE_FROM dvr_win_pch)
  endif()
  if(A_SHARED)
    # Deliverable DLLs carry their plain names (Dorsk.dll, not libDorsk.dll).
    set_target_properties(${name} PROPERTIES PREFIX "" IMPORT_PREFIX "lib")
  endif()
  if(A_OUTPUT_NAME)
    set_target_properties(${name} PROPERTIES OUTPUT_NAME ${A_OUTPUT_NAME})
  endif()
endfunction()
