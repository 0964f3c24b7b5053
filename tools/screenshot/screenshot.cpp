// vesperalia-screenshot: starts the game on its title screen, lets it draw a number of
// frames and saves the picture as a BMP file. Packages use it for their screenshots, so
// the picture is always the game's own. Runs from a directory holding data/ and lang/;
// needs no display (SDL's dummy video driver does). The banner is in English where lang/
// carries it, as a profile set to "en" would show it.
//   -scale N     the picture enlarged N times, each game pixel an N x N block (as the game
//                shows it in a window of that scale, without scanlines)
//   -seed N      the dealing's random numbers start from N, so a scene comes out the same
//   -keys SCRIPT played before the FRAMES: a key name (up, down, left, right, space,
//                rctrl, escape, minus, equals) is held down for a frame, or for N
//                frames as NAME*N; "+N" lets N frames pass
//   -scene NAME  instead of frames of play, one fixed moment drawn by the game's own
//                routines (title, match, unlock, and title-message, opening, searching,
//                found, match-end: tools/screenshot/scenes.h), as the README's pictures
//                show the first three
//   -window      the picture as the desktop's window shows it, at -scale N (and with
//                -scanlines): through the game's own display and the SDL 1.2 library in
//                use, read back from the window (on sdl12-compat, from SDL2's window)
//   -scanlines   with -window: the window's scanlines
// The game itself runs as on the handheld, at 320x240.
#include <SDL/SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "app/frame_loop.h"
#include "app/platform.h"
#include "app/video_mode.h"
#include "game/game_state.h"
#include "gfx/present.h"
#include "gfx/sdl_layer.h"
#include "gfx/assets.h"
#include "localisation/language_table.h"
#include "notify/notifier.h"
#include "tools/screenshot/scenes.h"

