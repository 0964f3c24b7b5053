# Installing on a desktop, the way Linux games install (cmake --install BUILD --prefix P):
#   P/bin/vesperalia                 the launcher (a shell script; finds P from its own path)
#   P/bin/vesperalia-profile         the profile tool's launcher (a shell script)
#   P/libexec/vesperalia/vesperalia, P/libexec/vesperalia/vesperalia-profile
#                                    the game and the profile tool, started by their
#                                    launchers only, as both read lang/ from their working
#                                    directory, share/vesperalia
#   P/libexec/vesperalia/start-common.sh   shared with tools/play.sh: display check, first profile
#   P/share/vesperalia/{data,lang}   the game's files
#   P/share/applications/vesperalia.desktop, P/share/icons/hicolor/NxN/apps/vesperalia.png
#   P/share/man/man6/vesperalia.6, P/share/man/man6/vesperalia-profile.6
# VESPERALIA_BIN_DIR puts the launchers elsewhere than bin/, one level below P
# (the Debian package uses games/, as Debian does for games).
# The paths are fixed relative to P so that the launcher can find everything from its own
# place. The handheld targets are packaged differently, so this is the desktop's only.
if(NOT VESPERALIA_PLATFORM STREQUAL "desktop")
  return()
endif()

set(VESPERALIA_DESKTOP_DIR ${CMAKE_SOURCE_DIR}/tools/desktop)

install(TARGETS vesperalia vesperalia-profile RUNTIME DESTINATION libexec/vesperalia)
set(VESPERALIA_BIN_DIR bin CACHE STRING "Folder of the launchers under the prefix, one level deep")
if(NOT VESPERALIA_BIN_DIR MATCHES "^[^/]+$" OR VESPERALIA_BIN_DIR STREQUAL "..")
  message(FATAL_ERROR "VESPERALIA_BIN_DIR must be one folder below the prefix, such as bin or games")
endif()
install(PROGRAMS ${VESPERALIA_DESKTOP_DIR}/vesperalia ${VESPERALIA_DESKTOP_DIR}/vesperalia-profile
        DESTINATION ${VESPERALIA_BIN_DIR})
install(FILES ${VESPERALIA_DESKTOP_DIR}/start-common.sh DESTINATION libexec/vesperalia)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data ${CMAKE_SOURCE_DIR}/lang DESTINATION share/vesperalia)
install(FILES ${VESPERALIA_DESKTOP_DIR}/vesperalia.desktop DESTINATION share/applications)
install(FILES ${VESPERALIA_DESKTOP_DIR}/vesperalia.6 ${VESPERALIA_DESKTOP_DIR}/vesperalia-profile.6
        DESTINATION share/man/man6)
# The version, for packagers: project() in CMakeLists.txt is its one source.
file(WRITE ${CMAKE_BINARY_DIR}/vesperalia-version.txt "${PROJECT_VERSION}\n")

# The icons are the game's registry icon scaled up by whole numbers, made at build time.
find_program(VESPERALIA_ICON_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH)
set(VESPERALIA_ICON_DIR ${CMAKE_BINARY_DIR}/desktop-icons)
set(VESPERALIA_ICON_SIZES 24 48 96 192 256)
set(VESPERALIA_ICONS "")
foreach(size ${VESPERALIA_ICON_SIZES})
  list(APPEND VESPERALIA_ICONS ${VESPERALIA_ICON_DIR}/hicolor/${size}x${size}/apps/vesperalia.png)
endforeach()
if(VESPERALIA_ICON_PYTHON)
  execute_process(COMMAND ${VESPERALIA_ICON_PYTHON} -c "import PIL" RESULT_VARIABLE no_pil
                  OUTPUT_QUIET ERROR_QUIET)
endif()
if(VESPERALIA_ICON_PYTHON AND NOT no_pil)
  add_custom_command(
    OUTPUT ${VESPERALIA_ICONS}
    COMMAND ${VESPERALIA_ICON_PYTHON} ${VESPERALIA_DESKTOP_DIR}/make-icons.py
            ${CMAKE_SOURCE_DIR}/data/exp.icon.bmp ${VESPERALIA_ICON_DIR}
    DEPENDS ${VESPERALIA_DESKTOP_DIR}/make-icons.py ${CMAKE_SOURCE_DIR}/data/exp.icon.bmp
    COMMENT "Desktop icons from data/exp.icon.bmp")
  add_custom_target(vesperalia_desktop_icons ALL DEPENDS ${VESPERALIA_ICONS})
  install(DIRECTORY ${VESPERALIA_ICON_DIR}/hicolor DESTINATION share/icons)
else()
  message(WARNING "no /usr/bin/python3 with python3-pil: the installation carries no icon")
endif()

# Installs into a scratch prefix under the build directory and checks the layout, the
# launcher's refusal without a display and the first profile's language.
enable_testing()
add_test(NAME desktop_install_layout
  COMMAND sh ${VESPERALIA_DESKTOP_DIR}/check-install.sh ${CMAKE_COMMAND} ${CMAKE_BINARY_DIR}
          ${CMAKE_BINARY_DIR}/install-check)
