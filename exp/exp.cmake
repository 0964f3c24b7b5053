# The registry's batches flush a whole file system at once where the system can.
include(CheckCXXSymbolExists)
check_cxx_symbol_exists(syncfs unistd.h VESPERALIA_HAVE_SYNCFS)
if(VESPERALIA_HAVE_SYNCFS)
  set_property(SOURCE ${CMAKE_SOURCE_DIR}/exp/file_io.cpp APPEND PROPERTY COMPILE_DEFINITIONS HAVE_SYNCFS)
endif()

# Stands in for the device's profile software on machines without it. The commands are
# a library of their own, so the tests call them without starting the tool.
file(GLOB PROFILE_COMMAND_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/exp/profile_tool/*.cpp)
list(REMOVE_ITEM PROFILE_COMMAND_SOURCES ${CMAKE_SOURCE_DIR}/exp/profile_tool/main.cpp)
add_library(vesperalia_profile_commands STATIC ${PROFILE_COMMAND_SOURCES})
target_link_libraries(vesperalia_profile_commands PUBLIC vesperalia_core)
add_executable(vesperalia-profile exp/profile_tool/main.cpp)
target_link_libraries(vesperalia-profile PRIVATE vesperalia_profile_commands)
