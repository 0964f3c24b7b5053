// The Notifier's font loader on any bytes: an opened font draws a greeting and Latin-1 text
// onto a 320x240 16-bit screen, as the Notifier draws its messages, and is closed again.
#include <SDL.h>
#include <cstdlib>

#include "fuzz/fuzz_support.h"
#include "notify/notifier.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    scratch();
    static SDL_Surface* screen = [] {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        SDL_Init(SDL_INIT_VIDEO);
        return SDL_SetVideoMode(320, 240, 16, 0);
    }();
    if (!screen) fuzzFail("no dummy screen");
    beginRun();
    if (TTF_Font* font = openFontBytes(data, static_cast<int>(size))) {
        drawNotifierText(screen, "Login... Tester", 50, 208, 255, 255, 0, font);
        drawNotifierText(screen, "\xc4rger \xfc\xdf\xe9 ~{|}", 50, 218, 255, 255, 0, font);
        TTF_CloseFont(font);
    }
    checkAfterRun();
    return 0;
}
