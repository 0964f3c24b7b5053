# Included right after project() by tools/package.sh: writes down the system root the
# toolchain file chose, where the packager looks for the libraries the game needs.
file(WRITE ${CMAKE_BINARY_DIR}/vesperalia-sysroot.txt "${CMAKE_SYSROOT}")
