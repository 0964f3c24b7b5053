#include <SDL.h>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

#include "app/frame_loop.h"
#include "app/input.h"
#include "app/video_mode.h"
#include "game/frame_values.h"
#include "game/game_state.h"
#include "gfx/assets.h"
#include "gfx/present.h"
#include "gfx/screens.h"
#include "gfx/sdl_layer.h"
#include "notify/notifier.h"
#include "tests/test_support.h"

namespace {

Uint32 pixel(SDL_Surface* s, int x, int y) {
    const Uint8* p = static_cast<const Uint8*>(s->pixels) + y * s->pitch;
    return s->format->BytesPerPixel == 4 ? reinterpret_cast<const Uint32*>(p)[x]
                                         : reinterpret_cast<const Uint16*>(p)[x];
}

// What writing through the table shows must be what SDL's own conversion of the 16-bit
// frame shows, for every value, in the formats displays use (SDL widens the channels by
// shifting for some and by repeating their high bits for others).
TEST(ColourTableTest, EveryValueAsSdlConvertsAFrame) {
    testScreen();
    SDL_Surface* frame =
        SDL_CreateRGBSurface(SDL_SWSURFACE, 320, 240, 16, 0xF800, 0x07E0, 0x001F, 0);
    ASSERT_TRUE(frame);
    // Every value once, the rest of the frame a second time in another order.
    for (int i = 0; i < 320 * 240; ++i)
        reinterpret_cast<Uint16*>(static_cast<Uint8*>(frame->pixels) +
                                  (i / 320) * frame->pitch)[i % 320] =
            static_cast<Uint16>(i < 65536 ? unsigned(i) : unsigned(i) * 40503u);
    struct Format {
        int bits;
        Uint32 r, g, b, a;
    } formats[] = {{32, 0xFF0000, 0xFF00, 0xFF, 0},          {32, 0xFF, 0xFF00, 0xFF0000, 0},
                   {32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000}, {32, 0xFF000000, 0xFF0000, 0xFF00, 0},
                   {16, 0x7C00, 0x03E0, 0x001F, 0},          {16, 0xF800, 0x07E0, 0x001F, 0}};
    for (const Format& f : formats) {
        SDL_Surface* dst =
            SDL_CreateRGBSurface(SDL_SWSURFACE, 320, 240, f.bits, f.r, f.g, f.b, f.a);
        ASSERT_TRUE(dst);
        SDL_BlitSurface(frame, nullptr, dst, nullptr);
        std::vector<Uint32> table;
        buildColourTable(dst->format, table);
        ASSERT_EQ(table.size(), 65536u);
        int wrong = 0;
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 320; ++x)
                if (table[pixelAt(frame, x, y)] != pixel(dst, x, y)) ++wrong;
        EXPECT_EQ(wrong, 0) << f.bits << " bits, masks " << std::hex << f.r << " " << f.a;
        SDL_FreeSurface(dst);
    }
    SDL_FreeSurface(frame);
}

// The game as it really runs, from the checkout's data, on SDL's dummy display.
class PresentTest : public ::testing::Test {
  protected:
    void SetUp() override {
        testScreen();
        resetGame();
        resetPresentation();
        resetVideoMode();
        resetNotifier();
        char name[] = "vesperalia";
        char* argv[] = {name};
        ASSERT_EQ(startGame(1, argv), 0);
        setupNotifier(screenSurface); // no registry in the tests: set up by hand
        drainEvents();
    }
    void TearDown() override {
        openDisplay(windowPlan(1)); // the other tests draw on a bare 320x240 screen
        resetNotifier();
        freeImages();
        freeSounds();
        resetGame();
        resetPresentation();
        resetVideoMode();
    }
    // The video surface as a whole enlargement of this frame would make it.
    int staleAgainstWholeEnlargement() {
        if (screenSurface == videoSurface) return 0; // the frame is the picture itself
        SDL_PixelFormat* f = videoSurface->format;
        SDL_Surface* want =
            SDL_CreateRGBSurface(SDL_SWSURFACE, videoSurface->w, videoSurface->h, f->BitsPerPixel,
                                 f->Rmask, f->Gmask, f->Bmask, f->Amask);
        SDL_FillRect(want, nullptr, 0);
        enlargeFrame(screenSurface, want, presentation.colourTable, game.displayScale,
                     game.displayOffsetX, game.displayOffsetY, game.scanlines != 0);
        int wrong = 0;
        for (int y = 0; y < want->h; ++y)
            for (int x = 0; x < want->w; ++x)
                if (pixel(want, x, y) != pixel(videoSurface, x, y)) ++wrong;
        SDL_FreeSurface(want);
        return wrong;
    }
};

void push(SDL_Event e) {
    SDL_PushEvent(&e);
}

