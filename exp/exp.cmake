# Where the exp registry lives. The handheld's card is the default; a desktop build
# can point it into the checkout (see tools/play.sh).
set(EXP_BASE_DIR "/mnt/sd/exp/" CACHE STRING "Absolute base directory of the exp registry, ending in /")
target_compile_definitions(vesperalia_core PRIVATE EXP_BASE_DIR="${EXP_BASE_DIR}")

# Stands in for the device's profile software on machines without it.
file(GLOB PROFILE_TOOL_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/exp/profile_tool/*.cpp)
add_executable(vesperalia-profile ${PROFILE_TOOL_SOURCES})
target_link_libraries(vesperalia-profile PRIVATE vesperalia_core)
