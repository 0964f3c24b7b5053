#include <cstdlib>
#include <gtest/gtest.h>

#include "game/game_state.h"
#include "tests/test_support.h"

namespace {

// Replays the reveal rule on a copy of the generator's sequence.
struct Draws {
    explicit Draws(unsigned seed) { std::srand(seed); }
    int next() {
        ++count;
        return std::rand() % 10;
    }
    int count = 0;
};

class BoardTest : public ::testing::Test {
  protected:
    void SetUp() override { resetGame(); }
};

TEST_F(BoardTest, DealClampsLevelAndClosesEveryCell) {
    std::srand(7);
    int expectedTarget = std::rand() % 100;
    std::srand(7);
    initBoard(12);
    EXPECT_EQ(game.board.level, 9);
    EXPECT_EQ(targetIndex(), expectedTarget);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(cellStateAt(i), Closed);
    initBoard(-3);
    EXPECT_EQ(game.board.level, 0);
    EXPECT_FALSE(oneClosedLeft());
}

TEST_F(BoardTest, ProgramStartBoardHasNoTarget) {
    Board fresh;
    EXPECT_EQ(fresh.target, -1);
    EXPECT_EQ(fresh.level, 9);
}

TEST_F(BoardTest, RevealFollowsTheDrawsInOrder) {
    // For every level and many seeds, recompute the draws the rule must make.
    for (int level = 0; level <= 9; ++level) {
        for (unsigned seed = 1; seed <= 40; ++seed) {
            std::srand(seed);
            initBoard(level);
            int target = targetIndex();
            int cell = (seed * 37) % 100;
            unsigned next = seed * 1000 + level;
            std::srand(next);
            CellState got = revealCellAt(cell);
            int afterGot = std::rand();

            Draws d(next);
            CellState want;
            if (d.next() > level)
                want = Jammed;
            else if (cell == target)
                want = Target;
            else if (d.next() <= level)
                want = cell > target ? HintLower : HintHigher;
            else
                want = d.next() <= 3 ? Empty : NoHint;
            EXPECT_EQ(got, want) << "level " << level << " seed " << seed;
            EXPECT_EQ(cellStateAt(cell), want);
            // The generator advanced exactly as far as the rule needed.
            EXPECT_EQ(afterGot, std::rand()) << "draw count " << d.count;
        }
    }
}

TEST_F(BoardTest, JammedCellIsTriedAgainLikeAClosedOne) {
    initBoard(0);
    game.board.target = 50;
    // Find a seed whose first draw jams the lid, then one that opens it.
    unsigned jamSeed = 1;
    while (true) {
        std::srand(jamSeed);
        if (std::rand() % 10 > 0) break;
        ++jamSeed;
    }
    std::srand(jamSeed);
    EXPECT_EQ(revealCellAt(50), Jammed);
    unsigned openSeed = 1;
    while (true) {
        std::srand(openSeed);
        if (std::rand() % 10 == 0) break;
        ++openSeed;
    }
    std::srand(openSeed);
    EXPECT_EQ(revealCellAt(50), Target);
}

TEST_F(BoardTest, OpenedCellsAndIndicesOffTheBoardMakeNoDraw) {
    std::srand(3);
    initBoard(9);
    int t = targetIndex();
    int other = (t + 1) % 100;
    revealCellAt(other);
    CellState opened = cellStateAt(other);
    std::srand(99);
    int expected = std::rand();
    std::srand(99);
    EXPECT_EQ(revealCellAt(other), opened);
    EXPECT_EQ(revealCellAt(-1), Empty);
    EXPECT_EQ(revealCellAt(100), Empty);
    EXPECT_EQ(cellStateAt(-1), Empty);
    EXPECT_EQ(cellStateAt(100), Empty);
    EXPECT_EQ(std::rand(), expected);
}

TEST_F(BoardTest, LevelNineAlwaysOpensWithATrueHint) {
    for (unsigned seed = 1; seed < 30; ++seed) {
        std::srand(seed);
        initBoard(9);
        int t = targetIndex();
        for (int i = 0; i < 100; ++i) {
            CellState s = revealCellAt(i);
            if (i == t)
                EXPECT_EQ(s, Target);
            else
                EXPECT_EQ(s, i > t ? HintLower : HintHigher);
        }
    }
}

TEST_F(BoardTest, RowEndAndNextRowStartAreNeighbours) {
    initBoard(9);
    game.board.target = 20;
    EXPECT_EQ(revealCellAt(19), HintHigher);
    EXPECT_EQ(revealCellAt(21), HintLower);
}

TEST_F(BoardTest, OneClosedLeftCountsJammedAsTried) {
    initBoard(9);
    for (int i = 0; i < 98; ++i)
        game.board.cells[i] = (i % 2) ? Jammed : Empty;
    EXPECT_FALSE(oneClosedLeft());
    game.board.cells[98] = Jammed;
    EXPECT_TRUE(oneClosedLeft());
    game.board.cells[99] = NoHint;
    EXPECT_FALSE(oneClosedLeft());
}

} // namespace
