#include <cstdlib>
#include <gtest/gtest.h>

#include "game/frame_values.h"
#include "game/game_state.h"
#include "tests/test_support.h"

namespace {

TEST(MatchTest, ComputerPicksInsideEveryHintSeenTheHumansIncluded) {
    testScreen(); // the Play step draws
    for (unsigned seed = 1; seed <= 200; ++seed) {
        resetGame();
        std::srand(seed);
        startMatch();
        int t = targetIndex(), low = -1, high = 100, humanCell = (seed * 13) % 100;
        if (humanCell == t) continue;
        CellState r = openCell(humanCell);
        (r == HintHigher ? low : high) = humanCell;
        for (int turn = 0; turn < 12; ++turn) {
            game.currentPlayer = 2;
            game.revealFramesLeft = 0;
            clearFrameOpening();
            playStep();
            int picked = game.revealCell;
            ASSERT_GT(picked, low);
            ASSERT_LT(picked, high);
            CellState s = cellStateAt(picked);
            if (s == Target) {
                EXPECT_EQ(game.scorePlayer2, 1);
                break;
            }
            (s == HintHigher ? low : high) = picked;
        }
    }
}

TEST(MatchTest, RoundLevelDropsEveryThreeRoundsDownToFive) {
    resetGame();
    const int expected[] = {9, 9, 9, 8, 8, 8, 7, 7, 7, 6, 6, 6, 5, 5, 5, 5, 5};
    for (int played = 0; played < 17; ++played) {
        game.scorePlayer1 = played / 2;
        game.scorePlayer2 = played - played / 2;
        startRound();
        EXPECT_EQ(game.board.level, expected[played]) << "round " << played + 1;
    }
}

TEST(MatchTest, MatchEndsCountOnlyPlayerOnesWinsAgainstTheComputerByLength) {
    struct Case {
        int mode, winsNeeded, p1, p2, screen, shortW, mediumW, longW;
    } cases[] = {
        {1, 1, 1, 0, MatchEnd, 1, 0, 0}, {1, 3, 3, 2, MatchEnd, 1, 0, 0},
        {1, 6, 6, 5, MatchEnd, 0, 1, 0}, {1, 7, 7, 0, MatchEnd, 0, 0, 1},
        {2, 3, 3, 0, MatchEnd, 0, 0, 0}, {1, 3, 0, 3, MatchEnd, 0, 0, 0},
        {1, 3, 2, 2, Play, 0, 0, 0}, // goes on, the finder to move
    };
    std::string dir = makeTempDir();
    {
        ScopedChdir inTemp(dir); // a win saves the Results where the game runs
        for (const Case& c : cases) {
            resetGame();
            game.gameMode = c.mode;
            game.winsNeeded = c.winsNeeded;
            game.scorePlayer1 = c.p1;
            game.scorePlayer2 = c.p2;
            finishRound();
            EXPECT_EQ(game.screen, c.screen);
            EXPECT_EQ(game.currentPlayer, 1);
            EXPECT_EQ(game.shortMatchWins, c.shortW);
            EXPECT_EQ(game.mediumMatchWins, c.mediumW);
            EXPECT_EQ(game.longMatchWins, c.longW);
        }
    }
    removeTree(dir);
}

} // namespace
