#include "gfx/draw.h"

#include "gfx/assets.h"

void drawText(SDL_Surface* target, const char* text, int x, int y, Uint8 red, Uint8 green,
              Uint8 blue) {
    if (!gameFont || !text) return;
    SDL_Color colour = {red, green, blue, 0};
    SDL_Surface* rendered = TTF_RenderText_Blended(gameFont, text, colour);
    if (!rendered) return; // an empty text renders to nothing
    SDL_Rect dst = {0, 0, 0, 0};
    dst.x = static_cast<Sint16>(x);
    dst.y = static_cast<Sint16>(y);
    SDL_UpperBlit(rendered, nullptr, target, &dst);
    SDL_FreeSurface(rendered);
}

static void fill(int x, int y, int w, int h, Uint32 colour) {
    SDL_Rect r;
    r.x = static_cast<Sint16>(x);
    r.y = static_cast<Sint16>(y);
    r.w = static_cast<Uint16>(w);
    r.h = static_cast<Uint16>(h);
    SDL_FillRect(screenSurface, &r, colour);
}

void fillRoundedBox(SDL_Rect rect, Uint32 colour) {
    if (!screenSurface || rect.w <= 5 || rect.h <= 5) return;
    int x = rect.x, y = rect.y, w = rect.w, h = rect.h;
    fill(x + 1, y + 1, w - 2, h - 2, colour);
    fill(x + 2, y, w - 4, 1, colour);
    fill(x + 2, y + h - 1, w - 4, 1, colour);
    fill(x, y + 2, 1, h - 4, colour);
    fill(x + w - 1, y + 2, 1, h - 4, colour);
}

void drawFrame(SDL_Rect rect, Uint32 innerColour, Uint32 outerColour) {
    fillRoundedBox(rect, outerColour);
    if (rect.w < 2 || rect.h < 2) return; // the inner size would wrap around
    SDL_Rect inner = rect;
    inner.x = static_cast<Sint16>(rect.x + 1);
    inner.y = static_cast<Sint16>(rect.y + 1);
    inner.w = static_cast<Uint16>(rect.w - 2);
    inner.h = static_cast<Uint16>(rect.h - 2);
    fillRoundedBox(inner, innerColour);
}

void blitAt(SDL_Surface* image, int x, int y) {
    if (!image || !screenSurface) return;
    SDL_Rect dst = {0, 0, 0, 0};
    dst.x = static_cast<Sint16>(x);
    dst.y = static_cast<Sint16>(y);
    SDL_UpperBlit(image, nullptr, screenSurface, &dst);
}
