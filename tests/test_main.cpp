#include <SDL.h>
#include <SDL_mixer.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // "--sdl-version": the SDL 1.2 library this program runs on, for the test command.
    if (argc == 2 && std::strcmp(argv[1], "--sdl-version") == 0) {
        const SDL_version* v = SDL_Linked_Version();
        std::printf("%d.%d.%d\n", v->major, v->minor, v->patch);
        return 0;
    }
    // No test needs a display or a sound card.
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    // Never the player's own registry: a base that does not exist unless a test makes it.
    setenv("VESPERALIA_EXP_BASE", "/nonexistent/vesperalia-tests/exp/", 1);
    ::testing::InitGoogleTest(&argc, argv);
    int failed = RUN_ALL_TESTS();
    // The SDL 1.2 layer over SDL2 unloads SDL2 as the program ends: its sound and timer
    // threads must be gone by then, or they crash the program on its way out. Not SDL_Quit:
    // on older SDL2 (Debian 11's) the layer's video shutdown crashes in it.
    while (Mix_QuerySpec(nullptr, nullptr, nullptr))
        Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO | SDL_INIT_TIMER);
    return failed;
}
