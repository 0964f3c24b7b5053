# Cross-builds for aarch64 handhelds with Debian's aarch64-linux-gnu compiler against
# Debian 11 libraries (glibc 2.31, as older firmwares have). The compiler's newer C++ and
# support libraries are linked in statically, since firmwares carry older ones. The
# sysroot comes from tools/cross/make-sysroot.sh arm64 (build-cross/arm64/sysroot in this
# checkout) or from VESPERALIA_SYSROOT.
set(VESPERALIA_CROSS_ARCH arm64)
set(VESPERALIA_CROSS_TRIPLET aarch64-linux-gnu)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(VESPERALIA_CROSS_QEMU qemu-aarch64-static)
set(VESPERALIA_CROSS_LINK_FLAGS "-static-libstdc++ -static-libgcc")
# Those static libraries were made for Debian 12's glibc; what they call beyond glibc 2.31
# comes from this source, compiled into every program at its link.
set(CMAKE_CXX_STANDARD_LIBRARIES_INIT "${CMAKE_CURRENT_LIST_DIR}/glibc-2.31-compat.cpp")
include(${CMAKE_CURRENT_LIST_DIR}/cross-common.cmake)
