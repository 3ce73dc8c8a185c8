# Cross build for 32-bit Windows with Debian's mingw-w64 i686 compilers.
# The -posix variants: GoogleTest needs std::thread, which the win32 thread model lacks.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(PIVRA_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${PIVRA_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PIVRA_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${PIVRA_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${PIVRA_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every executable carries its runtime (libstdc++, libgcc, winpthread): it must
# start on a bare Windows, importing nothing but system DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

# Cross-built tests run under Wine, always in one prefix with an absolute path:
# a relative WINEPREFIX is refused, and ~/.wine would be created behind our back.
# Wine's loader is a 32-bit Linux program: a kernel without 32-bit support
# cannot start it, and then the tests that run Windows programs are left out.
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
