#pragma once
#include <SDL.h>

// The video surface the picture is shown on: screenSurface itself at scale 1 without
// borders (the handheld's case), else a larger window or a whole screen.
extern SDL_Surface* videoSurface;

// Copies the 320x240 16-bit frame src into dst at (offsetX, offsetY), each pixel as a
// scale x scale block of its exact colour. With scanlines and scale >= 2 the last row of
// every block is at half brightness.
void enlargeFrame(SDL_Surface* src, SDL_Surface* dst, int scale, int offsetX, int offsetY,
                  bool scanlines);
// Shows the finished frame: enlarged to the video surface when that is another one, then flipped.
void presentFrame();
