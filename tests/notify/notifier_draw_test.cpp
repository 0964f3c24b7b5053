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
} // namespace

class NotifierDraw : public ::testing::Test {
  protected:
    SDL_Surface* screen = nullptr;
    Uint32 background = 0, barColour = 0, yellow = 0;

    void SetUp() override {
        resetNotifier();
        screen = testScreen();
        setupNotifier(screen);
        notifierStarted = 1;
        background = SDL_MapRGB(screen->format, 0, 0, 80);
        barColour = SDL_MapRGB(screen->format, 101, 143, 101);
        yellow = SDL_MapRGB(screen->format, 255, 255, 0);
    }
    void TearDown() override { resetNotifier(); }

    // One frame with the front message e ms into its timeline, retried whenever the clock
    // ticks during the frame, so that it shows exactly the moment asked for.
    void drawAt(Uint32 e) {
        const std::deque<NotifyMessage> queued = messageQueue;
        for (int tries = 0; tries < 100; ++tries) {
            messageQueue = queued;
            SDL_FillRect(screen, nullptr, background);
            Uint32 now = SDL_GetTicks();
            messageQueue.front().start = now - e;
            drawNotifier();
            if (SDL_GetTicks() == now) return;
        }
    }

    // Where, within the window, pixels of one colour (or, with any, all drawing) are.
    Extent scan(Uint32 colour, int x0, int y0, int x1, int y1, bool any = false) {
        Extent r;
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                Uint16 p = pixelAt(screen, x, y);
                if (any ? p == background : p != colour) continue;
                ++r.count;
                r.left = std::min(r.left, x), r.right = std::max(r.right, x);
                r.top = std::min(r.top, y), r.bottom = std::max(r.bottom, y);
            }
        return r;
    }
    Extent drawn() { return scan(0, 0, 0, 319, 239, true); }
    Extent text() { return scan(yellow, 48, 0, 319, 239); } // the badge's emblem left out

    // Whether the first `columns` columns of image stand at x, y; where it is magenta,
    // whatever lay beneath must show through.
    bool imageAt(SDL_Surface* image, int x, int y, int columns = 99) {
        Uint32 key = image->format->colorkey;
        for (int row = 0; row < image->h && y + row < 240; ++row)
            for (int col = 0; col < image->w && col < columns; ++col) {
                Uint16 src = static_cast<Uint16*>(image->pixels)[row * image->pitch / 2 + col];
                Uint16 shown = pixelAt(screen, x + col, y + row);
                if (src == key ? shown == key : shown != src) return false;
            }
        return true;
    }
};

TEST_F(NotifierDraw, BadgeRisesThenTheBarOpensFromTheCentre) {
    SDL_FillRect(screen, nullptr, background);
    drawNotifier();
    EXPECT_EQ(drawn().count, 0); // nothing queued, nothing drawn

    notify(0, 0, "Login... Guest", "");
    drawAt(149);
    EXPECT_TRUE(imageAt(badgeImage, 148, 211));
    Extent d = drawn();
    EXPECT_TRUE(d.left >= 148 && d.right <= 171 && d.top == 211);

    drawAt(150); // the fill starts with no width; the cap covers the badge's right edge
    EXPECT_TRUE(imageAt(badgeImage, 148, 210, 22));
    EXPECT_TRUE(imageAt(capImage, 170, 210));
    d = drawn();
    EXPECT_TRUE(d.left >= 148 && d.right <= 171 && d.top == 210);

    drawAt(225); // halfway: k = 62, badge at 86, fill 108..231, cap at 232
    EXPECT_TRUE(imageAt(badgeImage, 86, 210, 22));
    EXPECT_TRUE(imageAt(capImage, 232, 210));
    EXPECT_EQ(scan(barColour, 110, 233, 319, 233).right, 231);
    EXPECT_EQ(scan(yellow, 110, 0, 319, 239).count, 0);
}

