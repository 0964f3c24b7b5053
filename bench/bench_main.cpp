// Prints how long the game's frames take to draw on this machine and how much memory
// the loaded game holds. Run from the directory that holds data/ and lang/.
#include <SDL.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/frame_loop.h"
#include "game/frame_values.h"
#include "game/game_state.h"
#include "gfx/assets.h"
#include "gfx/screens.h"

namespace {

long residentKilobytes() {
    FILE* f = std::fopen("/proc/self/status", "r");
    if (!f) return -1;
    char line[256];
    long kb = -1;
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, "VmRSS:", 6) == 0) kb = std::strtol(line + 6, nullptr, 10);
    std::fclose(f);
    return kb;
}

template <typename F> double microsPerCall(F body, int calls) {
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < calls; ++i)
        body();
    auto end = std::chrono::steady_clock::now();
    return std::chrono::duration<double, std::micro>(end - start).count() / calls;
}

} // namespace

int main(int argc, char** argv) {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    long before = residentKilobytes();
    if (startGame(argc, argv) != 0) {
        std::fprintf(stderr, "bench: SDL or the video mode could not be started\n");
        return 1;
    }
    long loaded = residentKilobytes();
    int missing = 0;
    SDL_Surface** all = reinterpret_cast<SDL_Surface**>(&images);
    for (size_t i = 0; i < sizeof images / sizeof(SDL_Surface*); ++i)
        if (!all[i] && i != 11 && i != 25) ++missing; // player[0] and coffin[0] are unused
    if (missing)
        std::printf("warning: %d images did not load (run from the game directory)\n", missing);

    const int calls = 2000;
    std::printf("title frame          %8.1f us\n", microsPerCall(drawTitleScreen, calls));
    startMatch();
    game.screen = Play;
    std::printf("board frame          %8.1f us\n", microsPerCall(drawPlayScreen, calls));
    for (int i = 0; i < 100; i += 3)
        game.board.cells[i] = HintLower;
    std::printf("board, many opened   %8.1f us\n", microsPerCall(drawPlayScreen, calls));
    game.screen = Title;
    std::printf("whole title frame    %8.1f us (input, draw, overlay, flip; no pacing)\n",
                microsPerCall([] { runFrame(false); }, calls));
    std::printf("frame budget         %8d us\n", 16000);
    std::printf("memory before start  %8ld kB\n", before);
    std::printf("memory when loaded   %8ld kB\n", loaded);
    releaseGame();
    return 0;
}
