#include "tests/test_support.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "game/frame_values.h"
#include "game/game_state.h"
#include "gfx/assets.h"
#include "gfx/screens.h"

SDL_Surface* testScreen() {
    if (!screenSurface) {
        SDL_Init(SDL_INIT_TIMER | SDL_INIT_VIDEO);
        screenSurface = SDL_SetVideoMode(320, 240, 16, 0);
    }
    return screenSurface;
}

void resetGame() {
    resetGameState();
    resetFrameValues();
    titleAnimation = TitleAnimation();
}

SDL_Event keyEvent(SDLKey sym, bool down) {
    SDL_Event e = {};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.keysym.sym = sym;
    return e;
}

SDL_Event clickEvent(int x, int y) {
    SDL_Event e = {};
    e.type = SDL_MOUSEBUTTONUP;
    e.button.button = SDL_BUTTON_LEFT;
    e.button.x = static_cast<Uint16>(x);
    e.button.y = static_cast<Uint16>(y);
    return e;
}

void drainEvents() {
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
    }
}

Uint16 pixelAt(SDL_Surface* s, int x, int y) {
    return static_cast<Uint16*>(s->pixels)[y * (s->pitch / 2) + x];
}

std::string makeTempDir() {
    char tmpl[] = "/tmp/vesperalia-test-XXXXXX";
    char* d = mkdtemp(tmpl);
    return d ? std::string(d) : std::string();
}

void removeTree(const std::string& dir) {
    if (dir.rfind("/tmp/vesperalia-test-", 0) != 0) return; // never anything else
    std::string cmd = "rm -rf '" + dir + "'";
    if (std::system(cmd.c_str()) != 0) {
    }
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

ScopedChdir::ScopedChdir(const std::string& dir) {
    char buf[4096];
    if (getcwd(buf, sizeof buf)) previous = buf;
    if (chdir(dir.c_str()) != 0) {
    }
}

ScopedChdir::~ScopedChdir() {
    if (!previous.empty() && chdir(previous.c_str()) != 0) {
    }
}
