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

# Debian's cross compilers search their own C library (/usr/<triplet>/include and lib, from
# Debian 12) before the sysroot's. The sysroot's C library must win, or a program built for
# Debian 11 would need Debian 12's: the compiler's header list is taken without that
# directory, and the sysroot's library directories come first when linking.
get_filename_component(_vesperalia_tool_include "/usr/${VESPERALIA_CROSS_TRIPLET}/include" REALPATH)
foreach(_vesperalia_lang C CXX)
  if(_vesperalia_lang STREQUAL "C")
    set(_vesperalia_driver ${CMAKE_C_COMPILER})
    set(_vesperalia_source c)
  else()
    set(_vesperalia_driver ${CMAKE_CXX_COMPILER})
    set(_vesperalia_source c++)
  endif()
  execute_process(
    COMMAND ${_vesperalia_driver} --sysroot=${VESPERALIA_SYSROOT} -x ${_vesperalia_source} -E -v -
    INPUT_FILE /dev/null OUTPUT_QUIET ERROR_VARIABLE _vesperalia_out RESULT_VARIABLE _vesperalia_rc)
  if(NOT _vesperalia_rc EQUAL 0)
    message(FATAL_ERROR "${_vesperalia_driver} does not run: install g++-${VESPERALIA_CROSS_TRIPLET}")
  endif()
  string(REGEX MATCH "#include <[.][.][.]> search starts here:\n(.*)\nEnd of search list" _vesperalia_list
               "${_vesperalia_out}")
  string(REGEX REPLACE "\n" ";" _vesperalia_list "${CMAKE_MATCH_1}")
  set(_vesperalia_flags "-nostdinc")
  foreach(_vesperalia_dir IN LISTS _vesperalia_list)
    string(STRIP "${_vesperalia_dir}" _vesperalia_dir)
    get_filename_component(_vesperalia_real "${_vesperalia_dir}" REALPATH)
    if(NOT _vesperalia_real STREQUAL _vesperalia_tool_include)
      string(APPEND _vesperalia_flags " -isystem ${_vesperalia_real}")
    endif()
  endforeach()
  set(CMAKE_${_vesperalia_lang}_FLAGS_INIT "${VESPERALIA_CROSS_FLAGS} ${_vesperalia_flags}")
endforeach()
set(_vesperalia_libs "${VESPERALIA_SYSROOT}/usr/lib/${VESPERALIA_CROSS_TRIPLET}")
set(_vesperalia_link
  "-B${_vesperalia_libs}/ -L${VESPERALIA_SYSROOT}/lib/${VESPERALIA_CROSS_TRIPLET} -L${_vesperalia_libs} -Wl,-rpath-link,${VESPERALIA_SYSROOT}/lib/${VESPERALIA_CROSS_TRIPLET}:${_vesperalia_libs}")
foreach(_vesperalia_kind EXE SHARED MODULE)
  set(CMAKE_${_vesperalia_kind}_LINKER_FLAGS_INIT "${VESPERALIA_CROSS_LINK_FLAGS} ${_vesperalia_link}")
endforeach()
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
