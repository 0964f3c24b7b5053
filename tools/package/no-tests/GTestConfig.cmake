# Stands in for GoogleTest in the packages' cross builds, which build the game and the
# profile tool only: device toolchains often have no GoogleTest, and Debian 11's
# configuration needs a library its package lacks.
if(NOT TARGET GTest::gtest)
  add_library(GTest::gtest INTERFACE IMPORTED)
  add_library(GTest::gtest_main INTERFACE IMPORTED)
endif()
