#include <gtest/gtest.h>
#include <sstream>

#include "app/frame_loop.h"
#include "game/game_state.h"
#include "game/results.h"
#include "tests/exp/exp_fixture.h"

static void press(int cell) {
    game.cursorRow = cell / 10;
    game.cursorCol = cell % 10;
    SDL_Event e = SDL_Event(); // all zero
    e.type = SDL_KEYDOWN;
    e.key.state = SDL_PRESSED;
    e.key.keysym.sym = SDLK_SPACE;
    SDL_PushEvent(&e);
    runFrame(false);
}

// "p3"/"v1": from the title, a match against the computer/a second human to 3/1 wins;
// "t50": the target in 50, at the level where every miss hints and none sticks; "h37"/"c37":
// the human/the steered computer opens 37; "f5": all but the target and 5 opened; "b0": title.
static void play(const std::string& script) {
    std::istringstream in(script);
    for (std::string step; in >> step;) {
        const char op = step[0];
        const int n = std::stoi(step.substr(1));
        if (op == 'p' || op == 'v') {
            game.winsNeeded = n;
            game.menuSelection = op == 'v';
            press(0);
        } else if (op == 't') {
            game.board.target = n;
            game.board.level = 9;
        } else if (op == 'f') {
            for (int i = 0; i < 100; ++i)
                if (i != game.board.target && i != n) game.board.cells[i] = NoHint;
        } else if (op == 'b') {
            for (int i = 0; i < 1000 && game.screen != Title; ++i)
                runFrame(false);
        } else if (op == 'h') {
            press(n);
            for (int i = 0; i < 200 && game.screen != Play && game.screen != MatchEnd; ++i)
                runFrame(false);
        } else {
            game.cpuRange.low = n - 1;
            game.cpuRange.high = n + 1;
            for (int i = 0; i < 200 && !(game.screen == Play && game.currentPlayer == 1); ++i)
                runFrame(false);
        }
    }
}

// Through the real frame loop: items unlocked (as messaged), screen, Results file, counters.
static std::string match(const std::string& saved, const std::string& script) {
    RegistryDir dir;
    dir.profile("name=Tester\nlang=en\n");
    GameWorkDir work(dir.root);
    const std::string results = dir.gameDir() + "/saves/results.dat";
    resetGame();
    registerGame();
    attachNotifier(recordMessage);
    sentMessages.clear();
    if (!saved.empty()) writeFile(results, saved);
    EXPECT_EQ(loadResults(), !saved.empty());
    play(script);
    std::string got;
    for (const std::string& m : sentMessages)
        got += m.substr(0, m.find(':')) + ",";
    got += " " + std::to_string(game.screen) + " " + readFile(results);
    return got + le({game.shortMatchWins, game.mediumMatchWins, game.longMatchWins});
}

TEST(AchievementMatch, ScriptedMatchesUnlockExactlyTheirItems) {
    // A first perfect win with both kinds of hints, so neither 12 nor 13.
    EXPECT_EQ(match("", "p1 t50 h0 c10 h99 c90 h50"), "1,8, 5 " + le({1, 0, 0, 1, 0, 0}));
    EXPECT_EQ(match("", "p3 t37 h37"), "15, 1 " + le({0, 0, 0})); // the first opening finds
    // Both neighbours of the target; lower hints only; higher hints only; the last coffin.
    EXPECT_EQ(match("", "p9 t50 h49 c10 h51 c20 h50 t50 h99 c90 h50 t50 h0 c10 h50 t50 f5 h5"),
              "14,12,13,11, 1 " + le({0, 0, 0}));
    // 29 medium wins are already above 9, so item 4 comes with the first win.
    EXPECT_EQ(
        match(le({9, 29, 0}), "p2 t12 h12 t80 h80 b0 p5 t0 h0 t11 h11 t22 h22 t33 h33 t44 h44"),
        "15,1,2,4,8,5,9, 5 " + le({10, 30, 0, 10, 30, 0}));
    EXPECT_EQ(match(le({1, 2, 3}), "v1 t50 h0 h99 h50"), " 5 " + le({1, 2, 3, 1, 2, 3}));
}
