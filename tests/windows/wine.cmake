# Cross-built tests run under Wine, always in one prefix with an absolute path:
# a relative WINEPREFIX is refused, and ~/.wine would be created behind our back.
# The Wine that runs the target's programs: wine64 (Debian keeps it in
# /usr/lib/wine) for x86_64, needing nothing 32-bit; wine for i686, whose loader
# is a 32-bit Linux program that a kernel without 32-bit support cannot start.
# Where it is missing or cannot start, the tests that run programs are left out,
# and PIVRA_WINE_FAILURE says why. Included before any test target, whose
# emulator this sets.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL x86_64)
  set(wine_name wine64)
  find_program(PIVRA_WINE wine64 HINTS /usr/lib/wine)
  find_program(PIVRA_WINESERVER NAMES wineserver64 wineserver HINTS /usr/lib/wine)
else()
  set(wine_name wine)
  find_program(PIVRA_WINE wine)
  find_program(PIVRA_WINESERVER wineserver)
endif()
# Asked at every configure: a Wine installed or repaired since must not stay left out.
set(PIVRA_WINE_FAILURE "")
if(NOT PIVRA_WINE OR NOT PIVRA_WINESERVER)
  set(PIVRA_WINE_FAILURE "no ${wine_name} or wineserver found")
else()
  execute_process(COMMAND ${PIVRA_WINE} --version RESULT_VARIABLE wine_status
                  OUTPUT_QUIET ERROR_VARIABLE wine_says)
  # The status is a number, or why the program could not be started at all.
  if(NOT wine_status STREQUAL "0")
    string(REGEX REPLACE "\n.*" "" wine_says "${wine_says}")
    set(PIVRA_WINE_FAILURE "${PIVRA_WINE} cannot start: --version gives ${wine_status}")
    if(wine_says)
      string(APPEND PIVRA_WINE_FAILURE ", \"${wine_says}\"")
    endif()
  endif()
endif()
set(PIVRA_WINE_FAILURE "${PIVRA_WINE_FAILURE}" CACHE INTERNAL "Why Wine cannot run the tests here")
if(NOT PIVRA_WINE_FAILURE)
  set(PIVRA_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix CACHE PATH "Wine prefix the tests run in")
  # Wine 10 says on standard error that XDG_RUNTIME_DIR is not set, as where no
  # one logged in (a fresh root, CI): a private one of its own keeps it quiet.
  set(PIVRA_WINE_RUNTIME_DIR ${CMAKE_BINARY_DIR}/wine-runtime)
  file(MAKE_DIRECTORY ${PIVRA_WINE_RUNTIME_DIR})
  file(CHMOD ${PIVRA_WINE_RUNTIME_DIR} DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
  if(NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
    set(CMAKE_CROSSCOMPILING_EMULATOR env WINEPREFIX=${PIVRA_WINEPREFIX} WINEDEBUG=-all
                                      XDG_RUNTIME_DIR=${PIVRA_WINE_RUNTIME_DIR} ${PIVRA_WINE})
  endif()
endif()
