// Scripted matches through the real frame loop, with the registry in a scratch
// directory: which items unlock, and what "results.dat" holds afterwards.
#include <cstring>
#include <gtest/gtest.h>

#include "app/frame_loop.h"
#include "game/game_state.h"
#include "game/results.h"
#include "tests/exp/exp_fixture.h"

namespace {

void pushKey(SDLKey sym) {
    SDL_Event e;
    std::memset(&e, 0, sizeof e);
    e.type = SDL_KEYDOWN;
    e.key.type = SDL_KEYDOWN;
    e.key.state = SDL_PRESSED;
    e.key.keysym.sym = sym;
    SDL_PushEvent(&e);
}

struct AchievementMatch : ::testing::Test {
    RegistryDir dir;
    std::unique_ptr<GameWorkDir> work;

    void SetUp() override {
        dir.profile("name=Tester\nlang=en\n");
        work.reset(new GameWorkDir(dir.root));
        resetGame();
        registerGame();
        attachNotifier(recordMessage);
        sentMessages.clear();
    }
    void TearDown() override { work.reset(); }

    // Starts a match from the title menu with the face button.
    void startFromTitle(int mode, int wins) {
        ASSERT_EQ(game.screen, Title);
        game.winsNeeded = wins;
        game.menuSelection = mode == 1 ? 0 : 1;
        pushKey(SDLK_SPACE);
        runFrame(false);
        ASSERT_EQ(game.screen, Play);
    }
    // Hides the round's target and keeps the board at its most generous level, so
    // every opening of a closed coffin gives a hint and none sticks.
    void placeTarget(int cell) {
        game.board.target = cell;
        game.board.level = 9;
    }
    // The human to move opens a cell; the frames run until the turn is over.
    void humanOpens(int cell) {
        ASSERT_EQ(game.screen, Play);
        ASSERT_TRUE(humanTurn());
        ASSERT_EQ(game.board.cells[cell], Closed);
        game.cursorRow = cell / 10;
        game.cursorCol = cell % 10;
        pushKey(SDLK_SPACE);
        runFrame(false);
        ASSERT_NE(game.board.cells[cell], Closed);
        for (int i = 0; i < 200 && game.screen != Play && game.screen != MatchEnd; ++i)
            runFrame(false);
    }
    // The computer's turn, steered onto one cell so the round plays the same every time.
    void computerOpens(int cell) {
        ASSERT_EQ(game.currentPlayer, 2);
        game.cpuRange.low = cell - 1;
        game.cpuRange.high = cell + 1;
        for (int i = 0; i < 200 && !(game.screen == Play && game.currentPlayer == 1); ++i)
            runFrame(false);
        ASSERT_NE(game.board.cells[cell], Closed);
    }
    void backToTitle() {
        for (int i = 0; i < 1000 && game.screen != Title; ++i)
            runFrame(false);
        ASSERT_EQ(game.screen, Title);
    }
    std::vector<int> unlocked() const {
        std::vector<int> ids;
        for (const ExpItem& item : registry.items)
            if (item.unlocked) ids.push_back(item.id);
        return ids;
    }
    std::vector<int> messaged() const {
        std::vector<int> ids;
        for (const SentMessage& m : sentMessages)
            ids.push_back(m.item);
        return ids;
    }
    std::string resultsFile() const { return dir.gameDir() + "/saves/results.dat"; }
};

} // namespace

TEST_F(AchievementMatch, FirstPerfectWinUnlocksOneAndEight) {
    startFromTitle(1, 1);
    placeTarget(50);
    humanOpens(0); // higher
    computerOpens(10);
    humanOpens(99); // lower: both hints, so neither 12 nor 13
    computerOpens(90);
    humanOpens(50);
    EXPECT_EQ(game.screen, MatchEnd);
    EXPECT_EQ(unlocked(), (std::vector<int>{1, 8}));
    EXPECT_EQ(messaged(), (std::vector<int>{1, 8}));
    EXPECT_EQ(sentMessages[0].title, "en name 1");
    EXPECT_EQ(readFile(resultsFile()), le32(1) + le32(0) + le32(0)); // saved at the win
    EXPECT_EQ(readFile(dir.gameDir() + "exp.summary"),
              le32(2) + le32(15) + le32(20) + le32(500) + le32(1));
}

