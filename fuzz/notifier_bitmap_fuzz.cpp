// The Notifier's bitmap loader on any bytes: a loaded image is a keyed 16-bit surface and is
// blitted onto a 320x240 16-bit screen, as the Notifier draws its badge and cap.
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
    for (SDL_Surface* target : {screen, static_cast<SDL_Surface*>(nullptr)}) {
        SDL_Surface* image = loadKeyedBitmap(data, static_cast<int>(size), target);
        if (!image) continue;
        if (image->format->BitsPerPixel != 16 || !(image->flags & SDL_SRCCOLORKEY))
            fuzzFail("a loaded bitmap is not a keyed 16-bit surface");
        for (Sint16 x : {0, 148, 294, 318}) {
            SDL_Rect at = {x, 210, 0, 0};
            SDL_UpperBlit(image, nullptr, screen, &at);
        }
        SDL_FreeSurface(image);
    }
    checkAfterRun();
    return 0;
}
