# Desktop or handheld: the one choice between them, made at configure time. The handheld
# build keeps the registry on the card, the pointer hidden, the picture at scale 1 and the
# handheld's pad numbers; the desktop build scales, shows the pointer and keeps the
# registry in the user's data directory.
option(VESPERALIA_HANDHELD "Build for the handheld instead of a desktop" OFF)
if(VESPERALIA_HANDHELD)
  target_sources(vesperalia_core PRIVATE ${CMAKE_SOURCE_DIR}/app/platform/handheld.cpp)
else()
  target_sources(vesperalia_core PRIVATE ${CMAKE_SOURCE_DIR}/app/platform/desktop.cpp)
endif()