// A whole match, title to title, with the Notifier's bar rising, standing, falling and
// leaving at random moments, shown in three ways one after the other: after every frame
// the window must hold exactly what a whole enlargement of that frame gives.
TEST_F(PresentTest, ChangedPartsLeaveNothingStaleOverAPlayedMatch) {
    DisplayPlan plans[3] = {windowPlan(2), resizedWindowPlan(1000, 800), windowPlan(3)};
    plans[2].depth = 16; // a 16-bit display
    std::srand(99);
    game.winsNeeded = 2;
    int frames = 0, firstWrong = -1, wrongFrames = 0, messages = 0;
    bool started = false, firstTry = true;
    for (; frames < 3000 && !(started && game.screen == Title && frames > 200); ++frames) {
        if (frames % 150 == 0) {
            game.scanlines = (frames / 150) % 2;
            ASSERT_TRUE(openDisplay(plans[(frames / 150) % 3]));
        }
        if (messageQueue.empty()) {
            notify(1, 10, "Quick Stake", "A body long enough to need its second line on the bar.");
            ++messages;
        }
        messageQueue.front().start = SDL_GetTicks() - static_cast<Uint32>(frames * 97 % 5200);
        if (frames == 40) push(keyEvent(SDLK_SPACE));
        if (game.screen == Play) started = true;
        if (game.screen == Play && humanTurn() && frames % 7 == 0) {
            int t = targetIndex();
            int cell = firstTry ? (t == 0 ? 99 : 0) : t;
            firstTry = false;
            push(clickEvent(game.displayOffsetX + (107 + 20 * (cell % 10)) * game.displayScale,
                            game.displayOffsetY + (29 + 20 * (cell / 10)) * game.displayScale));
        }
        runFrame(false);
        if (staleAgainstWholeEnlargement() != 0) {
            ++wrongFrames;
            if (firstWrong < 0) firstWrong = frames;
        }
    }
    EXPECT_TRUE(started);
    EXPECT_EQ(game.screen, Title);
    EXPECT_GT(frames, 450);
    EXPECT_GT(messages, 3);
    EXPECT_EQ(wrongFrames, 0) << "first at frame " << firstWrong;
}

SDL_Event fullscreenKey(SDLKey sym, SDLMod mod) {
    SDL_Event e = keyEvent(sym);
    e.key.keysym.mod = mod;
    return e;
}

// Everything but the display's own fields, as bytes.
std::vector<unsigned char> gameWithoutDisplay() {
    GameState g = game;
    g.displayScale = g.displayOffsetX = g.displayOffsetY = 0;
    g.fullscreenFlag = 0;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(&g);
    return std::vector<unsigned char>(p, p + sizeof g);
}

// Where the picture stands: scale, borders, window size, full screen.
std::vector<int> placed(const DisplayPlan& p) {
    return {p.scale, p.offsetX, p.offsetY, p.width, p.height, (p.flags & SDL_FULLSCREEN) != 0};
}

// Pixels of what the screen shows that differ from plan's picture of this frame: the frame
// in plan.scale blocks at plan's borders, black around it (one level of rounding allowed
// between the libraries' colour conversions); -1 when the size is not the plan's.
int wrongOnScreen(const DisplayPlan& plan) {
    std::vector<Uint32> shown;
    int w = 0, h = 0;
    if (!shownPicture(shown, w, h)) return -2;
    if (w != plan.width || h != plan.height) return -1;
    int wrong = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int gx = (x - plan.offsetX) / plan.scale, gy = (y - plan.offsetY) / plan.scale;
            Uint32 want = 0;
            if (x >= plan.offsetX && y >= plan.offsetY && gx < 320 && gy < 240) {
                Uint8 r, g, b;
                SDL_GetRGB(pixelAt(screenSurface, gx, gy), screenSurface->format, &r, &g, &b);
                want = (Uint32(r) << 16) | (g << 8) | b;
            }
            Uint32 got = shown[static_cast<size_t>(y) * w + x];
            for (int shift : {0, 8, 16})
                if (std::abs(int((got >> shift) & 255) - int((want >> shift) & 255)) > 1) {
                    ++wrong;
                    break;
                }
        }
    return wrong;
}

