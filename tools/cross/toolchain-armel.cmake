# Cross-builds for Debian's armel (ARMv5TE, soft-float EABI, Debian 12 libraries) with
# Debian's arm-linux-gnueabi compiler. The sysroot comes from tools/cross/make-sysroot.sh armel
# (build-cross/armel/sysroot in this checkout) or from VESPERALIA_SYSROOT.
set(VESPERALIA_CROSS_ARCH armel)
set(VESPERALIA_CROSS_TRIPLET arm-linux-gnueabi)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(VESPERALIA_CROSS_QEMU qemu-arm-static)
# Debian's armel defaults, spelled out so that the target does not depend on them.
set(VESPERALIA_CROSS_FLAGS "-march=armv5te -mfloat-abi=soft")
include(${CMAKE_CURRENT_LIST_DIR}/cross-common.cmake)
