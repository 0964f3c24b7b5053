#pragma once
#include <SDL.h>
#include <SDL_ttf.h>
#include <string>

#include "notify/notifier_state.h"

// The Notifier: short messages that slide over the bottom of the screen in an embedded
// pixel font, one at a time.

// Loads the embedded badge, cap and font for drawing on target (the screen surface).
void setupNotifier(SDL_Surface* target);
// The screen surface was replaced by next (a new video mode): a Notifier drawing on
// previous draws on next from now on. Its images stay as they are.
void moveNotifier(SDL_Surface* previous, SDL_Surface* next);
// Forgets the target and frees the two images; the font and the queue live on.
void shutdownNotifier();
// Queues a message; the registry calls it through a plain function pointer. Either text may
// be null; both are copied.
void notify(int item, int points, const char* title, const char* body);
// Splits a body into at most two lines at the last blank within the first 48 characters.
// Leaves both lines untouched when text is null or has no blank to break at.
void wrapBody(const char* text, std::string& line1, std::string& line2);
// Animates the front message over notifierTarget; called once per frame before the flip.
void drawNotifier();
// Draws one line of text with its top left at x, y; null or empty texts draw nothing.
void drawNotifierText(SDL_Surface* surface, const char* text, int x, int y, int r, int g, int b,
                      TTF_Font* font);

// Building blocks of setupNotifier, kept apart so that damaged bytes can be tried out.
// A 16-bit copy of a BMP held in memory, keyed on magenta as target maps it; null when the
// bytes do not decode.
SDL_Surface* loadKeyedBitmap(const unsigned char* bytes, int size, SDL_Surface* target);
// The font held in memory at point size 8; null when the bytes do not open.
TTF_Font* openFontBytes(const unsigned char* bytes, int size);