TEST_F(PresentTest, SwitchAndResizeKeepTheGameAndTheNotifiersSurface) {
    videoMode.desktopW = 1024;
    videoMode.desktopH = 768;
    // Mid-match, in an opening animation, with a message standing.
    game.screen = Title;
    push(keyEvent(SDLK_SPACE));
    runFrame(false);
    game.scorePlayer1 = 1;
    game.board.cells[37] = HintLower;
    startOpening(12);
    game.screen = Opening;
    runFrame(false);
    notify(2, 10, "Heading", "Body");
    messageQueue.front().start = SDL_GetTicks() - 2600;
    std::vector<unsigned char> before = gameWithoutDisplay();
    FrameValues frameBefore = frame;
    TitleAnimation titleBefore = titleAnimation;
    size_t queued = messageQueue.size();
    Uint32 messageStart = messageQueue.front().start;

    // What this target makes of the whole screen; the window comes back as it was.
    DisplayPlan full = platformDisplayPlan(1024, 768, 0, SDL_FULLSCREEN);
    DisplayPlan window = platformDisplayPlan(1024, 768, 0, 0);
    DisplayPlan asStarted = videoMode.shown;
    EXPECT_EQ(wrongOnScreen(asStarted), 0);
    SDL_Event keys[4] = {fullscreenKey(SDLK_RETURN, KMOD_LALT), fullscreenKey(SDLK_F11, KMOD_NONE),
                         fullscreenKey(SDLK_F11, KMOD_NONE),
                         fullscreenKey(SDLK_KP_ENTER, KMOD_RALT)};
    for (int i = 0; i < 4; ++i) {
        handleEvent(keys[i]);
        const DisplayPlan& want = i % 2 == 0 ? full : asStarted;
        EXPECT_EQ(placed(videoMode.shown), placed(want)) << "switch " << i;
        EXPECT_EQ(game.fullscreenFlag != 0, i % 2 == 0);
        // A handheld's bare 320x240 mode in full screen is the layer's to fit to the screen.
        bool fittedByLayer = sdlIsLayer() && !presentation.layerScales && game.fullscreenFlag;
        if (!fittedByLayer) {
            EXPECT_EQ(wrongOnScreen(want), 0) << "switch " << i;
        }
        EXPECT_EQ(notifierTarget, screenSurface);
        EXPECT_EQ(gameWithoutDisplay(), before);
        EXPECT_EQ(std::memcmp(&frame, &frameBefore, sizeof frame), 0);
        EXPECT_EQ(titleAnimation.tickerX, titleBefore.tickerX);
        EXPECT_EQ(messageQueue.size(), queued);
        EXPECT_EQ(messageQueue.front().start, messageStart);
    }
    // Return alone, or Alt alone, switches nothing.
    handleEvent(fullscreenKey(SDLK_RETURN, KMOD_NONE));
    handleEvent(fullscreenKey(SDLK_LALT, KMOD_LALT));
    EXPECT_EQ(game.fullscreenFlag, 0u);

    // The player drags the window to 1000x800: the window system resizes it and says so.
    SDL_Event resize = {};
    resize.type = SDL_VIDEORESIZE;
    resize.resize.w = 1000;
    resize.resize.h = 800;
    videoMode.settleUntil = 0; // a while after the last switch
    if (window.flags & SDL_RESIZABLE) layerSetWindowSize(1000, 800);
    handleEvent(resize);
    if (window.flags & SDL_RESIZABLE) {
        DisplayPlan resized = resizedWindowPlan(1000, 800);
        ASSERT_EQ(resized.scale, 3);
        ASSERT_EQ(resized.offsetX, 20);
        ASSERT_EQ(resized.offsetY, 40);
        EXPECT_EQ(placed(videoMode.shown), placed(resized));
        EXPECT_EQ(wrongOnScreen(resized), 0);
        // Full screen and back returns to the size the player chose.
        handleEvent(fullscreenKey(SDLK_F11, KMOD_NONE));
        handleEvent(resize); // a window's size means nothing to the whole screen
        EXPECT_EQ(placed(videoMode.shown), placed(full));
        handleEvent(fullscreenKey(SDLK_F11, KMOD_NONE));
        // The window manager brings back the size from before full screen a moment later.
        if (presentation.layerScales) {
            SDL_Event restored = resize;
            restored.resize.w = 320;
            restored.resize.h = 240;
            handleEvent(restored);
        }
        EXPECT_EQ(placed(videoMode.shown), placed(resized));
        EXPECT_EQ(wrongOnScreen(resized), 0);
    } else {
        EXPECT_EQ(placed(videoMode.shown), placed(asStarted)); // a handheld's screen has one size
    }
    EXPECT_EQ(notifierTarget, screenSurface);
    EXPECT_EQ(gameWithoutDisplay(), before);

    // The game goes on: the Notifier's bar is drawn onto what the screens draw on.
    game.revealFramesLeft = 0;
    runFrame(false);
    EXPECT_EQ(pixelAt(screenSurface, 100, 215), SDL_MapRGB(screenSurface->format, 101, 143, 101));
    EXPECT_EQ(staleAgainstWholeEnlargement(), 0);
    EXPECT_EQ(wrongOnScreen(videoMode.shown), 0);
}

} // namespace
