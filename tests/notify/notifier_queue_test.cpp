#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <type_traits>

#include "notify/notifier.h"
#include "tests/test_support.h"

namespace {
struct Wrapped {
    std::string line1 = "untouched";
    std::string line2 = "untouched";
};

Wrapped wrap(const char* text) {
    Wrapped w;
    wrapBody(text, w.line1, w.line2);
    return w;
}

Uint32 lastDuration() {
    return messageQueue.back().fallEnd;
}
} // namespace

TEST(NotifierWrap, SplitsAtTheLastBlankWithinFortyEightCharacters) {
    std::string exact(48, 'a');
    Wrapped w = wrap(exact.c_str());
    EXPECT_EQ(w.line1, exact);
    EXPECT_EQ(w.line2, "untouched");

    // The blank at position 48 is still a break: everything before it is the first line.
    std::string trailing = std::string(48, 'b') + " ";
    w = wrap(trailing.c_str());
    EXPECT_EQ(w.line1, std::string(48, 'b'));
    EXPECT_EQ(w.line2, "");

    std::string words = std::string(40, 'c') + " dd " + std::string(60, 'e');
    w = wrap(words.c_str());
    EXPECT_EQ(w.line1, std::string(40, 'c') + " dd");
    EXPECT_EQ(w.line2, std::string(60, 'e')); // never wrapped again, however long

    // Past the limit with no blank at 1..48 (a leading one does not count) gives no lines.
    std::string solid(60, 'f');
    std::string leading = " " + std::string(59, 'g');
    for (const std::string& text : {solid, leading}) {
        w = wrap(text.c_str());
        EXPECT_EQ(w.line1, "untouched") << text;
        EXPECT_EQ(w.line2, "untouched") << text;
    }

    w = wrap(nullptr);
    EXPECT_EQ(w.line1, "untouched");
    w = wrap("");
    EXPECT_EQ(w.line1, "");
    EXPECT_EQ(w.line2, "untouched");
}

class NotifierQueue : public ::testing::Test {
  protected:
    void SetUp() override {
        testScreen(); // starts the clock
        resetNotifier();
    }
    void TearDown() override { resetNotifier(); }
};

TEST_F(NotifierQueue, TimelineHasTwoSecondsAndAQuarterPerShownPart) {
    notify(0, 0, "Login... Guest", "");
    EXPECT_EQ(lastDuration(), 2650u);
    EXPECT_EQ(messageQueue.back().titleEnd, 2450u);
    EXPECT_EQ(messageQueue.back().bodyEnd, 2450u);

    notify(3, 25, "Lid lifter", "Open ten coffins in one match");
    EXPECT_EQ(lastDuration(), 4800u);
    EXPECT_EQ(messageQueue.back().bodyEnd, 4600u);

    // A body that cannot be wrapped is dropped; the title still shows.
    notify(4, 10, "Solid", std::string(60, 'x').c_str());
    EXPECT_EQ(lastDuration(), 2650u);
    EXPECT_EQ(messageQueue.back().bodyEnd, messageQueue.back().titleEnd);

    // A body without a title starts straight after the bar has opened.
    notify(5, 10, nullptr, "Only words");
    EXPECT_EQ(messageQueue.back().titleEnd, 300u);
    EXPECT_EQ(lastDuration(), 2650u);

    notify(0, 0, nullptr, nullptr);
    EXPECT_EQ(lastDuration(), 500u);
    notify(0, 0, "", "");
    EXPECT_EQ(lastDuration(), 500u);
}

TEST_F(NotifierQueue, KeepsOrderAndItsOwnCopiesOfTheTexts) {
    char title[32];
    char body[32];
    Uint32 before = SDL_GetTicks();
    for (int item = 1; item <= 3; ++item) {
        std::snprintf(title, sizeof title, "Title %d", item);
        std::snprintf(body, sizeof body, "Body %d", item);
        notify(item, item * 10, title, body);
    }
    std::memset(title, 'z', sizeof title - 1); // the caller's buffers do not outlive the call
    std::memset(body, 'z', sizeof body - 1);

    ASSERT_EQ(messageQueue.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        const NotifyMessage& m = messageQueue[i];
        EXPECT_EQ(m.item, i + 1);
        EXPECT_EQ(m.points, (i + 1) * 10);
        EXPECT_EQ(m.heading, "Title " + std::to_string(i + 1));
        EXPECT_EQ(m.line1, "Body " + std::to_string(i + 1));
        EXPECT_GE(m.start, before);
        EXPECT_LE(m.start, SDL_GetTicks());
    }
}

// The registry stores the Notifier as a plain function pointer.
static_assert(std::is_same<decltype(&notify), void (*)(int, int, const char*, const char*)>::value,
              "notify must stay a plain callback");
