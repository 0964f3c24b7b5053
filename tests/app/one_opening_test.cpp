#include <SDL.h>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <sys/resource.h>

#include "app/frame_loop.h"
#include "game/frame_values.h"
#include "game/game_state.h"
#include "tests/test_support.h"

// Several game inputs in one frame: only the first opening of a frame counts, and the
// round still ends as it should. Each case runs in a child process under a processor-time limit, so
// a freeze fails the test instead of hanging it.
namespace {

void pushKey(SDLKey sym) {
    SDL_Event down = keyEvent(sym), up = keyEvent(sym, false);
    SDL_PushEvent(&down);
    SDL_PushEvent(&up);
}

void pushClick(int x, int y) {
    SDL_Event e = clickEvent(x, y);
    SDL_PushEvent(&e);
}

void pushClickOnCell(int cell) {
    pushClick(110 + 20 * (cell % 10), 30 + 20 * (cell / 10));
}

void startPvcMatch(unsigned seed) {
    testScreen();
    resetGame();
    std::srand(seed);
    drainEvents();
    game.winsNeeded = 9; // the match goes on after the round
    game.gameMode = 1;
    game.screen = Play;
    startMatch();
}

// Runs frames until a round has been scored and its pause is over; "" when it was.
std::string finishTheRound(int scoredBefore) {
    for (int f = 0; f < 20000; ++f) { // far above the longest round: 100 openings of 66 frames
        runFrame(false);
        int cell = targetIndex();
        if (cellStateAt(cell) != Target && cellStateAt(cell) != Closed &&
            cellStateAt(cell) != Jammed)
            return "the target's cell shows an opened state other than the target";
        if (game.screen == Play && game.scorePlayer1 + game.scorePlayer2 > scoredBefore) return "";
        if (game.screen == Play && humanTurn()) { // the human tries coffins in order
            for (int c = 0; c < 100; ++c)
                if (cellStateAt(c) == Closed || cellStateAt(c) == Jammed) {
                    pushClickOnCell(c);
                    break;
                }
        }
    }
    return "the round did not end within the frame bound";
}

// Runs body in a child with a time limit; the test fails on any message or on a freeze.
void inChild(std::string (*body)(unsigned), unsigned seed) {
    EXPECT_EXIT(
        {
            // A freeze spins: the limit ends it (SIGKILL at the hard limit). A healthy case
            // needs under a second here, and far less than the limit under emulation.
            rlimit cpu;
            cpu.rlim_cur = 40;
            cpu.rlim_max = 45;
            setrlimit(RLIMIT_CPU, &cpu);
            std::string failure = body(seed);
            if (!failure.empty()) std::fprintf(stderr, "%s\n", failure.c_str());
            std::_Exit(failure.empty() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "")
        << "seed " << seed;
}

std::string spaceOnTargetThenReleaseOffTheBoard(unsigned seed) {
    startPvcMatch(seed);
    int t = targetIndex();
    game.cursorRow = t / 10;
    game.cursorCol = t % 10;
    pushKey(SDLK_SPACE);
    pushClick(20, 20); // off the board, in the same frame
    runFrame(false);
    if (game.scorePlayer1 != 1) return "the find was not scored in its frame";
    if (game.screen != Opening) return "no opening animation";
    return finishTheRound(0);
}

std::string twoCoffinsInOneFrame(unsigned seed) {
    startPvcMatch(seed);
    int t = targetIndex();
    int other = t == 0 ? 99 : 0;
    bool targetFirst = seed % 2 == 0;
    pushClickOnCell(targetFirst ? t : other);
    pushClickOnCell(targetFirst ? other : t);
    runFrame(false);
    if (game.revealCell != (targetFirst ? t : other)) return "the first click did not open";
    if (cellStateAt(targetFirst ? other : t) != Closed) return "the second click opened too";
    if (game.cursorRow * 10 + game.cursorCol != (targetFirst ? t : other))
        return "the second click moved the cursor";
    return finishTheRound(0);
}

TEST(OneOpeningPerFrameTest, SpaceOnTheTargetPlusAReleaseOffTheBoardScores) {
    // Written so that GoogleTest 1.10 (Debian 11, the arm64 build) takes it too.
    ::testing::GTEST_FLAG(death_test_style) = "fast";
    for (unsigned seed : {3u, 17u})
        inChild(spaceOnTargetThenReleaseOffTheBoard, seed);
}

TEST(OneOpeningPerFrameTest, TwoCoffinsClickedInOneFrameOnlyTheFirstOpens) {
    ::testing::GTEST_FLAG(death_test_style) = "fast";
    for (unsigned seed : {4u, 5u, 10u, 11u}) // both orders
        inChild(twoCoffinsInOneFrame, seed);
}

std::string computerWithNothingLeftInItsInterval(unsigned seed) {
    startPvcMatch(seed);
    int t = targetIndex();
    game.board.cells[t] = Target; // already opened, and the only cell inside the interval
    game.cpuRange.low = t - 1;
    game.cpuRange.high = t + 1;
    game.currentPlayer = 2;
    playStep();
    if (game.revealFramesLeft != 0) return "the computer opened a coffin outside its interval";
    game.cpuRange.low = 50; // an empty interval must not divide by zero either
    game.cpuRange.high = 51;
    playStep();
    return "";
}

TEST(OneOpeningPerFrameTest, ComputerNeverSpinsWithoutACoffinToPick) {
    ::testing::GTEST_FLAG(death_test_style) = "fast";
    inChild(computerWithNothingLeftInItsInterval, 7);
}

} // namespace
