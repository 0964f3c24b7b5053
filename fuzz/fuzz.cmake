# libFuzzer targets for every reader of outside bytes, built only by clang with
# -DVESPERALIA_FUZZ=ON (tools/fuzz.sh configures such a build). In that build the game's
# library carries the fuzzer's coverage instrumentation and AddressSanitizer and
# UndefinedBehaviorSanitizer, like the targets themselves.

option(VESPERALIA_FUZZ "Build the libFuzzer targets in fuzz/ (clang only)" OFF)

set(FUZZ_TARGETS lang profile items descriptions baselang results bmp bitmap font)
set(FUZZ_SOURCE_lang lang_fuzz.cpp)
set(FUZZ_SOURCE_profile profile_fuzz.cpp)
set(FUZZ_SOURCE_items items_fuzz.cpp)
set(FUZZ_SOURCE_descriptions descriptions_fuzz.cpp)
set(FUZZ_SOURCE_baselang base_language_fuzz.cpp)
set(FUZZ_SOURCE_results results_fuzz.cpp)
set(FUZZ_SOURCE_bmp bmp_fuzz.cpp)
set(FUZZ_SOURCE_bitmap notifier_bitmap_fuzz.cpp)
set(FUZZ_SOURCE_font notifier_font_fuzz.cpp)

if(VESPERALIA_FUZZ AND NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(WARNING "VESPERALIA_FUZZ needs clang (CMAKE_CXX_COMPILER=clang++); no fuzz targets")
endif()

if(VESPERALIA_FUZZ AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  set(FUZZ_SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=undefined
                      -fno-omit-frame-pointer)
  target_compile_options(vesperalia_core PRIVATE -fsanitize=fuzzer-no-link ${FUZZ_SANITIZERS})
  # Whatever links the library needs the sanitizers' run-time.
  target_link_options(vesperalia_core INTERFACE -fsanitize=address,undefined)

  add_library(vesperalia_fuzz_support STATIC ${CMAKE_SOURCE_DIR}/fuzz/fuzz_support.cpp
                                             ${CMAKE_SOURCE_DIR}/fuzz/registry_script.cpp)
  target_compile_options(vesperalia_fuzz_support PRIVATE -fsanitize=fuzzer-no-link
                                                         ${FUZZ_SANITIZERS})
  target_compile_definitions(vesperalia_fuzz_support PRIVATE
                             VESPERALIA_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  target_link_libraries(vesperalia_fuzz_support PUBLIC vesperalia_core)

  foreach(name IN LISTS FUZZ_TARGETS)
    add_executable(fuzz_${name} ${CMAKE_SOURCE_DIR}/fuzz/${FUZZ_SOURCE_${name}})
    target_compile_options(fuzz_${name} PRIVATE -fsanitize=fuzzer ${FUZZ_SANITIZERS})
    target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_libraries(fuzz_${name} PRIVATE vesperalia_fuzz_support)
  endforeach()

  # Writes the seed corpora at run time from the game's own files.
  add_executable(fuzz_seeds ${CMAKE_SOURCE_DIR}/fuzz/seeds.cpp)
  target_compile_options(fuzz_seeds PRIVATE ${FUZZ_SANITIZERS})
  target_link_libraries(fuzz_seeds PRIVATE vesperalia_fuzz_support)
  add_custom_target(fuzz_all DEPENDS fuzz_seeds)
  foreach(name IN LISTS FUZZ_TARGETS)
    add_dependencies(fuzz_all fuzz_${name})
  endforeach()
endif()

# Every other build (the normal, the sanitizer and the cross builds, with any compiler)
# replays each target's corpus in fuzz/corpus/TARGET/ through the target's checks, one test
# per target, without libFuzzer.
if(NOT VESPERALIA_FUZZ)
  add_library(vesperalia_fuzz_replay_support STATIC ${CMAKE_SOURCE_DIR}/fuzz/fuzz_support.cpp
                                                    ${CMAKE_SOURCE_DIR}/fuzz/registry_script.cpp
                                                    ${CMAKE_SOURCE_DIR}/fuzz/replay_main.cpp)
  target_compile_definitions(vesperalia_fuzz_replay_support PRIVATE
                             VESPERALIA_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  target_link_libraries(vesperalia_fuzz_replay_support PUBLIC vesperalia_core)
  foreach(name IN LISTS FUZZ_TARGETS)
    add_executable(fuzz_replay_${name} ${CMAKE_SOURCE_DIR}/fuzz/${FUZZ_SOURCE_${name}})
    target_link_libraries(fuzz_replay_${name} PRIVATE vesperalia_fuzz_replay_support)
    add_test(NAME fuzz_replay_${name}
             COMMAND fuzz_replay_${name} ${CMAKE_SOURCE_DIR}/fuzz/corpus/${name})
    set_tests_properties(fuzz_replay_${name} PROPERTIES
                         ENVIRONMENT "SDL_VIDEODRIVER=dummy;SDL_AUDIODRIVER=dummy")
  endforeach()
endif()
