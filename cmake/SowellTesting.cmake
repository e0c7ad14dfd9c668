# Test plumbing shared by every folder of tests/.
#
# sowell_add_gtest(<name> SOURCES ... [LIBS ...] [WIN32_ONLY] [LABELS ...])
#   A GoogleTest program. Natively each test case is its own CTest test; under
#   Wine the whole program is one CTest test, because every Wine start costs time.
# sowell_add_fuzzer(<name> SOURCES ... [LIBS ...] [CORPUS dir...])
#   A libFuzzer target (fuzz preset only) plus a short smoke run as a CTest test.

include(CTest)

set(SOWELL_FUZZ_SECONDS 4 CACHE STRING "Seconds each fuzz target runs in the test suite")

if(NOT SOWELL_FUZZ)
  # Debian ships GoogleTest as source; building it here gives it our flags on both targets.
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  include(GoogleTest)

  # The GoogleTest header, parsed once for every test program: it is most of
  # what a test source costs to build.
  file(WRITE ${CMAKE_BINARY_DIR}/test_pch.cpp "")
  add_library(sowell_test_pch STATIC ${CMAKE_BINARY_DIR}/test_pch.cpp)
  target_link_libraries(sowell_test_pch PRIVATE GTest::gtest)
  target_precompile_headers(sowell_test_pch PRIVATE <gtest/gtest.h>)
  if(WIN32)
    target_compile_options(sowell_test_pch PRIVATE -O0)
  endif()
endif()

if(CMAKE_CROSSCOMPILING AND WIN32)
  # One private Wine prefix per build folder; the runner creates it on first use.
  set(SOWELL_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
  configure_file(${CMAKE_SOURCE_DIR}/tools/wine-run.in ${CMAKE_BINARY_DIR}/wine-run @ONLY
                 FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  set(SOWELL_WINE_RUN ${CMAKE_BINARY_DIR}/wine-run)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${SOWELL_WINE_RUN})
endif()

function(sowell_add_gtest name)
  cmake_parse_arguments(T "WIN32_ONLY" "" "SOURCES;LIBS;LABELS" ${ARGN})
  if(SOWELL_FUZZ OR (T_WIN32_ONLY AND NOT WIN32))
    return()
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_precompile_headers(${name} REUSE_FROM sowell_test_pch)
  if(WIN32)
    # The code under test is built optimised in its libraries; the test cases
    # themselves, mostly assertion macros, build in half the time unoptimised.
    target_compile_options(${name} PRIVATE -O0)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/bin)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES LABELS "wine;${T_LABELS}")
  else()
    gtest_discover_tests(${name} PROPERTIES LABELS "native;${T_LABELS}")
  endif()
endfunction()

function(sowell_add_fuzzer name)
  cmake_parse_arguments(F "" "" "SOURCES;LIBS;CORPUS" ${ARGN})
  if(NOT SOWELL_FUZZ)
    return()
  endif()
  add_executable(${name} ${F_SOURCES})
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  set(work ${CMAKE_BINARY_DIR}/fuzz-corpus/${name})
  file(MAKE_DIRECTORY ${work})
  set(dirs ${work})
  if(F_CORPUS)
    list(APPEND dirs ${F_CORPUS})
  endif()
  add_test(NAME ${name} COMMAND ${name} -max_total_time=${SOWELL_FUZZ_SECONDS} -rss_limit_mb=2048
           -timeout=10 -print_final_stats=0 ${dirs})
  # Undefined behaviour must fail the run, not only print.
  set_tests_properties(${name} PROPERTIES LABELS fuzz ENVIRONMENT "UBSAN_OPTIONS=halt_on_error=1")
  # tools/fuzz finds every target, its program and its seed folders (separated
  # by "|") in fuzz-targets.tsv.
  string(JOIN "|" seed_dirs ${F_CORPUS})
  set_property(GLOBAL APPEND PROPERTY SOWELL_FUZZ_TARGETS "${name}\t$<TARGET_FILE:${name}>\t${seed_dirs}\n")
  get_property(deferred GLOBAL PROPERTY SOWELL_FUZZ_LIST_DEFERRED)
  if(NOT deferred)
    set_property(GLOBAL PROPERTY SOWELL_FUZZ_LIST_DEFERRED ON)
    cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL sowell_write_fuzz_list)
  endif()
endfunction()

function(sowell_write_fuzz_list)
  get_property(targets GLOBAL PROPERTY SOWELL_FUZZ_TARGETS)
  string(JOIN "" content ${targets})
  file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/fuzz-targets.tsv CONTENT "${content}")
endfunction()

# sowell_add_gui_test(<name> SCRIPT file.sh [DEPENDS targets...])
#   A shell test that drives our programs under Wine and Xvfb through the GUI
#   test driver (tests/driver/gui_lib.sh has its helpers). GUI tests run in
#   slots, one test at a time in each, and each slot has its own Wine prefix.
function(sowell_add_gui_test name)
  cmake_parse_arguments(G "" "SCRIPT" "" ${ARGN})
  if(NOT WIN32 OR SOWELL_FUZZ)
    return()
  endif()
  add_test(NAME ${name} COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/${G_SCRIPT})
  set_tests_properties(${name} PROPERTIES
    LABELS "wine;gui"
    RESOURCE_GROUPS gui:1
    ENVIRONMENT "WINE_RUN=${SOWELL_WINE_RUN};SOWELL_BIN=${CMAKE_BINARY_DIR}/bin;GUI_DRIVER=${CMAKE_BINARY_DIR}/tests/bin/gui_driver.exe;SOURCE_DIR=${CMAKE_SOURCE_DIR};WORK_DIR=${CMAKE_BINARY_DIR}/gui-work/${name};GUI_PREFIXES=${SOWELL_WINEPREFIX}-gui")
endfunction()
