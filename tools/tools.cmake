# Generated data: data/, lang/ and the Notifier's embedded files come from the
# readable sources under tools/. This test rebuilds them all and fails when a
# committed file no longer matches its source (or a stray file sits in data/
# or lang/). The generators need Debian's own python3 with python3-pil and
# python3-fonttools, so that interpreter is looked up by its full path.
find_program(VESPERALIA_ASSET_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH)
if(VESPERALIA_ASSET_PYTHON)
  enable_testing()
  add_test(NAME generated_files_up_to_date
    COMMAND ${VESPERALIA_ASSET_PYTHON} ${CMAKE_SOURCE_DIR}/tools/generate-assets.py --check
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
  # The packager's tool that makes the handheld package's SDL 1.2 layer load on older glibc.
  add_test(NAME fit_glibc231_tool
    COMMAND ${VESPERALIA_ASSET_PYTHON} ${CMAKE_SOURCE_DIR}/tools/package/fit-glibc231-test.py)
  # The handheld package's check of its pad map, read as the pad mapper reads it.
  add_test(NAME handheld_pad_map_check
    COMMAND ${VESPERALIA_ASSET_PYTHON} ${CMAKE_SOURCE_DIR}/tools/package/check-gptk-test.py)
  # Every relative link of README.md and docs/ names a file (and a heading) that exists.
  add_test(NAME doc_links
    COMMAND ${VESPERALIA_ASSET_PYTHON} ${CMAKE_SOURCE_DIR}/tests/docs/check-links.py ${CMAKE_SOURCE_DIR})
else()
  message(WARNING "no /usr/bin/python3: the generated-files check is not run")
endif()

# The packages' screenshot and the README's pictures: the game's own screens, saved by the
# game's code. The scenes are shared with the test that compares the committed pictures.
add_library(vesperalia_scenes STATIC ${CMAKE_SOURCE_DIR}/tools/screenshot/scenes.cpp)
target_link_libraries(vesperalia_scenes PUBLIC vesperalia_core)
add_executable(vesperalia-screenshot ${CMAKE_SOURCE_DIR}/tools/screenshot/screenshot.cpp)
target_link_libraries(vesperalia-screenshot PRIVATE vesperalia_scenes)

# The handheld launcher's choice of the first profile's language, on a stand-in for the
# package manager; a shell script, so it runs on the building machine in cross-builds too.
enable_testing()
add_test(NAME handheld_launcher_language
  COMMAND sh ${CMAKE_SOURCE_DIR}/tools/package/check-launcher-language.sh ${CMAKE_SOURCE_DIR})
