# Cross-built tests run under Wine, always in one prefix with an absolute path:
# a relative WINEPREFIX is refused, and ~/.wine would be created behind our back.
# Wine's loader is a 32-bit Linux program: a kernel without 32-bit support
# cannot start it, and then the tests that run Windows programs are left out.
# Included before any test target, whose emulator this sets.
find_program(PIVRA_WINE wine)
if(PIVRA_WINE AND NOT DEFINED PIVRA_WINE_RUNS)
  execute_process(COMMAND ${PIVRA_WINE} --version RESULT_VARIABLE wine_status
                  OUTPUT_QUIET ERROR_QUIET)
  if(wine_status EQUAL 0)
    set(PIVRA_WINE_RUNS ON CACHE BOOL "Wine can start programs here")
  else()
    set(PIVRA_WINE_RUNS OFF CACHE BOOL "Wine can start programs here")
  endif()
endif()
if(PIVRA_WINE AND PIVRA_WINE_RUNS)
  set(PIVRA_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix CACHE PATH "Wine prefix the tests run in")
  if(NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
    set(CMAKE_CROSSCOMPILING_EMULATOR env WINEPREFIX=${PIVRA_WINEPREFIX} WINEDEBUG=-all
                                      ${PIVRA_WINE})
  endif()
endif()
