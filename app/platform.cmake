# The one choice between targets, made at configure time:
#   desktop  a scaled window with the pointer, the registry in the user's data directory,
#            a desktop game pad;
#   gp2x     the GP2X family: 320x240, pointer hidden, "-fullscreen" passed to the video
#            mode, the registry on the card (/mnt/sd/exp/), the handheld's pad numbers;
#   handheld today's ARM Linux handhelds: as gp2x, but the pad arrives as keys through
#            the launcher's pad mapper, and the launcher names the registry's base.
set(VESPERALIA_PLATFORM "desktop" CACHE STRING "Target: desktop, gp2x or handheld")
set_property(CACHE VESPERALIA_PLATFORM PROPERTY STRINGS desktop gp2x handheld)
if(NOT VESPERALIA_PLATFORM MATCHES "^(desktop|gp2x|handheld)$")
  message(FATAL_ERROR "VESPERALIA_PLATFORM must be desktop, gp2x or handheld, not '${VESPERALIA_PLATFORM}'")
endif()
target_sources(vesperalia_core PRIVATE ${CMAKE_SOURCE_DIR}/app/platform/${VESPERALIA_PLATFORM}.cpp)
if(NOT VESPERALIA_PLATFORM STREQUAL "desktop")
  target_sources(vesperalia_core PRIVATE ${CMAKE_SOURCE_DIR}/app/platform/device.cpp)
endif()
