# Stands in for the device's profile software on machines without it.
file(GLOB PROFILE_TOOL_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/exp/profile_tool/*.cpp)
add_executable(vesperalia-profile ${PROFILE_TOOL_SOURCES})
target_link_libraries(vesperalia-profile PRIVATE vesperalia_core)