TEST_F(NotifierDraw, StandingBarShowsTheHeadingThenTheBody) {
    notify(3, 25, "A heading wide enough to reach the middle", "Short body");
    drawAt(1000);
    EXPECT_TRUE(imageAt(badgeImage, 24, 210));
    EXPECT_TRUE(imageAt(capImage, 294, 210));
    EXPECT_EQ(scan(barColour, 48, 233, 293, 233).count, 246); // below the text, fill only
    EXPECT_EQ(drawn().right, 295);
    Extent t = text();
    EXPECT_TRUE(t.count > 0 && t.left >= 50 && t.top >= 208 && t.bottom <= 221);
    EXPECT_GT(t.right, 160);
    const int headingTop = t.top;

    drawAt(3000); // the body replaces the heading
    EXPECT_TRUE(imageAt(capImage, 294, 210));
    t = text();
    EXPECT_TRUE(t.count > 0 && t.left >= 50 && t.right < 120);
    EXPECT_EQ(t.top, headingTop);
}

TEST_F(NotifierDraw, SecondBodyLineStandsTenRowsLowerAndRunsToTheEdge) {
    std::string body = "mmmmm " + std::string(60, 'm');
    notify(3, 25, "", body.c_str());
    drawAt(300); // without a heading the body shows at once
    Extent first = scan(yellow, 48, 0, 95, 239);
    Extent second = scan(yellow, 100, 0, 319, 239);
    EXPECT_TRUE(first.count > 0 && first.left >= 50);
    EXPECT_EQ(second.top, first.top + 10);
    EXPECT_LE(second.bottom, 231);
    EXPECT_GT(second.right, 300); // past the cap, cut only by the screen's edge
}

TEST_F(NotifierDraw, BarSinksWithItsTextTwoRowsLower) {
    notify(3, 25, "Heading", "Body text");
    drawAt(4599);
    const int standingTop = text().top;
    drawAt(4600); // the fall starts on the standing row
    EXPECT_TRUE(imageAt(badgeImage, 24, 210));
    EXPECT_EQ(text().top, standingTop + 2);

    drawAt(4700); // y = 210 + 100 x 30 / 200
    EXPECT_TRUE(imageAt(badgeImage, 24, 225));
    EXPECT_TRUE(imageAt(capImage, 294, 225));
    EXPECT_EQ(scan(barColour, 150, 239, 293, 239).count, 144);
    EXPECT_EQ(drawn().top, 225);
    EXPECT_EQ(text().top, standingTop + 17);

    // Without body lines the heading rides the sinking bar.
    messageQueue.clear();
    notify(0, 0, "Login... Guest", nullptr);
    drawAt(2450 + 100);
    EXPECT_GE(text().top, 225);
}

TEST_F(NotifierDraw, FinishedMessageLeavesAndTheNextOneStartsItsClock) {
    notify(0, 0, "Login... Guest", "");
    notify(2, 10, "Second", "");
    messageQueue.back().start = 0;
    messageQueue.front().start = SDL_GetTicks() - 2650;
    SDL_FillRect(screen, nullptr, background);
    Uint32 before = SDL_GetTicks();
    drawNotifier();
    ASSERT_EQ(messageQueue.size(), 1u);
    EXPECT_EQ(messageQueue.front().item, 2);
    EXPECT_GE(messageQueue.front().start, before);
    EXPECT_LE(messageQueue.front().start, SDL_GetTicks());
    EXPECT_EQ(drawn().count, 0);

    drawAt(600000); // after a long pause it goes without ever being drawn
    EXPECT_TRUE(messageQueue.empty());
    EXPECT_EQ(drawn().count, 0);
}

TEST_F(NotifierDraw, FirstFrameRestartsMessagesQueuedAtStartUp) {
    notifierStarted = 0;
    notify(0, 0, "Login... Guest", "");
    messageQueue.front().start = SDL_GetTicks() - 5000; // a slow start-up
    Uint32 before = SDL_GetTicks();
    drawNotifier();
    EXPECT_EQ(notifierStarted, 1);
    ASSERT_EQ(messageQueue.size(), 1u);
    EXPECT_GE(messageQueue.front().start, before);
}
