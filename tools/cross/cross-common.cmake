# The part of the cross toolchain files that is the same for every ARM target: compilers,
# the sysroot, where to look for libraries, pkg-config and running target programs
# (tests among them) under qemu-user.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_C_COMPILER ${VESPERALIA_CROSS_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${VESPERALIA_CROSS_TRIPLET}-g++)

# The sysroot: a cache or environment value VESPERALIA_SYSROOT, else the one
# make-sysroot.sh makes inside the checkout this file belongs to.
if(NOT VESPERALIA_SYSROOT AND DEFINED ENV{VESPERALIA_SYSROOT})
  set(VESPERALIA_SYSROOT "$ENV{VESPERALIA_SYSROOT}")
endif()
if(NOT VESPERALIA_SYSROOT)
  get_filename_component(VESPERALIA_SYSROOT
    "${CMAKE_CURRENT_LIST_DIR}/../../build-cross/${VESPERALIA_CROSS_ARCH}/sysroot" ABSOLUTE)
endif()
set(VESPERALIA_SYSROOT "${VESPERALIA_SYSROOT}" CACHE PATH
  "Root of the target's headers and libraries (tools/cross/make-sysroot.sh)")
if(NOT EXISTS "${VESPERALIA_SYSROOT}/usr/include/SDL/SDL.h")
  message(FATAL_ERROR "no ${VESPERALIA_CROSS_ARCH} sysroot at ${VESPERALIA_SYSROOT}: "
                      "run tools/cross/make-sysroot.sh ${VESPERALIA_CROSS_ARCH}")
endif()
# Checks that configure on their own (try_compile) read this file again: hand them the value.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VESPERALIA_SYSROOT)

set(CMAKE_SYSROOT "${VESPERALIA_SYSROOT}")
set(CMAKE_FIND_ROOT_PATH "${VESPERALIA_SYSROOT}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config reads the target's .pc files and puts the sysroot before their paths.
set(ENV{PKG_CONFIG_DIR} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "${VESPERALIA_SYSROOT}")
set(ENV{PKG_CONFIG_LIBDIR}
  "${VESPERALIA_SYSROOT}/usr/lib/${VESPERALIA_CROSS_TRIPLET}/pkgconfig:${VESPERALIA_SYSROOT}/usr/share/pkgconfig")

# Target programs run under qemu-user with the sysroot as their root for libraries;
# ctest, and its listing of test cases, go through this.
set(CMAKE_CROSSCOMPILING_EMULATOR "${VESPERALIA_CROSS_QEMU};-L;${VESPERALIA_SYSROOT}")
