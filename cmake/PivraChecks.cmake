# Checks of the built tool beyond the unit and process tests, registered with
# ctest so that any new finding fails the test run.
if(WIN32)
  return()
endif()

set(tool_tests ${PROJECT_SOURCE_DIR}/tests)

if(PIVRA_HARDEN AND CMAKE_BUILD_TYPE STREQUAL "Release")
  add_test(NAME hardening COMMAND bash ${tool_tests}/hardening_test.sh $<TARGET_FILE:pivra>)
endif()
