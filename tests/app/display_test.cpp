#include <SDL.h>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <tuple>

#include "app/input.h"
#include "app/platform.h"
#include "game/frame_values.h"
#include "game/game_state.h"
#include "gfx/present.h"
#include "tests/test_support.h"

namespace {

TEST(DisplayPlanTest, ScaleChoiceAndArguments) {
    EXPECT_EQ(windowScaleFor(1920, 1080), 4);
    EXPECT_EQ(windowScaleFor(1366, 768), 2);
    EXPECT_EQ(windowScaleFor(800, 600), 2);
    EXPECT_EQ(windowScaleFor(320, 240), 1);
    EXPECT_EQ(windowScaleFor(3840, 2160), 8);
    EXPECT_EQ(windowScaleFor(0, 0), 1); // unknown size

    DisplayPlan full = fullscreenPlan(1920, 1080);
    EXPECT_EQ(full.scale, 4);
    EXPECT_EQ(full.offsetX, 320);
    EXPECT_EQ(full.offsetY, 60);
    EXPECT_EQ(full.width, 1920);
    full = fullscreenPlan(1366, 768);
    EXPECT_EQ(full.scale, 3);
    EXPECT_EQ(full.offsetX, 203);
    EXPECT_EQ(full.offsetY, 24);
    DisplayPlan w = windowPlan(3);
    EXPECT_EQ(w.width, 960);
    EXPECT_EQ(w.height, 720);
    EXPECT_EQ(w.flags, 0u);
    // Only the bare picture is drawn on the video surface, in the game's 16 bits.
    EXPECT_EQ(w.depth, 0);
    EXPECT_EQ(windowPlan(1).depth, 16);
    EXPECT_EQ(full.depth, 0);

    // A resized window: centred at the largest whole scale, never below 320x240.
    DisplayPlan r = resizedWindowPlan(1000, 800);
    EXPECT_EQ(r.scale, 3);
    EXPECT_EQ(r.offsetX, 20);
    EXPECT_EQ(r.offsetY, 40);
    EXPECT_EQ(r.flags, static_cast<uint32_t>(SDL_RESIZABLE));
    r = resizedWindowPlan(100, 900);
    EXPECT_EQ(r.width, 320);
    EXPECT_EQ(r.height, 900);
    EXPECT_EQ(r.offsetY, 330);
    EXPECT_EQ(r.depth, 0); // borders: not the bare picture
    r = resizedWindowPlan(320, 240);
    EXPECT_EQ(r.depth, 16);
    EXPECT_EQ(r.scale, 1);

    auto parse = [](std::initializer_list<const char*> args) {
        char* argv[8];
        int argc = 0;
        for (const char* a : args)
            argv[argc++] = const_cast<char*>(a);
        return parseScaleArgument(argc, argv);
    };
    EXPECT_EQ(parse({"vesperalia", "-scale", "3"}), 3);
    EXPECT_EQ(parse({"vesperalia", "-scale", "8", "-fullscreen"}), 8);
    EXPECT_EQ(parse({"vesperalia", "-scale", "2", "-scale", "x"}), 2); // the last good one
    for (const char* bad : {"0", "9", "3x", "", "-1", "03", " 3"})
        EXPECT_EQ(parse({"vesperalia", "-scale", bad}), 0) << bad;
    EXPECT_EQ(parse({"vesperalia", "-scale"}), 0);
    EXPECT_EQ(parse({"vesperalia", "-scale=3"}), 0);
}

TEST(DisplayPlanTest, RegistryBaseFromTheEnvironment) {
    std::string saved =
        std::getenv("VESPERALIA_EXP_BASE") ? std::getenv("VESPERALIA_EXP_BASE") : "";
    EXPECT_TRUE(isUsableRegistryBase("/home/zoe/exp/"));
    for (const char* bad : {"", "/", "exp/", "~/exp/", "/home/zoe/exp", "./exp/"})
        EXPECT_FALSE(isUsableRegistryBase(bad)) << bad;
    setenv("VESPERALIA_EXP_BASE", "/srv/card/exp/", 1);
    EXPECT_EQ(registryBaseDir(), "/srv/card/exp/");
    setenv("VESPERALIA_EXP_BASE", "relative/exp/", 1);
    EXPECT_EQ(registryBaseDir(), platformRegistryBase());
    unsetenv("VESPERALIA_EXP_BASE");
    EXPECT_EQ(registryBaseDir(), platformRegistryBase());
    EXPECT_EQ(platformRegistryBase().back(), '/');
    setenv("VESPERALIA_EXP_BASE", saved.c_str(), 1);
}

SDL_Surface* surface16(int w, int h) {
    return SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 16, 0xF800, 0x07E0, 0x001F, 0);
}

Uint16 at(SDL_Surface* s, int x, int y) {
    return pixelAt(s, x, y);
}

