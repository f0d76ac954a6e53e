# Run after a test program links (cmake -P): lists its tests and writes one ctest entry per
# test suite, running the program with --gtest_filter=<suite>.*, named <prefix><suite>.
# Inputs: PROGRAM, WORKING_DIR, PREFIX, LABELS (a list joined with '|'), OUTPUT.
execute_process(COMMAND "${PROGRAM}" --gtest_list_tests
  WORKING_DIRECTORY "${WORKING_DIR}"
  OUTPUT_VARIABLE listing ERROR_VARIABLE errors RESULT_VARIABLE result TIMEOUT 120)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} --gtest_list_tests failed (${result}):\n${listing}${errors}")
endif()

string(REPLACE "|" ";" labels "${LABELS}")
# Parameters printed after '#' may hold anything; only the names before it count.
string(REPLACE ";" "," listing "${listing}")
string(REPLACE "\n" ";" lines "${listing}")
set(suites)
set(suite "")
foreach(line IN LISTS lines)
  string(REGEX REPLACE "#.*" "" line "${line}")
  string(STRIP "${line}" name)
  if(name STREQUAL "")
    continue()
  endif()
  if(line MATCHES "^[^ ]")
    # A suite's line: its name and a dot.
    string(REGEX REPLACE "\\.$" "" suite "${name}")
  elseif(NOT suite MATCHES "^DISABLED_" AND NOT name MATCHES "^DISABLED_")
    # A suite takes part when it has a test that runs.
    list(APPEND suites "${suite}")
  endif()
endforeach()
list(REMOVE_DUPLICATES suites)

# A suite whose every test was skipped shows as skipped: nothing passed, and the summary ends
# with the list of skipped tests (a failure or a report after the summary ends it otherwise).
set(all_skipped "\\[  PASSED  \\] 0 tests\\.\n\\[  SKIPPED \\] [0-9]+ tests?, listed below:\n(\\[  SKIPPED \\] [^\n]*\n)*$")
set(content "")
foreach(suite IN LISTS suites)
  set(test "${PREFIX}${suite}")
  string(APPEND content
    "add_test([==[${test}]==] [==[${PROGRAM}]==] [==[--gtest_filter=${suite}.*]==])\n"
    "set_tests_properties([==[${test}]==] PROPERTIES WORKING_DIRECTORY [==[${WORKING_DIR}]==]"
    " LABELS [==[${labels}]==] SKIP_REGULAR_EXPRESSION [==[${all_skipped}]==])\n")
endforeach()
file(WRITE "${OUTPUT}" "${content}")
