#include "app/frame_loop.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <SDL_ttf.h>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <unistd.h>

#include "app/input.h"
#include "app/platform.h"
#include "app/video_mode.h"
#include "exp/registry.h"
#include "game/frame_values.h"
#include "game/game_state.h"
#include "game/results.h"
#include "gfx/assets.h"
#include "gfx/present.h"
#include "gfx/screens.h"
#include "localisation/language_table.h"
#include "notify/notifier.h"

void parseArguments(int argc, char** argv) {
    // Index 0, the program's own name, is compared too.
    for (int i = 0; i < argc; ++i) {
        if (!argv[i]) continue;
        if (std::strcmp(argv[i], "-fullscreen") == 0) game.fullscreenFlag = SDL_FULLSCREEN;
        if (std::strcmp(argv[i], "-scanlines") == 0) game.scanlines = 1;
    }
}

int startGame(int argc, char** argv) {
    parseArguments(argc, argv);
    int forcedScale = parseScaleArgument(argc, argv);
    // The SDL 1.2 layer over SDL2 scales with bilinear blur unless told otherwise, and
    // reads this when SDL starts; SDL 1.2 itself ignores both.
    setenv("SDL12COMPAT_SCALE_METHOD", "nearest", 1);
    setenv("SDL_RENDER_SCALE_QUALITY", "nearest", 1);
    platformBeforeSdlInit();
    if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_AUDIO | SDL_INIT_VIDEO | SDL_INIT_JOYSTICK) < 0)
        return 1;
    if (!openFirstDisplay(forcedScale)) return 1;
    SDL_WM_SetCaption("Vesperalia", "Vesperalia");
    SDL_ShowCursor(platformShowsPointer() ? 1 : 0);
    game.padLayout = platformPadLayout();
    SDL_JoystickOpen(0); // the handheld's pad; absent on most desktops, and that is fine
    TTF_Init();
    gameFont = TTF_OpenFont("data/ruveridovo.ttf", 8);
    Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 128); // without a device the game is silent
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    languageTable.loadLanguage(0);
    registry.baseDir = registryBaseDir();
    registerGame();
    loadResults();
    loadImages();
    loadSounds();
    frame.lastFrameTicks = SDL_GetTicks();
    return 0;
}

uint32_t frameDelayFor(uint32_t elapsed) {
    // Always at least 1 ms when the frame fitted; late frames are not made up.
    if (elapsed < 16) return 16 - elapsed;
    if (elapsed == 16) return 1;
    return 0;
}

void paceFrame() {
    uint32_t wait = frameDelayFor(SDL_GetTicks() - frame.lastFrameTicks);
    if (wait) SDL_Delay(wait);
}

void runFrame(bool pace) {
    SDL_Event event;
    while (SDL_PollEvent(&event))
        handleEvent(event);
    switch (game.screen) {
    case Title:
        drawTitleScreen();
        break;
    case Play:
        playStep();
        break;
    case Opening:
        drawOpeningScreen();
        break;
    case Searching:
        drawSearchingScreen();
        break;
    case Found:
        drawFoundScreen();
        break;
    case MatchEnd:
        drawMatchEndScreen();
        break;
    default:
        break;
    }
    // Every opening, human or computer, shows its first animation frame in this frame.
    if (game.revealFramesLeft > 0 && game.screen != Opening) {
        game.screen = Opening;
        drawOpeningScreen();
    }
    if (pace) paceFrame();
    frame.lastFrameTicks = SDL_GetTicks();
    drawNotifier();
    presentFrame();
    clearFrameOpening();
}

void releaseGame() {
    shutdownNotifier();
    freeImages();
    freeSounds();
    saveResults();
}

int handOverToMenu() {
    if (chdir("/usr/gp2x") != 0) {
        // No menu directory: this is not the handheld, so there is nothing to hand over to.
    }
    execl("/usr/gp2x/gp2xmenu", "/usr/gp2x/gp2xmenu", static_cast<char*>(nullptr));
    return 0;
}
