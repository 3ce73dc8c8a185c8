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
