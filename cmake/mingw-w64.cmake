# Cross build for Windows with Debian's mingw-w64 compilers. Included by a
# toolchain file that sets CMAKE_SYSTEM_PROCESSOR (i686 or x86_64).
# The -posix variants: GoogleTest needs std::thread, which the win32 thread model lacks.
set(CMAKE_SYSTEM_NAME Windows)

set(PIVRA_MINGW_PREFIX ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)
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
