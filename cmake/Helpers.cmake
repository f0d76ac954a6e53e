# Project-wide helpers for libraries, tests, benchmarks and fuzz targets.

# add_runtime_library(name SOURCES ... LIBS ...): one library per subsystem folder.
function(add_project_library name)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${A_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${A_LIBS})
endfunction()

# add_subsystem_tests(label SOURCES ... LIBS ...): one GoogleTest program per source folder;
# every test in it carries the folder's label (runtime.core, game.shell, ...).
function(add_subsystem_tests label)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  string(REPLACE "." "_" name "test_${label}")
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE ${A_LIBS} test_support GTest::gmock GTest::gtest_main)
  gtest_discover_tests(${name}
    TEST_PREFIX "${label}."
    # Parametrised cases are named by their suites' name generators; the printed parameter
    # (raw object bytes for plain structs) stays out of the ctest name.
    NO_PRETTY_VALUES
    PROPERTIES LABELS "${label}"
    DISCOVERY_TIMEOUT 120)
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
