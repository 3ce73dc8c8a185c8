# Checks of the built tool beyond the unit and process tests, registered with
# ctest so that any new finding fails the test run.
if(WIN32 OR CMAKE_CROSSCOMPILING)
  return()
endif()

set(tool_tests ${PROJECT_SOURCE_DIR}/tests)

# Not in sanitizer builds: valgrind cannot run code built for AddressSanitizer,
# the analysers need to look at the sources once only, and an instrumented
# program is not one to install.
if(NOT PIVRA_SANITIZE)
  foreach(way install package)
    add_test(NAME ${way} COMMAND bash ${tool_tests}/installed_test.sh ${way} ${PROJECT_BINARY_DIR}
                                      ${PIVRA_VERSION_TEXT})
  endforeach()
  add_test(NAME ensure_packages COMMAND bash ${tool_tests}/ensure_packages_test.sh
                                             ${PROJECT_SOURCE_DIR})
  add_test(NAME run_script COMMAND bash ${tool_tests}/run_script_test.sh ${PROJECT_SOURCE_DIR})
  # 77 where the kernel or user namespaces do not allow it: the reason is in the output.
  add_test(NAME qemu_i386_run COMMAND bash ${tool_tests}/qemu_i386_run_test.sh
                                           ${PROJECT_SOURCE_DIR})
  set_tests_properties(qemu_i386_run PROPERTIES SKIP_RETURN_CODE 77)
  add_test(NAME memcheck COMMAND bash ${tool_tests}/memcheck_test.sh $<TARGET_FILE:pivra>
                                      $<TARGET_FILE:pivra-check>)

  set(lint ${PROJECT_SOURCE_DIR}/scripts/lint.sh)
  add_test(NAME clang_format COMMAND bash ${lint} format)
  add_test(NAME cppcheck COMMAND bash ${lint} cppcheck)
  add_test(NAME clang_tidy COMMAND bash ${lint} clang-tidy ${PROJECT_BINARY_DIR})
  add_test(NAME shellcheck COMMAND bash ${lint} shellcheck)
  # Slow for a quick loop (the one analyses, the other builds pivra afresh): `ctest -LE
  # slow` leaves them out.
  set_tests_properties(clang_tidy run_script PROPERTIES LABELS slow)
endif()

if(PIVRA_HARDEN AND CMAKE_BUILD_TYPE STREQUAL "Release")
  add_test(NAME hardening COMMAND bash ${tool_tests}/hardening_test.sh $<TARGET_FILE:pivra>)
  add_test(NAME hardening_check COMMAND bash ${tool_tests}/hardening_test.sh
                                         $<TARGET_FILE:pivra-check>)
endif()
