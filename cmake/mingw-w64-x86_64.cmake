# Cross build for 64-bit Windows (x64) with Debian's mingw-w64 x86_64 compilers.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
