// vesperalia-screenshot: starts the game on its title screen, lets it draw a number of
// frames and saves the 320x240 picture as a BMP file. Packages use it for their
// screenshot, so the picture is always the game's own. Runs from a directory holding
// data/ and lang/; needs no display (SDL's dummy video driver does). The banner is in
// English where lang/ carries it, as a profile set to "en" would show it.
#include <SDL/SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/frame_loop.h"
#include "gfx/assets.h"
#include "localisation/language_table.h"

namespace {

int fail(const std::string& message) {
    std::fprintf(stderr, "vesperalia-screenshot: %s\n", message.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3 || !argv[1][0])
        return fail("usage: vesperalia-screenshot OUT.bmp [FRAMES]  (run where data/ and lang/ "
                    "are)");
    int frames = 120; // long enough for the ticker to have entered the screen
    if (argc == 3) {
        char* end = nullptr;
        long n = std::strtol(argv[2], &end, 10);
        if (!*argv[2] || *end || n < 1 || n > 10000) return fail("FRAMES must be 1 to 10000");
        frames = static_cast<int>(n);
    }
    FILE* probe = std::fopen("data/title.png", "rb");
    if (!probe) return fail("no data/title.png here: run it from the game's folder");
    std::fclose(probe);

    // A registry that cannot exist: the picture shows no login greeting, and nobody's
    // profile is touched.
    setenv("VESPERALIA_EXP_BASE", "/nonexistent/vesperalia-screenshot/exp/", 1);
    if (!std::getenv("SDL_VIDEODRIVER")) setenv("SDL_VIDEODRIVER", "dummy", 1);
    if (!std::getenv("SDL_AUDIODRIVER")) setenv("SDL_AUDIODRIVER", "dummy", 1);

    char name[] = "vesperalia-screenshot";
    char* gameArgs[] = {name, nullptr};
    if (startGame(1, gameArgs) != 0)
        return fail(std::string("SDL did not start: ") + SDL_GetError());
    languageTable.selectLanguage("en"); // language 0 when there is no English file
    for (int i = 0; i < frames; ++i)
        runFrame(false);
    if (!screenSurface) return fail("the game opened no screen");
    // Results are not saved: this run played nothing, and without a registry they would
    // land in the working directory.
    if (SDL_SaveBMP(screenSurface, argv[1]) != 0)
        return fail(std::string("cannot write ") + argv[1] + ": " + SDL_GetError());
    // Left as the game leaves, without SDL_Quit: the SDL 1.2 layer over SDL2 (on today's
    // handhelds) crashes on the way out after it.
    freeImages();
    freeSounds();
    return 0;
}
