#pragma once
#include <SDL.h>

// One line of text in the game font at (x, y); skipped when the font is missing.
void drawText(SDL_Surface* target, const char* text, int x, int y, Uint8 red, Uint8 green,
              Uint8 blue);
// A filled box less three pixels at each corner, on the screen; nothing for 5 px or less.
void fillRoundedBox(SDL_Rect rect, Uint32 colour);
// A box with a one-pixel border of the outer colour that follows the clipped corners.
void drawFrame(SDL_Rect rect, Uint32 innerColour, Uint32 outerColour);
// Blit a whole image with its top left at (x, y); a null image draws nothing.
void blitAt(SDL_Surface* image, int x, int y);
