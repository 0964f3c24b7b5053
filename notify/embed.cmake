# Compiles the Notifier's font, badge and cap into the game as constant byte arrays.
#
# Included from the top-level CMakeLists.txt, it adds a build step that writes
# notify/embedded_resources.cpp in the build tree and hands it to vesperalia_core. The same
# file, run with `cmake -P`, is that step.

set(NOTIFY_ART_FILES notifier_font.ttf badge.bmp cap.bmp)

if(CMAKE_SCRIPT_MODE_FILE)
  # Build step: ART_DIR holds the art files, OUT is the source file to write.
  set(missing "")
  foreach(name IN LISTS NOTIFY_ART_FILES)
    if(NOT EXISTS "${ART_DIR}/${name}")
      string(APPEND missing "\n  ${ART_DIR}/${name}")
    endif()
  endforeach()
  if(missing)
    message(FATAL_ERROR "Notifier art missing (the artwork tools generate it into notify/):"
                        "${missing}")
  endif()

  set(source "// Generated from the Notifier's art by notify/embed.cmake; do not edit.\n")
  string(APPEND source "#include \"notify/embedded_resources.h\"\n")
  function(embed array name)
    file(READ "${ART_DIR}/${name}" hex HEX)
    if(hex STREQUAL "")
      message(FATAL_ERROR "Notifier art is empty: ${ART_DIR}/${name}")
    endif()
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    # CMake's regular expressions have no counted repeats: sixteen bytes spelled out.
    string(REPEAT "0x..," 16 row)
    string(REGEX REPLACE "(${row})" "\\1\n    " bytes "${bytes}")
    string(APPEND source "\n// ${name}\nconst unsigned char ${array}[] = {\n    ${bytes}\n};\n"
                         "const std::size_t ${array}Count = sizeof ${array};\n")
    set(source "${source}" PARENT_SCOPE)
  endfunction()
  embed(notifierFontBytes notifier_font.ttf)
  embed(badgeBitmapBytes badge.bmp)
  embed(capBitmapBytes cap.bmp)
  file(WRITE "${OUT}" "${source}")
  return()
endif()

set(NOTIFY_ART_DIR ${CMAKE_SOURCE_DIR}/notify)
set(NOTIFY_EMBEDDED ${CMAKE_BINARY_DIR}/notify/embedded_resources.cpp)
set(notify_art_present "")
foreach(name IN LISTS NOTIFY_ART_FILES)
  if(EXISTS ${NOTIFY_ART_DIR}/${name})
    list(APPEND notify_art_present ${NOTIFY_ART_DIR}/${name})
  else()
    # Not there yet: configure again at the next build, so that it is tracked once it lands.
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${NOTIFY_ART_DIR}/${name})
  endif()
endforeach()

add_custom_command(
  OUTPUT ${NOTIFY_EMBEDDED}
  COMMAND ${CMAKE_COMMAND} -DART_DIR=${NOTIFY_ART_DIR} -DOUT=${NOTIFY_EMBEDDED}
          -P ${CMAKE_CURRENT_LIST_FILE}
  DEPENDS ${notify_art_present} ${CMAKE_CURRENT_LIST_FILE}
  COMMENT "Embedding the Notifier's font and bitmaps"
  VERBATIM)
target_sources(vesperalia_core PRIVATE ${NOTIFY_EMBEDDED})
