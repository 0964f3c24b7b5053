# Cross-builds for aarch64 handhelds with Debian's aarch64-linux-gnu compiler against
# Debian 11 libraries (glibc 2.31, as older firmwares have). The compiler's newer C++ and
# support libraries are linked in statically, since firmwares carry older ones. The
# sysroot comes from tools/cross/make-sysroot.sh arm64 (build-cross/arm64/sysroot in this
# checkout) or from VESPERALIA_SYSROOT.
set(VESPERALIA_CROSS_ARCH arm64)
set(VESPERALIA_CROSS_TRIPLET aarch64-linux-gnu)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(VESPERALIA_CROSS_QEMU qemu-aarch64-static)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static-libstdc++ -static-libgcc")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libstdc++ -static-libgcc")
include(${CMAKE_CURRENT_LIST_DIR}/cross-common.cmake)