namespace {

int fail(const std::string& message) {
    std::fprintf(stderr, "vesperalia-screenshot: %s\n", message.c_str());
    return 1;
}

bool readNumber(const char* text, long low, long high, long& out) {
    char* end = nullptr;
    long n = std::strtol(text, &end, 10);
    if (!*text || *end || n < low || n > high) return false;
    out = n;
    return true;
}

bool keyNamed(const std::string& name, SDLKey& key) {
    static const struct {
        const char* name;
        SDLKey key;
    } keys[] = {{"up", SDLK_UP},         {"down", SDLK_DOWN},   {"left", SDLK_LEFT},
                {"right", SDLK_RIGHT},   {"space", SDLK_SPACE}, {"rctrl", SDLK_RCTRL},
                {"escape", SDLK_ESCAPE}, {"minus", SDLK_MINUS}, {"equals", SDLK_EQUALS}};
    for (const auto& k : keys)
        if (name == k.name) {
            key = k.key;
            return true;
        }
    return false;
}

void pushKey(SDLKey key, Uint8 type) {
    SDL_Event event;
    std::memset(&event, 0, sizeof event);
    event.type = type;
    event.key.type = type;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = key;
    SDL_PushEvent(&event);
}

// src (16 bits a pixel) with every pixel as a scale x scale block, in the same format.
SDL_Surface* enlarged(SDL_Surface* src, int scale) {
    const SDL_PixelFormat* f = src->format;
    SDL_Surface* dst = SDL_CreateRGBSurface(SDL_SWSURFACE, src->w * scale, src->h * scale, 16,
                                            f->Rmask, f->Gmask, f->Bmask, 0);
    if (!dst || f->BytesPerPixel != 2) return dst;
    SDL_LockSurface(src);
    for (int y = 0; y < dst->h; ++y) {
        const Uint16* in = reinterpret_cast<const Uint16*>(static_cast<const Uint8*>(src->pixels) +
                                                           (y / scale) * src->pitch);
        Uint16* row = reinterpret_cast<Uint16*>(static_cast<Uint8*>(dst->pixels) + y * dst->pitch);
        for (int x = 0; x < dst->w; ++x)
            row[x] = in[x / scale];
    }
    SDL_UnlockSurface(src);
    return dst;
}

// Checks the whole script before anything runs; plays it when play is true.
bool runScript(const std::string& script, bool play, std::string& error) {
    std::istringstream tokens(script);
    std::string token;
    while (tokens >> token) {
        long frames = 0;
        SDLKey key = SDLK_UNKNOWN;
        if (token[0] == '+') {
            if (!readNumber(token.c_str() + 1, 1, 100000, frames)) {
                error = "bad frame count '" + token + "' in -keys";
                return false;
            }
        } else if (keyNamed(token.substr(0, token.find('*')), key)) {
            // Held down for the frames after '*' (one without it): a held direction moves
            // the cursor after five.
            frames = 1;
            size_t star = token.find('*');
            if (star != std::string::npos &&
                !readNumber(token.c_str() + star + 1, 1, 1000, frames)) {
                error = "bad hold '" + token + "' in -keys";
                return false;
            }
            if (play) {
                pushKey(key, SDL_KEYDOWN);
                for (long i = 0; i < frames; ++i)
                    runFrame(false);
                pushKey(key, SDL_KEYUP);
            }
            frames = 0;
        } else {
            error = "unknown key '" + token + "' in -keys";
            return false;
        }
        if (play)
            for (long i = 0; i < frames; ++i)
                runFrame(false);
    }
    if (play) runFrame(false); // the last release
    return true;
}

// The frame drawn now, shown in a window of scale as the desktop game shows it, saved as
// the window holds it.
int saveWindow(int scale, bool scanlines, const char* out) {
    SDL_Surface* frame =
        SDL_CreateRGBSurface(SDL_SWSURFACE, 320, 240, 16, 0xF800, 0x07E0, 0x001F, 0);
    if (!frame) return fail(SDL_GetError());
    SDL_BlitSurface(screenSurface, nullptr, frame, nullptr);
    game.scanlines = scanlines ? 1 : 0;
    if (!openDisplay(windowPlan(scale))) return fail(std::string("no window: ") + SDL_GetError());
    // A new mode may have left a new surface to draw on: the same frame goes there.
    SDL_BlitSurface(frame, nullptr, screenSurface, nullptr);
    SDL_FreeSurface(frame);
    presentFrame();
    std::vector<Uint32> pixels;
    int w = 0, h = 0;
    if (!shownPicture(pixels, w, h)) return fail("cannot read back what the window shows");
    SDL_Surface* shot = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 24, 0xFF0000, 0xFF00, 0xFF, 0);
    if (!shot) return fail(SDL_GetError());
    for (int y = 0; y < h; ++y) {
        Uint8* row = static_cast<Uint8*>(shot->pixels) + y * shot->pitch;
        for (int x = 0; x < w; ++x) {
            Uint32 p = pixels[static_cast<size_t>(y) * w + x];
            SDL_Color c = {Uint8(p >> 16), Uint8(p >> 8), Uint8(p), 0};
            Uint32 v = SDL_MapRGB(shot->format, c.r, c.g, c.b);
            row[3 * x] = Uint8(v);
            row[3 * x + 1] = Uint8(v >> 8);
            row[3 * x + 2] = Uint8(v >> 16);
        }
    }
    int saved = SDL_SaveBMP(shot, out);
    SDL_FreeSurface(shot);
    if (saved != 0) return fail(std::string("cannot write ") + out + ": " + SDL_GetError());
    freeImages();
    freeSounds();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const char* usage = "usage: vesperalia-screenshot [-scale N] [-seed N] [-keys SCRIPT] "
                        "[-scene NAME] [-window [-scanlines]] OUT.bmp [FRAMES]  (run where "
                        "data/ and lang/ are)";
    long scale = 1;
    long seed = -1;
    std::string script;
    bool sceneGiven = false;
    Scene scene = SceneTitle;
    bool window = false, scanlines = false;
    int i = 1;
    for (; i + 1 < argc && argv[i][0] == '-'; i += 2) {
        long n = 0;
        // The two switches stand alone.
        if (std::strcmp(argv[i], "-window") == 0 || std::strcmp(argv[i], "-scanlines") == 0) {
            (argv[i][1] == 'w' ? window : scanlines) = true;
            --i;
            continue;
        }
        if (std::strcmp(argv[i], "-scale") == 0 && readNumber(argv[i + 1], 1, 8, n))
            scale = n;
        else if (std::strcmp(argv[i], "-seed") == 0 && readNumber(argv[i + 1], 0, 2147483647L, n))
            seed = n;
        else if (std::strcmp(argv[i], "-keys") == 0)
            script = argv[i + 1];
        else if (std::strcmp(argv[i], "-scene") == 0 && sceneNamed(argv[i + 1], scene))
            sceneGiven = true;
        else
            return fail(std::string("bad option ") + argv[i] + " " + argv[i + 1] + "; " + usage);
    }
    if (argc - i < 1 || argc - i > 2 || !argv[i][0] || argv[i][0] == '-') return fail(usage);
    const char* out = argv[i];
    long frames = 120; // long enough for the ticker to have entered the screen
    if (argc - i == 2 && !readNumber(argv[i + 1], 1, 10000, frames))
        return fail("FRAMES must be 1 to 10000");
    if (scanlines && !window) return fail("-scanlines is the window's: give -window too");
    if (sceneGiven && (argc - i == 2 || !script.empty()))
        return fail("a scene is one fixed moment: it takes neither -keys nor FRAMES");
    std::string error;
    if (!runScript(script, false, error)) return fail(error);
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
    if (seed >= 0) std::srand(static_cast<unsigned>(seed));
    languageTable.selectLanguage("en"); // language 0 when there is no English file
    if (sceneGiven) {
        // Without a registry the game sets up no Notifier; the unlock scene needs one.
        setupNotifier(screenSurface);
        drawScene(scene);
    } else {
        runScript(script, true, error);
        for (long f = 0; f < frames; ++f)
            runFrame(false);
    }
    if (!screenSurface) return fail("the game opened no screen");
    if (window) return saveWindow(static_cast<int>(scale), scanlines, out);
    SDL_Surface* picture =
        scale > 1 ? enlarged(screenSurface, static_cast<int>(scale)) : screenSurface;
    // Results are not saved: this run played nothing worth keeping, and without a
    // registry they would land in the working directory.
    if (!picture || SDL_SaveBMP(picture, out) != 0)
        return fail(std::string("cannot write ") + out + ": " + SDL_GetError());
    if (picture != screenSurface) SDL_FreeSurface(picture);
    // Left as the game leaves, without SDL_Quit: the SDL 1.2 layer over SDL2 (on today's
    // handhelds) crashes on the way out after it.
    freeImages();
    freeSounds();
    return 0;
}
