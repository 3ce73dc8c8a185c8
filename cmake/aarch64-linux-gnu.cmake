# Cross build for 64-bit ARM Linux (Debian's arm64), run under qemu-aarch64.
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(PIVRA_CROSS_TRIPLE aarch64-linux-gnu)
set(PIVRA_DEBIAN_ARCHITECTURE arm64)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
