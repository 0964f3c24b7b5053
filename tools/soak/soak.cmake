# The soak: random matches played through the real frame loop against a registry in a
# scratch directory, with the game's rules and the registry's files checked after every
# frame. The test plays 50 matches with a fixed seed; tools/soak.sh plays more.
add_executable(vesperalia_soak ${CMAKE_SOURCE_DIR}/tools/soak/soak.cpp)
target_link_libraries(vesperalia_soak PRIVATE vesperalia_core)
target_compile_definitions(vesperalia_soak PRIVATE SOAK_DEFAULT_ROOT="${CMAKE_SOURCE_DIR}")

enable_testing()
add_test(NAME soak_50_matches
  COMMAND vesperalia_soak --matches 50 --seed 1 --root ${CMAKE_SOURCE_DIR}
  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
set_tests_properties(soak_50_matches PROPERTIES
  ENVIRONMENT "SDL_VIDEODRIVER=dummy;SDL_AUDIODRIVER=dummy"
  TIMEOUT 600)
