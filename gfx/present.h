#pragma once
#include <SDL.h>
#include <cstdint>
#include <vector>

// The video surface the picture is shown on: screenSurface itself at scale 1 without
// borders (the handheld's case), else a larger window or a whole screen in the display's
// own pixel format.
extern SDL_Surface* videoSurface;

// What presenting keeps between frames for the current video mode.
struct Presentation {
    int32_t sendWhole = 1;           // 1: the next frame goes out whole (new mode, exposed window)
    int32_t layerScales = 0;         // 1: the SDL 1.2 layer enlarges the 320x240 mode itself
    std::vector<Uint32> colourTable; // game pixel (RGB565) -> pixel of the video surface
    std::vector<Uint16> lastFrame;   // the 320x240 frame as last presented, row after row
};

extern Presentation presentation;

// Forgets everything presenting kept (tests use it between cases).
void resetPresentation();
// A new video mode was set: the colour table is made anew and the next frame goes out whole.
void presentNewMode();
// The window's picture was lost (exposed, restored): the next frame goes out whole.
void presentWholeNextFrame();

// Fills table (65536 entries) with the pixel of format that SDL's own conversion gives each
// RGB565 value, so writing through it shows exactly the colours of a 16-bit video surface.
void buildColourTable(const SDL_PixelFormat* format, std::vector<Uint32>& table);
// Copies the rows y0 .. y0 + rows - 1, columns x0 .. x0 + w - 1, of the 16-bit frame src
// into dst at (offsetX, offsetY), each pixel as a scale x scale block of table[pixel]. With
// scanlines and scale >= 2 the last row of every block shows the pixel at half brightness.
// dst has 2 or 4 bytes a pixel; anything else, or a block outside dst, draws nothing.
void enlargeArea(SDL_Surface* src, SDL_Surface* dst, const std::vector<Uint32>& table, int scale,
                 int offsetX, int offsetY, bool scanlines, int x0, int y0, int w, int rows);
// The whole frame: enlargeArea over all of src.
void enlargeFrame(SDL_Surface* src, SDL_Surface* dst, const std::vector<Uint32>& table, int scale,
                  int offsetX, int offsetY, bool scanlines);
// Shows the finished frame: flipped when it is the video surface itself (on sdl12-compat
// only what changed since the last frame is sent); else what changed is enlarged onto the
// video surface and only that part is sent.
void presentFrame();
