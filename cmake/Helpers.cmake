# Project-wide helpers for libraries, tests, benchmarks and fuzz targets.

# add_runtime_library(name SOURCES ... LIBS ...): one library per subsystem folder.
function(add_project_library name)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${A_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${A_LIBS})
endfunction()

# add_subsystem_tests(label SOURCES ... LIBS ...): one GoogleTest program per source folder;
# every test in it carries the folder's label (runtime.core, game.shell, ...). Files named
# *_long_test.cpp hold long play runs; they form a second program, labelled `long` as well,
# that add_long_tests() makes once the folder has added its extras, and only when LONG_TESTS
# is on (the optimized build: under the sanitizers a frame costs many times more).
function(add_subsystem_tests label)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  string(REPLACE "." "_" name "test_${label}")
  set(short_sources)
  set(long_sources)
  foreach(source ${A_SOURCES})
    if(source MATCHES "_long_test\\.cpp$")
      list(APPEND long_sources ${source})
    else()
      list(APPEND short_sources ${source})
    endif()
  endforeach()
  add_executable(${name} ${short_sources})
  target_link_libraries(${name} PRIVATE ${A_LIBS} test_support GTest::gmock GTest::gtest_main)
  target_precompile_headers(${name} REUSE_FROM test_precompiled)
  set_property(TARGET ${name} PROPERTY TEST_SOURCES_OF_FOLDER ${short_sources})
  set_property(TARGET ${name} PROPERTY LONG_TEST_SOURCES ${long_sources})
  discover_folder_tests(${name} ${label} "${label}")
endfunction()

function(discover_folder_tests name prefix labels)
  gtest_discover_tests(${name}
    TEST_PREFIX "${prefix}."
    # Parametrised cases are named by their suites' name generators; the printed parameter
    # (raw object bytes for plain structs) stays out of the ctest name.
    NO_PRETTY_VALUES
    PROPERTIES LABELS "${labels}"
    DISCOVERY_TIMEOUT 120)
endfunction()

# add_long_tests(label): the folder's long program, with the sources, libraries, definitions
# and dependencies the folder gave its ordinary program (the shared harness among them).
function(add_long_tests label)
  string(REPLACE "." "_" name "test_${label}")
  get_target_property(long_sources ${name} LONG_TEST_SOURCES)
  if(NOT LONG_TESTS OR NOT long_sources)
    return()
  endif()
  get_target_property(sources ${name} SOURCES)
  get_target_property(own ${name} TEST_SOURCES_OF_FOLDER)
  list(REMOVE_ITEM sources ${own})
  add_executable(${name}_long ${long_sources} ${sources})
  target_precompile_headers(${name}_long REUSE_FROM test_precompiled)
  foreach(property LINK_LIBRARIES COMPILE_DEFINITIONS MANUALLY_ADDED_DEPENDENCIES)
    get_target_property(value ${name} ${property})
    if(value)
      if(property STREQUAL "LINK_LIBRARIES")
        target_link_libraries(${name}_long PRIVATE ${value})
      elseif(property STREQUAL "COMPILE_DEFINITIONS")
        target_compile_definitions(${name}_long PRIVATE ${value})
      else()
        add_dependencies(${name}_long ${value})
      endif()
    endif()
  endforeach()
  discover_folder_tests(${name}_long ${label} "${label};long")
endfunction()

# add_bench(name SOURCES ... LIBS ...): a Google Benchmark program, also run once briefly
# under ctest so that it keeps building and running.
function(add_bench name)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE ${A_LIBS} benchmark::benchmark_main)
  add_test(NAME bench.${name} COMMAND ${name} --benchmark_min_time=0.001)
  # Benchmarks keep their fixtures (and their peers' images) for the life of the process.
  set_tests_properties(bench.${name} PROPERTIES LABELS bench ENVIRONMENT "ASAN_OPTIONS=detect_leaks=0")
endfunction()

# add_fuzz_target(name SOURCES ... LIBS ...): in a FUZZ build, a libFuzzer program; in the
# test build, a bounded run of that program over its checked-in seed corpus.
set(FUZZ_SECONDS 5 CACHE STRING "How long each fuzz target runs under ctest")
function(add_fuzz_target name)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  set(corpus ${PROJECT_SOURCE_DIR}/fuzz/corpus/${name})
  if(FUZZ)
    add_executable(${name} ${A_SOURCES})
    target_link_libraries(${name} PRIVATE ${A_LIBS})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  elseif(FUZZ_BIN_DIR)
    set(work ${CMAKE_BINARY_DIR}/fuzz-work/${name})
    file(MAKE_DIRECTORY ${work})
    add_test(NAME fuzz.${name}
      COMMAND ${FUZZ_BIN_DIR}/${name} -max_total_time=${FUZZ_SECONDS} -rss_limit_mb=2048
              -print_final_stats=0 ${work} ${corpus})
    set_tests_properties(fuzz.${name} PROPERTIES LABELS fuzz TIMEOUT 120)
  endif()
endfunction()
