#include <gtest/gtest.h>

#include <string>

#include "notify/embedded_resources.h"
#include "notify/notifier.h"
#include "tests/test_support.h"

TEST(NotifierEmbedded, BytesAreTheArtFilesThemselves) {
    auto bytes = [](const unsigned char* b, std::size_t n) {
        return std::string(reinterpret_cast<const char*>(b), n);
    };
    EXPECT_EQ(bytes(notifierFontBytes, notifierFontBytesCount),
              readFile("notify/notifier_font.ttf"));
    EXPECT_EQ(bytes(badgeBitmapBytes, badgeBitmapBytesCount), readFile("notify/badge.bmp"));
    EXPECT_EQ(bytes(capBitmapBytes, capBitmapBytesCount), readFile("notify/cap.bmp"));
}

class NotifierResources : public ::testing::Test {
  protected:
    SDL_Surface* screen = testScreen();
    Uint32 bg = rgb(0, 0, 80), fill = rgb(101, 143, 101);

    Uint32 rgb(int r, int g, int b) { return SDL_MapRGB(screen->format, r, g, b); }
    void SetUp() override { resetNotifier(), SDL_FillRect(screen, nullptr, bg); }
    void TearDown() override { resetNotifier(); }
    void standingFrame() {
        notify(3, 25, "Heading", "Body");
        notifierStarted = 1;
        messageQueue.front().start = SDL_GetTicks() - 1000;
        drawNotifier();
    }
};

TEST_F(NotifierResources, SetupGivesKeyedSixteenBitImagesAndTheFont) {
    setupNotifier(screen);
    EXPECT_TRUE(notifierTarget == screen && notifierFont != nullptr);
    Sint16 x = 0;
    for (SDL_Surface* image : {badgeImage, capImage}) {
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->format->BitsPerPixel, 16);
        EXPECT_TRUE(image->flags & SDL_SRCCOLORKEY);
        EXPECT_EQ(image->format->colorkey, rgb(255, 0, 255));
        SDL_Rect at = {x, 0, 0, 0};
        SDL_UpperBlit(image, nullptr, screen, &at);
        EXPECT_EQ(pixelAt(screen, x, 0), bg); // a magenta corner lets the screen show
        x = 100;
    }
    EXPECT_EQ(pixelAt(screen, 12, 0), rgb(127, 165, 127));
    EXPECT_EQ(pixelAt(screen, 100, 1), fill);
}

TEST_F(NotifierResources, NullHandlesNeverReachTheDrawing) {
    const unsigned char junk[64] = {'B', 'M', 1, 2, 3};
    EXPECT_EQ(loadKeyedBitmap(junk, sizeof junk, screen), nullptr);
    EXPECT_EQ(loadKeyedBitmap(nullptr, 0, screen), nullptr);
    EXPECT_EQ(loadKeyedBitmap(badgeBitmapBytes, 60, screen), nullptr); // headers, no pixels
    EXPECT_TRUE(!openFontBytes(junk, sizeof junk) && !openFontBytes(nullptr, 0));

    shutdownNotifier(); // safe without a set-up
    setupNotifier(screen);
    setupNotifier(screen); // replaces, rather than leaks, the images
    TTF_Font* font = notifierFont;
    shutdownNotifier(); // the images go, the font stays, and frames draw nothing
    EXPECT_TRUE(!notifierTarget && !badgeImage && !capImage && notifierFont == font);
    standingFrame();
    for (int x = 0; x < 320; ++x)
        ASSERT_EQ(pixelAt(screen, x, 220), bg) << x;

    resetNotifier(); // a target without images or font: the standing bar is its fill alone
    notifierTarget = screen;
    standingFrame();
    EXPECT_TRUE(pixelAt(screen, 45, 220) == bg && pixelAt(screen, 294, 220) == bg);
    EXPECT_TRUE(pixelAt(screen, 46, 220) == fill && pixelAt(screen, 293, 220) == fill);
    EXPECT_EQ(pixelAt(screen, 60, 212), fill); // no text either
}