TEST(EnlargeTest, BlocksOfExactColourAndScanlines) {
    SDL_Surface* src = surface16(320, 240);
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x)
            static_cast<Uint16*>(src->pixels)[y * (src->pitch / 2) + x] =
                static_cast<Uint16>(x * 977 + y * 40503);
    std::vector<Uint32> table;
    buildColourTable(src->format, table); // RGB565 to itself
    for (int scale : {2, 3}) {
        for (bool lines : {false, true}) {
            const int ox = 5, oy = 3; // a border, as in full screen
            SDL_Surface* dst = surface16(320 * scale + 2 * ox, 240 * scale + 2 * oy);
            SDL_FillRect(dst, nullptr, 0x1234);
            enlargeFrame(src, dst, table, scale, ox, oy, lines);
            int wrong = 0;
            for (int y = 0; y < dst->h; ++y)
                for (int x = 0; x < dst->w; ++x) {
                    int gx = x - ox, gy = y - oy;
                    Uint16 want = 0x1234;
                    if (gx >= 0 && gy >= 0 && gx < 320 * scale && gy < 240 * scale) {
                        want = at(src, gx / scale, gy / scale);
                        // The last row of every block at half brightness, each channel halved.
                        if (lines && gy % scale == scale - 1)
                            want = static_cast<Uint16>(((want >> 12) << 11) |
                                                       (((want >> 6) & 0x1F) << 5) |
                                                       ((want & 0x1F) >> 1));
                    }
                    if (at(dst, x, y) != want) ++wrong;
                }
            EXPECT_EQ(wrong, 0) << "scale " << scale << (lines ? " with scanlines" : "");
            SDL_FreeSurface(dst);
        }
    }
    SDL_Surface* same = surface16(320, 240); // scale 1: scanlines change nothing
    enlargeFrame(src, same, table, 1, 0, 0, true);
    EXPECT_EQ(SDL_memcmp(same->pixels, src->pixels, static_cast<size_t>(240 * src->pitch)), 0);
    SDL_FreeSurface(same);
    SDL_FreeSurface(src);
}

// Clicks land where the player sees the menu and the board, in a window and in full
// screen, at the first and last window pixel of every rectangle.
class ScaledClickTest : public ::testing::TestWithParam<std::tuple<int, int, int>> {
  protected:
    // A fresh game shown at this case's scale and borders.
    void SetUp() override {
        testScreen();
        resetGame();
        std::tie(game.displayScale, game.displayOffsetX, game.displayOffsetY) = GetParam();
    }
    // The window pixel of game pixel g: its first (edge 0) or last (edge 1) one.
    int wx(int g, int edge) {
        return game.displayOffsetX + g * game.displayScale + edge * (game.displayScale - 1);
    }
    int wy(int g, int edge) {
        return game.displayOffsetY + g * game.displayScale + edge * (game.displayScale - 1);
    }
    void click(int x, int y) { handleEvent(clickEvent(x, y)); }
    // Clicks on the title from a fresh state; returns what changed.
    std::string titleClick(int x, int y) {
        SetUp();
        click(x, y);
        if (game.quitRequested) return "exit";
        if (game.screen == Play) return game.gameMode == 1 ? "pvc" : "pvp";
        if (game.winsNeeded != 3) return game.winsNeeded == 2 ? "fewer" : "more";
        return "";
    }
};

TEST_P(ScaledClickTest, TitleRectanglesAtTheirEdges) {
    struct Rect {
        int x0, x1, y0, y1;
        const char* action;
    } rects[] = {{48, 107, 100, 129, "pvc"},
                 {48, 107, 130, 159, "pvp"},
                 {48, 69, 160, 189, "fewer"},
                 {90, 111, 160, 189, "more"},
                 {70, 89, 190, 219, "exit"}};
    for (const Rect& r : rects) {
        for (int cx : {0, 1})
            for (int cy : {0, 1})
                EXPECT_EQ(titleClick(wx(cx ? r.x1 : r.x0, cx), wy(cy ? r.y1 : r.y0, cy)), r.action)
                    << r.action << " corner " << cx << cy;
        int midY = wy((r.y0 + r.y1) / 2, 0);
        EXPECT_EQ(titleClick(wx(r.x0, 0) - 1, midY), "") << r.action << " left";
        EXPECT_EQ(titleClick(wx(r.x1, 1) + 1, midY), "") << r.action << " right";
    }
    EXPECT_EQ(titleClick(wx(70, 0), wy(219, 1) + 1), ""); // below the exit
    EXPECT_EQ(titleClick(wx(60, 0), wy(100, 0) - 1), ""); // above the first item
}

TEST_P(ScaledClickTest, BoardEdgesAndCells) {
    startMatch();
    game.screen = Play;
    game.currentPlayer = 2; // the computer's turn: clicks move the cursor, open nothing
    game.gameMode = 1;
    auto cellAfter = [&](int x, int y) {
        game.cursorRow = 5;
        game.cursorCol = 5;
        click(x, y);
        return game.cursorRow * 10 + game.cursorCol;
    };
    EXPECT_EQ(cellAfter(wx(100, 0), wy(20, 0)), 0);
    EXPECT_EQ(cellAfter(wx(299, 1), wy(219, 1)), 99);
    EXPECT_EQ(cellAfter(wx(119, 1), wy(39, 1)), 0);
    EXPECT_EQ(cellAfter(wx(120, 0), wy(40, 0)), 11);
    EXPECT_EQ(cellAfter(wx(150, 0), wy(75, 0)), 22);
    for (auto [x, y] : {std::pair<int, int>{wx(100, 0) - 1, wy(30, 0)},
                        {wx(299, 1) + 1, wy(30, 0)},
                        {wx(150, 0), wy(20, 0) - 1},
                        {wx(150, 0), wy(219, 1) + 1},
                        {0, 0}})
        EXPECT_EQ(cellAfter(x, y), 55) << x << "," << y;
    EXPECT_EQ(cellStateAt(22), Closed);
}

INSTANTIATE_TEST_SUITE_P(WindowAndFullScreen, ScaledClickTest,
                         ::testing::Values(std::make_tuple(1, 0, 0), std::make_tuple(2, 0, 0),
                                           std::make_tuple(3, 0, 0), std::make_tuple(2, 160, 12),
                                           std::make_tuple(3, 203, 24),
                                           std::make_tuple(4, 320, 60)));

} // namespace
