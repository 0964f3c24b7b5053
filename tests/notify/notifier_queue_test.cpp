#include <gtest/gtest.h>

#include <string>

#include "notify/notifier.h"
#include "tests/test_support.h"

TEST(NotifierWrap, SplitsAtTheLastBlankWithinFortyEightCharacters) {
    const std::string u = "untouched", a(48, 'a'), e(60, 'e'), c = std::string(40, 'c') + " dd";
    const std::string trailing = a + " ", words = c + " " + e, leading = " " + e;
    const struct {
        const char* text;
        std::string line1, line2;
    } cases[] = {
        {a.c_str(), a, u}, {trailing.c_str(), a, ""}, {words.c_str(), c, e},
        {e.c_str(), u, u}, {leading.c_str(), u, u},   {nullptr, u, u},
        {"", "", u},
    };
    for (const auto& t : cases) {
        std::string line1 = u, line2 = u;
        wrapBody(t.text, line1, line2);
        EXPECT_EQ(line1 + "|" + line2, t.line1 + "|" + t.line2) << "case " << &t - cases;
    }
}

TEST(NotifierQueue, QueuesInOrderWithTwoSecondsAndAQuarterPerShownPart) {
    testScreen(), resetNotifier();    // the screen starts the clock
    const std::string solid(60, 'x'); // cannot be wrapped, so it is dropped
    const struct {
        const char *title, *body;
        Uint32 titleEnd, bodyEnd, fallEnd;
    } cases[] = {
        {"Login... Guest", "", 2450, 2450, 2650},   {"Lid lifter", "Open ten", 2450, 4600, 4800},
        {"Solid", solid.c_str(), 2450, 2450, 2650}, {nullptr, "Only words", 300, 2450, 2650},
        {nullptr, nullptr, 300, 300, 500},          {"", "", 300, 300, 500},
    };
    const Uint32 before = SDL_GetTicks();
    for (int i = 0; i < 6; ++i) {
        notify(i, i * 10, cases[i].title, cases[i].body);
        const NotifyMessage& m = messageQueue.back();
        SCOPED_TRACE(i);
        EXPECT_TRUE(m.item == i && m.points == i * 10 && m.start >= before);
        EXPECT_EQ(m.heading, cases[i].title ? cases[i].title : "");
        EXPECT_EQ(m.titleEnd, cases[i].titleEnd);
        EXPECT_EQ(m.bodyEnd, cases[i].bodyEnd);
        EXPECT_EQ(m.fallEnd, cases[i].fallEnd);
    }
    EXPECT_EQ(messageQueue.front().item, 0);
    resetNotifier();
}
