#include <cstdlib>
#include <gtest/gtest.h>

#include "game/game_state.h"
#include "tests/test_support.h"

namespace {

TEST(BoardTest, RevealFollowsTheDrawsInOrderAndOnlyAsFarAsNeeded) {
    resetGame();
    for (int level = 0; level <= 9; ++level) {
        for (unsigned seed = 1; seed <= 40; ++seed) {
            std::srand(seed);
            initBoard(level + 3 * (level == 9)); // 12 clamps to 9
            ASSERT_EQ(game.board.level, level);
            int target = targetIndex(), cell = (seed * 37) % 100;
            std::srand(seed + 1000);
            CellState got = revealCellAt(cell);
            int afterGot = std::rand();

            std::srand(seed + 1000); // replay the rule's draws
            CellState want;
            if (std::rand() % 10 > level)
                want = Jammed;
            else if (cell == target)
                want = Target;
            else if (std::rand() % 10 <= level)
                want = cell > target ? HintLower : HintHigher;
            else
                want = std::rand() % 10 <= 3 ? Empty : NoHint;
            EXPECT_EQ(got, want) << "level " << level << " seed " << seed;
            EXPECT_EQ(cellStateAt(cell), want);
            EXPECT_EQ(afterGot, std::rand()) << "wrong number of draws";
        }
    }
}

TEST(BoardTest, JammedRetriesOpenedCellsAndOffBoardIndices) {
    resetGame();
    initBoard(0);
    game.board.target = 50;
    unsigned jam = 1, open = 1; // seeds whose first draw jams, and opens, at level 0
    for (;; ++jam) {
        std::srand(jam);
        if (std::rand() % 10 > 0) break;
    }
    for (;; ++open) {
        std::srand(open);
        if (std::rand() % 10 == 0) break;
    }
    std::srand(jam);
    EXPECT_EQ(revealCellAt(50), Jammed);
    std::srand(open);
    EXPECT_EQ(revealCellAt(50), Target);

    // Opened cells and indices off the board answer without a draw.
    std::srand(99);
    int expected = std::rand();
    std::srand(99);
    EXPECT_EQ(revealCellAt(50), Target);
    EXPECT_EQ(revealCellAt(-1), Empty);
    EXPECT_EQ(revealCellAt(100), Empty);
    EXPECT_EQ(cellStateAt(-1), Empty);
    EXPECT_EQ(std::rand(), expected);

    initBoard(9);
    game.board.target = 20; // the end of a row and the next row's start are neighbours
    EXPECT_EQ(revealCellAt(19), HintHigher);
    EXPECT_EQ(revealCellAt(21), HintLower);
}

TEST(BoardTest, OneClosedLeftCountsJammedAsTried) {
    resetGame();
    initBoard(9);
    EXPECT_FALSE(oneClosedLeft());
    for (int i = 0; i < 99; ++i)
        game.board.cells[i] = (i % 2) ? Jammed : Empty;
    EXPECT_TRUE(oneClosedLeft());
    game.board.cells[99] = NoHint;
    EXPECT_FALSE(oneClosedLeft());
}

} // namespace
