#include <gtest/gtest.h>

#include <SDL_image.h>
#include <algorithm>
#include <cstdlib>
#include <string>

#include "app/frame_loop.h"
#include "app/video_mode.h"
#include "gfx/assets.h"
#include "gfx/present.h"
#include "localisation/language_table.h"
#include "notify/notifier.h"
#include "tests/test_support.h"
#include "tools/screenshot/scenes.h"

namespace {

// How far apart two pictures of one size are, in the 16-bit screen's own colour levels
// (5 bits of red, 6 of green, 5 of blue): the game draws in those, and SDL versions fill
// the bits below a level differently when they widen it.
struct Difference {
    int pixels = 0;  // pixels that differ in any channel
    int largest = 0; // the largest difference of a channel, in levels
    int x = -1;      // the first pixel with the largest difference
    int y = -1;
};

void screenLevels(SDL_Surface* s, int x, int y, int out[3]) {
    Uint32 p = static_cast<Uint32*>(s->pixels)[y * (s->pitch / 4) + x];
    Uint8 r, g, b;
    SDL_GetRGB(p, s->format, &r, &g, &b);
    out[0] = r >> 3, out[1] = g >> 2, out[2] = b >> 3;
}

// Both are 32-bit surfaces of the same size.
Difference compare(SDL_Surface* a, SDL_Surface* b) {
    Difference d;
    for (int y = 0; y < a->h; ++y)
        for (int x = 0; x < a->w; ++x) {
            int la[3], lb[3], most = 0;
            screenLevels(a, x, y, la);
            screenLevels(b, x, y, lb);
            for (int c = 0; c < 3; ++c)
                most = std::max(most, std::abs(la[c] - lb[c]));
            if (most == 0) continue;
            ++d.pixels;
            if (most > d.largest) d.largest = most, d.x = x, d.y = y;
        }
    return d;
}

// The game as it starts, from the checkout's data, on SDL's dummy display, in English.
class ReadmeImages : public ::testing::Test {
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
        languageTable.selectLanguage("en");
    }
    void TearDown() override {
        resetNotifier();
        freeImages();
        freeSounds();
        resetGame();
        resetPresentation();
        resetVideoMode();
    }
    // The scene as the current build draws it at the pictures' scale.
    SDL_Surface* drawn(Scene scene) {
        drawScene(scene);
        return enlargedScreen(2);
    }
    // The committed picture, in the format of like.
    SDL_Surface* committed(Scene scene, SDL_Surface* like) {
        std::string path = std::string("docs/images/") + sceneName(scene) + ".png";
        SDL_Surface* loaded = IMG_Load(path.c_str());
        if (!loaded) return nullptr;
        SDL_Surface* converted = SDL_ConvertSurface(loaded, like->format, SDL_SWSURFACE);
        SDL_FreeSurface(loaded);
        return converted;
    }
};

TEST_F(ReadmeImages, EachCommittedPictureIsWhatTheGameDrawsNow) {
    for (Scene scene : {SceneTitle, SceneMatch, SceneUnlock}) {
        SCOPED_TRACE(sceneName(scene));
        SDL_Surface* now = drawn(scene);
        ASSERT_NE(nullptr, now) << SDL_GetError();
        SDL_Surface* kept = committed(scene, now);
        ASSERT_NE(nullptr, kept) << "docs/images/" << sceneName(scene)
                                 << ".png does not load: " << IMG_GetError();
        ASSERT_EQ(std::make_pair(640, 480), std::make_pair(kept->w, kept->h));
        Difference d = compare(now, kept);
        // One level either way is how SDL versions round alpha blending apart.
        EXPECT_LE(d.largest, 1) << "docs/images/" << sceneName(scene) << ".png differs from "
                                << "today's drawing in " << d.pixels << " pixels, by up to "
                                << d.largest << " levels (first at " << d.x << ',' << d.y
                                << "): run tools/make-readme-images.sh";
        SDL_FreeSurface(kept);
        SDL_FreeSurface(now);
    }
}

TEST_F(ReadmeImages, ComparisonAllowsOneLevelOfAnyChannelAndNoMore) {
    SDL_Surface* a = drawn(SceneMatch);
    SDL_Surface* b = drawn(SceneMatch);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(0, compare(a, b).pixels);
    // One level of blue is 8 steps of its 8 bits, of green 4; each moved away from its end.
    Uint32& p = static_cast<Uint32*>(b->pixels)[0];
    Uint8 r, g, bl;
    SDL_GetRGB(p, b->format, &r, &g, &bl);
    const int gs = g < 128 ? 4 : -4, bs = bl < 128 ? 8 : -8;
    p = SDL_MapRGB(b->format, r, static_cast<Uint8>(g + gs), static_cast<Uint8>(bl + bs));
    Difference one = compare(a, b);
    EXPECT_TRUE(one.pixels == 1 && one.largest == 1) << one.pixels << ' ' << one.largest;
    p = SDL_MapRGB(b->format, r, g, static_cast<Uint8>(bl + 2 * bs));
    Difference two = compare(a, b);
    EXPECT_TRUE(two.pixels == 1 && two.largest == 2 && two.x == 0 && two.y == 0);
    SDL_FreeSurface(a);
    SDL_FreeSurface(b);
}

} // namespace
