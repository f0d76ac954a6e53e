# Project-wide helpers for libraries, tests, benchmarks and fuzz targets.

# add_runtime_library(name SOURCES ... LIBS ...): one library per subsystem folder.
function(add_project_library name)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${A_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${A_LIBS})
endfunction()

# The tests' own code is not what ships: in the optimized build it is compiled at -O1, while
# the game, the runtime and the platform layer they call keep the build's -O3. In the
# sanitizer build it is not optimised at all: the instrumented code of GoogleTest's macros
# costs more to optimise than the tests spend running it. The harness they run through
# (test_support) keeps each build's level.
function(lighter_test_code target)
  target_compile_options(${target} PRIVATE $<$<CONFIG:Release>:-O1> $<$<CONFIG:Debug>:-O0>)
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
  lighter_test_code(${name})
  set_property(TARGET ${name} PROPERTY TEST_SOURCES_OF_FOLDER ${short_sources})
  set_property(TARGET ${name} PROPERTY LONG_TEST_SOURCES ${long_sources})
  discover_folder_suites(${name} ${label})
endfunction()

# One ctest entry per test suite of a folder's program (`label.Suite`, running the suite's
# tests in one process): a process start costs about a second of CPU under the sanitizers,
# several times what most tests cost. The suite's output names each test that fails.
set(SUITE_TESTS_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/SuiteTests.cmake)
function(discover_folder_suites name label)
  set(tests_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_suites.cmake)
  set(include_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_suites_include.cmake)
  add_custom_command(TARGET ${name} POST_BUILD
    BYPRODUCTS ${tests_file}
    COMMAND ${CMAKE_COMMAND} -D PROGRAM=$<TARGET_FILE:${name}> -D WORKING_DIR=${CMAKE_CURRENT_BINARY_DIR}
            -D PREFIX=${label}. -D LABELS=${label} -D OUTPUT=${tests_file} -P ${SUITE_TESTS_SCRIPT}
    VERBATIM)
  file(WRITE ${include_file}
    "if(EXISTS \"${tests_file}\")\n"
    "  include(\"${tests_file}\")\n"
    "else()\n"
    "  add_test(${name}_NOT_BUILT ${name}_NOT_BUILT)\n"
    "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${include_file})
endfunction()

# The long programs' tests are a few long runs each: one entry per test, so that they run
# side by side.
function(discover_folder_tests name prefix labels)
  gtest_discover_tests(${name}
    TEST_PREFIX "${prefix}."
    # Parametrised cases are named by their suites' name generators; the printed parameter
    # (raw object bytes for plain structs) stays out of the ctest name.
    NO_PRETTY_VALUES
    TEST_LIST ${name}_TESTS
    DISCOVERY_TIMEOUT 120)
  # The labels are a list ("game.mission;long"), which the discovery would split into
  # property names; they are set on the listed tests once the discovery has added them.
  set(labels_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_labels.cmake)
  file(WRITE ${labels_file}
    "if(${name}_TESTS)\n"
    "  set_tests_properties(\${${name}_TESTS} PROPERTIES LABELS \"${labels}\")\n"
    "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${labels_file})
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
  lighter_test_code(${name}_long)
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

# add_fuzz_target(name SOURCES ... LIBS ...): in a FUZZ build (clang), a libFuzzer program for
# fuzzing by hand; in the sanitizer build, the target on the replay driver, run under ctest
# over its checked-in seed corpus.
function(add_fuzz_target name)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  if(FUZZ)
    add_executable(${name} ${A_SOURCES})
    target_link_libraries(${name} PRIVATE ${A_LIBS})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  elseif(SANITIZE)
    add_executable(${name} ${A_SOURCES})
    target_link_libraries(${name} PRIVATE ${A_LIBS} fuzz_replay)
    add_test(NAME fuzz.${name} COMMAND ${name} ${PROJECT_SOURCE_DIR}/fuzz/corpus/${name})
    set_tests_properties(fuzz.${name} PROPERTIES LABELS fuzz TIMEOUT 120)
  endif()
endfunction()
