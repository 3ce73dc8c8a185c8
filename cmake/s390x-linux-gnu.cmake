# Cross build for IBM Z Linux, big-endian, run under qemu-s390x.
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(PIVRA_CROSS_TRIPLE s390x-linux-gnu)
set(PIVRA_DEBIAN_ARCHITECTURE s390x)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
