#include <cstdlib>
#include <gtest/gtest.h>

#include "game/frame_values.h"
#include "game/game_state.h"
#include "tests/test_support.h"

namespace {

class MatchTest : public ::testing::Test {
  protected:
    void SetUp() override {
        testScreen(); // the Play step draws
        resetGame();
    }
};

TEST_F(MatchTest, NewMatchStartsFromScratch) {
    game.scorePlayer1 = 2;
    game.scorePlayer2 = 1;
    game.currentPlayer = 2;
    game.cursorRow = 0;
    game.cpuRange.low = 40;
    startMatch();
    EXPECT_EQ(game.scorePlayer1, 0);
    EXPECT_EQ(game.scorePlayer2, 0);
    EXPECT_EQ(game.currentPlayer, 1);
    EXPECT_EQ(game.cursorRow, 5);
    EXPECT_EQ(game.cursorCol, 5);
    EXPECT_EQ(game.board.level, 9);
    EXPECT_GE(targetIndex(), 0);
    EXPECT_EQ(game.cpuRange.low, -1);
    EXPECT_EQ(game.cpuRange.high, 100);
}

TEST_F(MatchTest, RoundLevelDropsEveryThreeRoundsDownToFive) {
    const int expected[] = {9, 9, 9, 8, 8, 8, 7, 7, 7, 6, 6, 6, 5, 5, 5, 5, 5};
    for (int played = 0; played < 17; ++played) {
        game.scorePlayer1 = played / 2;
        game.scorePlayer2 = played - played / 2;
        startRound();
        EXPECT_EQ(game.board.level, expected[played]) << "round " << played + 1;
    }
}

TEST_F(MatchTest, ComputerPicksInsideEveryHintSeen) {
    // Against the computer at level 9: the human's hints narrow its interval too.
    for (unsigned seed = 1; seed <= 200; ++seed) {
        resetGame();
        std::srand(seed);
        startMatch();
        int t = targetIndex();
        int low = -1, high = 100;
        int humanCell = (seed * 13) % 100;
        if (humanCell == t) continue;
        CellState r = openCell(humanCell);
        if (r == HintHigher) low = humanCell;
        if (r == HintLower) high = humanCell;
        game.revealFramesLeft = 0;
        for (int turn = 0; turn < 12; ++turn) {
            game.currentPlayer = 2;
            playStep();
            int picked = game.revealCell;
            ASSERT_GT(picked, low);
            ASSERT_LT(picked, high);
            CellState s = cellStateAt(picked);
            if (s == Target) break;
            if (s == HintHigher) low = picked;
            if (s == HintLower) high = picked;
            EXPECT_EQ(game.cpuRange.low, low);
            EXPECT_EQ(game.cpuRange.high, high);
            frame.frameRevealResult = Closed;
            game.revealFramesLeft = 0;
        }
    }
}

TEST_F(MatchTest, HumanHintsNarrowTheComputerOnlyAgainstIt) {
    startMatch();
    game.board.target = 25;
    EXPECT_EQ(openCell(40), HintLower);
    EXPECT_EQ(openCell(10), HintHigher);
    EXPECT_EQ(game.cpuRange.low, 10);
    EXPECT_EQ(game.cpuRange.high, 40);
    EXPECT_EQ(game.lowerHintSeen, 1);
    EXPECT_EQ(game.higherHintSeen, 1);
    EXPECT_EQ(game.roundOpenings, 2);

    game.gameMode = 2;
    startMatch();
    startRound();
    game.board.target = 25;
    openCell(40);
    EXPECT_EQ(game.cpuRange.high, 100);
    EXPECT_EQ(game.lowerHintSeen, -1);
}

TEST_F(MatchTest, OpeningRecordsJammedOriginAndIgnoresOffBoardCells) {
    startMatch();
    game.board.cells[12] = Jammed;
    startOpening(12);
    EXPECT_EQ(game.revealFramesLeft, 15);
    EXPECT_EQ(game.revealFromJammed, 1);
    game.revealFramesLeft = 0;
    startOpening(100);
    startOpening(-1);
    EXPECT_EQ(game.revealFramesLeft, 0);
    EXPECT_EQ(game.revealCell, 12);
}

TEST_F(MatchTest, FindScoresInTheFrameOfTheReveal) {
    startMatch();
    game.board.target = 33;
    frame.frameRevealResult = openCell(33);
    playStep();
    EXPECT_EQ(game.scorePlayer1, 1);

    // The computer finds it: its point, and it opens the next round.
    game.currentPlayer = 2;
    game.cpuRange.low = 32;
    game.cpuRange.high = 34;
    game.board.cells[33] = Closed;
    frame.frameRevealResult = Closed;
    playStep();
    EXPECT_EQ(game.scorePlayer2, 1);
    game.foundFramesLeft = 0;
    game.winsNeeded = 3;
    finishRound();
    EXPECT_EQ(game.screen, Play);
    EXPECT_EQ(game.currentPlayer, 2);
}

TEST_F(MatchTest, WinsAreCountedByMatchLengthOnlyAgainstTheComputer) {
    struct Case {
        int mode, winsNeeded, p1, p2;
        int shortW, mediumW, longW;
    } cases[] = {
        {1, 1, 1, 0, 1, 0, 0}, {1, 3, 3, 2, 1, 0, 0}, {1, 4, 4, 0, 0, 1, 0}, {1, 6, 6, 5, 0, 1, 0},
        {1, 7, 7, 0, 0, 0, 1}, {1, 9, 9, 8, 0, 0, 1}, {2, 3, 3, 0, 0, 0, 0}, {1, 3, 0, 3, 0, 0, 0},
    };
    std::string dir = makeTempDir();
    ScopedChdir inTemp(dir); // the Results are saved where the game runs
    for (const Case& c : cases) {
        resetGame();
        game.gameMode = c.mode;
        game.winsNeeded = c.winsNeeded;
        game.scorePlayer1 = c.p1;
        game.scorePlayer2 = c.p2;
        finishRound();
        EXPECT_EQ(game.screen, MatchEnd);
        EXPECT_EQ(game.shortMatchWins, c.shortW);
        EXPECT_EQ(game.mediumMatchWins, c.mediumW);
        EXPECT_EQ(game.longMatchWins, c.longW);
    }
    removeTree(dir); // absolute path, so removable from inside
}

TEST_F(MatchTest, UnfinishedMatchGoesOnWithTheFinder) {
    game.winsNeeded = 3;
    game.scorePlayer1 = 2;
    game.scorePlayer2 = 2;
    game.currentPlayer = 1;
    game.screen = Found;
    finishRound();
    EXPECT_EQ(game.screen, Play);
    EXPECT_EQ(game.currentPlayer, 1);
    EXPECT_EQ(game.board.level, 8);
}

} // namespace
