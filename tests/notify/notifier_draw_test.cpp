#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <string>

#include "notify/notifier.h"
#include "tests/test_support.h"

namespace {
struct Extent {
    int count = 0, left = 320, right = -1, top = 240, bottom = -1;
};

class NotifierDraw : public ::testing::Test {
  protected:
    SDL_Surface* screen = testScreen();
    Uint32 bg = rgb(0, 0, 80), fill = rgb(101, 143, 101), yellow = rgb(255, 255, 0);

    Uint32 rgb(int r, int g, int b) { return SDL_MapRGB(screen->format, r, g, b); }
    void SetUp() override { resetNotifier(), setupNotifier(screen), notifierStarted = 1; }
    void TearDown() override { resetNotifier(); }
    // One frame e ms into the front message, retried until the clock stands still through it.
    Uint32 drawAt(Uint32 e) {
        for (const std::deque<NotifyMessage> queued = messageQueue;;) {
            messageQueue = queued;
            SDL_FillRect(screen, nullptr, bg);
            const Uint32 now = SDL_GetTicks();
            messageQueue.front().start = now - e;
            drawNotifier();
            if (SDL_GetTicks() == now) return now;
        }
    }
    Extent scan(Uint32 colour, int x0, int y0, int x1, int y1, bool any = false) {
        Extent r;
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                Uint16 p = pixelAt(screen, x, y);
                if (any ? p == bg : p != colour) continue;
                ++r.count;
                r.left = std::min(r.left, x), r.right = std::max(r.right, x);
                r.top = std::min(r.top, y), r.bottom = std::max(r.bottom, y);
            }
        return r;
    }
    Extent drawn() { return scan(0, 0, 0, 319, 239, true); }
    Extent text(int x0 = 48, int x1 = 319) { return scan(yellow, x0, 0, x1, 239); }
    // Whether the first columns of image stand at x, y, its magenta pixels not drawn.
    bool imageAt(SDL_Surface* image, int x, int y, int columns = 99) {
        for (int row = 0; row < image->h && y + row < 240; ++row)
            for (int col = 0; col < image->w && col < columns; ++col) {
                Uint16 src = static_cast<Uint16*>(image->pixels)[row * image->pitch / 2 + col];
                Uint16 shown = pixelAt(screen, x + col, y + row);
                if (src == image->format->colorkey ? shown == src : shown != src) return false;
            }
        return true;
    }
};

TEST_F(NotifierDraw, BadgeRisesThenTheBarOpensFromTheCentre) {
    SDL_FillRect(screen, nullptr, bg);
    drawNotifier();
    EXPECT_EQ(drawn().count, 0);

    notify(0, 0, "Login... Guest", "");
    drawAt(149);
    EXPECT_TRUE(imageAt(badgeImage, 148, 211) && drawn().top == 211);
    drawAt(150); // no fill yet; the cap covers the badge's right edge
    EXPECT_TRUE(imageAt(badgeImage, 148, 210, 22) && imageAt(capImage, 170, 210));
    Extent d = drawn();
    EXPECT_TRUE(d.left >= 148 && d.right <= 171 && d.top == 210);
    drawAt(225); // k = 62: badge at 86, fill to 231, cap at 232, no text
    EXPECT_TRUE(imageAt(badgeImage, 86, 210, 22) && imageAt(capImage, 232, 210));
    EXPECT_TRUE(scan(fill, 110, 233, 319, 233).right == 231 && text(110).count == 0);
}

TEST_F(NotifierDraw, StandingBarShowsTheHeadingThenTheBodyLines) {
    const std::string body = "Short " + std::string(60, 'd');
    notify(3, 25, "A heading wide enough to reach the middle", body.c_str());
    drawAt(1000);
    EXPECT_TRUE(imageAt(badgeImage, 24, 210) && imageAt(capImage, 294, 210));
    EXPECT_EQ(scan(fill, 48, 233, 293, 233).count, 246);
    EXPECT_EQ(drawn().right, 295);
    Extent t = text();
    EXPECT_TRUE(t.count > 0 && t.left >= 50 && t.top >= 208 && t.bottom <= 233 && t.right > 160);

    drawAt(3000); // the body replaces the heading; its tail runs to the screen's edge
    Extent first = text(48, 95), second = text(100);
    EXPECT_TRUE(first.count > 0 && first.left >= 50 && first.top == t.top);
    EXPECT_TRUE(second.top == first.top + 10 && second.bottom <= 233 && second.right > 300);
}

TEST_F(NotifierDraw, BarSinksWithItsText) {
    notify(3, 25, "Heading", "Body text");
    drawAt(4599);
    const int top = text().top;
    drawAt(4600); // the fall starts on the standing row
    EXPECT_EQ(text().top, top + 2);
    drawAt(4700); // y = 210 + 100 * 30 / 200
    EXPECT_TRUE(imageAt(badgeImage, 24, 225) && imageAt(capImage, 294, 225));
    EXPECT_EQ(scan(fill, 150, 239, 293, 239).count, 144);
    EXPECT_EQ(drawn().top, 225);
    EXPECT_EQ(text().top, top + 17);

    messageQueue.clear();
    notify(0, 0, "Login... Guest", nullptr);
    drawAt(2550); // a lone heading sinks too
    EXPECT_GE(text().top, 225);
}

TEST_F(NotifierDraw, FinishedMessageLeavesAndTheNextStartsItsClock) {
    notify(0, 0, "Login... Guest", "");
    notify(2, 10, "Second", "");
    messageQueue.back().start = 0;
    const Uint32 now = drawAt(2650);
    ASSERT_EQ(messageQueue.size(), 1u);
    EXPECT_TRUE(messageQueue.front().item == 2 && messageQueue.front().start == now);
    EXPECT_EQ(drawn().count, 0);

    drawAt(600000); // after a long pause it goes without being drawn
    EXPECT_TRUE(messageQueue.empty());
    EXPECT_EQ(drawn().count, 0);

    notifierStarted = 0; // the first frame restarts what start-up queued
    notify(0, 0, "Login... Guest", "");
    messageQueue.front().start -= 5000;
    drawNotifier();
    EXPECT_TRUE(notifierStarted == 1 && messageQueue.size() == 1u);
    EXPECT_TRUE(messageQueue.front().start >= now && messageQueue.front().start <= SDL_GetTicks());
}
} // namespace