TEST_F(AchievementMatch, FindWithTheFirstOpeningUnlocksFifteen) {
    startFromTitle(1, 3);
    placeTarget(37);
    humanOpens(37);
    EXPECT_EQ(game.screen, Play); // the match goes on
    EXPECT_EQ(game.scorePlayer1, 1);
    EXPECT_EQ(unlocked(), (std::vector<int>{15}));
    EXPECT_FALSE(pathExists(resultsFile()));
}

TEST_F(AchievementMatch, RoundsSetUpForFourteenTwelveThirteenAndEleven) {
    startFromTitle(1, 9);

    placeTarget(50);
    humanOpens(49);
    computerOpens(10);
    humanOpens(51); // both neighbours of the target
    EXPECT_EQ(unlocked(), (std::vector<int>{14}));
    computerOpens(20);
    humanOpens(50);
    EXPECT_EQ(unlocked(), (std::vector<int>{14}));

    placeTarget(50);
    humanOpens(99); // lower hints only
    computerOpens(90);
    humanOpens(50);
    EXPECT_EQ(unlocked(), (std::vector<int>{12, 14}));

    placeTarget(50);
    humanOpens(0); // higher hints only
    computerOpens(10);
    humanOpens(50);
    EXPECT_EQ(unlocked(), (std::vector<int>{12, 13, 14}));

    placeTarget(50);
    for (int i = 0; i < 100; ++i)
        if (i != 50 && i != 5) game.board.cells[i] = NoHint;
    humanOpens(5); // leaves the target as the one closed coffin
    EXPECT_EQ(unlocked(), (std::vector<int>{11, 12, 13, 14}));
    EXPECT_EQ(messaged(), (std::vector<int>{14, 12, 13, 11}));
    EXPECT_EQ(game.screen, Play);
    EXPECT_FALSE(pathExists(resultsFile()));
}

TEST_F(AchievementMatch, SavedResultsOfNineAndTwentyNineUnlockTwoFourAndFive) {
    writeFile(resultsFile(), le32(9) + le32(29) + le32(0));
    ASSERT_TRUE(loadResults());

    startFromTitle(1, 2);
    placeTarget(12);
    humanOpens(12);
    placeTarget(80);
    humanOpens(80);
    // 29 medium wins are already above 9, so item 4 comes with this first win.
    EXPECT_EQ(messaged(), (std::vector<int>{15, 1, 2, 4, 8}));
    EXPECT_EQ(readFile(resultsFile()), le32(10) + le32(29) + le32(0));

    backToTitle();
    sentMessages.clear();
    startFromTitle(1, 5);
    for (int round = 0; round < 5; ++round) {
        placeTarget(round * 11);
        humanOpens(round * 11);
    }
    EXPECT_EQ(game.screen, MatchEnd);
    EXPECT_EQ(messaged(), (std::vector<int>{5, 9}));
    EXPECT_EQ(unlocked(), (std::vector<int>{1, 2, 4, 5, 8, 9, 15}));
    EXPECT_EQ(readFile(resultsFile()), le32(10) + le32(30) + le32(0));
}

TEST_F(AchievementMatch, TwoPlayerMatchUnlocksNothingAndCountsNothing) {
    writeFile(resultsFile(), le32(1) + le32(2) + le32(3));
    loadResults();
    startFromTitle(2, 1);
    placeTarget(50);
    humanOpens(0);  // player 1
    humanOpens(99); // player 2
    humanOpens(50); // player 1 wins the match
    EXPECT_EQ(game.screen, MatchEnd);
    EXPECT_EQ(game.scorePlayer1, 1);
    EXPECT_TRUE(unlocked().empty());
    EXPECT_TRUE(sentMessages.empty());
    EXPECT_EQ(game.shortMatchWins, 1);
    EXPECT_EQ(readFile(resultsFile()), le32(1) + le32(2) + le32(3));
}
