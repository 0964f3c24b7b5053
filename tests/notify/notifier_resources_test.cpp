#include <gtest/gtest.h>

#include <string>

#include "notify/embedded_resources.h"
#include "notify/notifier.h"
#include "tests/test_support.h"

class NotifierResources : public ::testing::Test {
  protected:
    SDL_Surface* screen = nullptr;
    Uint32 background = 0;

    void SetUp() override {
        resetNotifier();
        screen = testScreen();
        background = SDL_MapRGB(screen->format, 0, 0, 80);
        SDL_FillRect(screen, nullptr, background);
    }
    void TearDown() override { resetNotifier(); }
};

TEST_F(NotifierResources, EmbeddedBytesAreTheArtFilesThemselves) {
    // A stale build step would ship old art; the tests run from the repository root.
    const std::string font = readFile("notify/notifier_font.ttf");
    const std::string badge = readFile("notify/badge.bmp");
    const std::string cap = readFile("notify/cap.bmp");
    ASSERT_FALSE(font.empty());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(notifierFontBytes), notifierFontBytesCount),
              font);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(badgeBitmapBytes), badgeBitmapBytesCount),
              badge);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(capBitmapBytes), capBitmapBytesCount), cap);
}

TEST_F(NotifierResources, SetupGivesKeyedSixteenBitImagesAndTheFont) {
    setupNotifier(screen);
    EXPECT_EQ(notifierTarget, screen);
    ASSERT_NE(notifierFont, nullptr);
    const Uint32 magenta = SDL_MapRGB(screen->format, 255, 0, 255);
    for (SDL_Surface* image : {badgeImage, capImage}) {
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->format->BitsPerPixel, 16);
        EXPECT_TRUE(image->flags & SDL_SRCCOLORKEY);
        EXPECT_EQ(image->format->colorkey, magenta);
    }
    EXPECT_TRUE(badgeImage->w == 24 && badgeImage->h == 24 && capImage->w == 2 &&
                capImage->h == 24);

    // The rounded corners are magenta and must let the screen show through.
    SDL_Rect badgeAt = {0, 0, 0, 0};
    SDL_UpperBlit(badgeImage, nullptr, screen, &badgeAt);
    EXPECT_EQ(pixelAt(screen, 0, 0), background);
    EXPECT_EQ(pixelAt(screen, 1, 0), background);
    EXPECT_EQ(pixelAt(screen, 0, 1), background);
    EXPECT_EQ(pixelAt(screen, 12, 0), SDL_MapRGB(screen->format, 127, 165, 127));
    SDL_Rect capAt = {100, 0, 0, 0};
    SDL_UpperBlit(capImage, nullptr, screen, &capAt);
    EXPECT_EQ(pixelAt(screen, 100, 0), background);
    EXPECT_EQ(pixelAt(screen, 101, 1), background);
    EXPECT_EQ(pixelAt(screen, 100, 1), SDL_MapRGB(screen->format, 101, 143, 101));
    EXPECT_EQ(pixelAt(screen, 101, 2), SDL_MapRGB(screen->format, 81, 113, 81));
}

TEST_F(NotifierResources, ShutdownFreesTheImagesAndKeepsTheFont) {
    shutdownNotifier(); // without a set-up: only the target is cleared
    EXPECT_EQ(notifierTarget, nullptr);
    EXPECT_EQ(badgeImage, nullptr);

    setupNotifier(screen);
    setupNotifier(screen); // a second set-up replaces, rather than leaks, the images
    TTF_Font* font = notifierFont;
    shutdownNotifier();
    EXPECT_EQ(notifierTarget, nullptr);
    EXPECT_EQ(badgeImage, nullptr);
    EXPECT_EQ(capImage, nullptr);
    EXPECT_EQ(notifierFont, font);

    // A stray frame after shutdown finds no target and draws nothing.
    notify(0, 0, "Late", "");
    notifierStarted = 1;
    messageQueue.front().start = SDL_GetTicks() - 1000;
    drawNotifier();
    for (int x = 0; x < 320; ++x)
        EXPECT_EQ(pixelAt(screen, x, 220), background);
}

TEST_F(NotifierResources, DamagedBytesLeaveNullHandlesThatDrawNothing) {
    const unsigned char junk[64] = {'B', 'M', 1, 2, 3};
    EXPECT_EQ(loadKeyedBitmap(junk, sizeof junk, screen), nullptr);
    EXPECT_EQ(loadKeyedBitmap(nullptr, 0, screen), nullptr);
    // A badge cut short after its headers has no pixels to read.
    EXPECT_EQ(loadKeyedBitmap(badgeBitmapBytes, 60, screen), nullptr);
    EXPECT_EQ(openFontBytes(junk, sizeof junk), nullptr);
    EXPECT_EQ(openFontBytes(nullptr, 0), nullptr);
    // Without a target the key is still the 5-6-5 magenta.
    SDL_Surface* unkeyed = loadKeyedBitmap(capBitmapBytes, capBitmapBytesCount, nullptr);
    ASSERT_NE(unkeyed, nullptr);
    EXPECT_EQ(unkeyed->format->colorkey, 0xF81Fu);
    SDL_FreeSurface(unkeyed);

    // A target but no images and no font: the standing bar is just its fill.
    notifierTarget = screen;
    notifierStarted = 1;
    notify(3, 25, "Heading", "Body");
    messageQueue.front().start = SDL_GetTicks() - 1000;
    drawNotifier();
    const Uint32 fill = SDL_MapRGB(screen->format, 101, 143, 101);
    EXPECT_EQ(pixelAt(screen, 45, 220), background);
    EXPECT_EQ(pixelAt(screen, 46, 220), fill);
    EXPECT_EQ(pixelAt(screen, 293, 220), fill);
    EXPECT_EQ(pixelAt(screen, 294, 220), background);

    EXPECT_EQ(pixelAt(screen, 60, 212), fill); // no text either
}
