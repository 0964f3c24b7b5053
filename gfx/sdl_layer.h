#pragma once
#include <SDL.h>
#include <vector>

// Most systems run the game on sdl12-compat, the SDL 1.2 interface over SDL2 (it reports
// 1.2.50 and later), not on SDL 1.2 itself. The layer redraws its whole window at every
// present however little changed, so the cheapest enlarged picture there is the layer's
// own: a 320x240 mode that SDL2 scales, made to use whole-number blocks through SDL2's
// window and renderer, which the layer hands out. Nothing here is used on SDL 1.2.

// True when the SDL 1.2 library in use is the layer over SDL2.
bool sdlIsLayer();
// True when the layer and the SDL2 under it offer every call below.
bool layerCanScale();
// For the mode just set: the picture in whole-number blocks, centred, black around it, at
// any window size; a window of at least 320x240. False when a call is missing.
bool layerUseWholeBlocks();
// Sizes the layer's window to w x h pixels (the layer keeps its 320x240 mode in it).
bool layerSetWindowSize(int w, int h);

// The name of SDL2's renderer that draws the layer's window ("opengl", "software", ...);
// "" when there is none.
const char* layerRendererName();

// What the screen shows now, as 0xRRGGBB pixels row after row: the video surface on SDL
// 1.2, the layer's window (after presenting the last frame whole) on the layer. False when
// there is nothing to read.
bool shownPicture(std::vector<Uint32>& pixels, int& w, int& h);
