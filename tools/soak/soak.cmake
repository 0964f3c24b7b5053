# The soak: random matches played through the real frame loop against a registry in a
# scratch directory, with the game's rules and the registry's files checked after every
# frame. The test plays 50 matches with a fixed seed (fewer under an emulator, where each
# frame costs ten times as much); tools/soak.sh plays more.
set(VESPERALIA_SOAK_MATCHES 50 CACHE STRING "Matches the soak test plays")
add_executable(vesperalia_soak ${CMAKE_SOURCE_DIR}/tools/soak/soak.cpp)
target_link_libraries(vesperalia_soak PRIVATE vesperalia_core)
target_compile_definitions(vesperalia_soak PRIVATE SOAK_DEFAULT_ROOT="${CMAKE_SOURCE_DIR}")

enable_testing()
add_test(NAME soak_random_matches
  COMMAND vesperalia_soak --matches ${VESPERALIA_SOAK_MATCHES} --seed 1 --root ${CMAKE_SOURCE_DIR}
  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
set_tests_properties(soak_random_matches PROPERTIES
  ENVIRONMENT "SDL_VIDEODRIVER=dummy;SDL_AUDIODRIVER=dummy"
  TIMEOUT 600)
