// Headless replays of recorded input: each replay is played frame by frame through the
// real frame loop from a fixed seed, and the final game state is compared with the dump
// stored beside it. Any change to the order of the random draws, to the timings or to
// the input handling shows up here. To accept a deliberate change, run the tests with
// VESPERALIA_WRITE_REPLAYS=1 and review the rewritten dumps.
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/frame_loop.h"
#include "game/frame_values.h"
#include "game/game_state.h"
#include "gfx/assets.h"
#include "tests/test_support.h"

namespace {

struct RecordedEvent {
    int frame;
    SDL_Event event;
};

struct Replay {
    unsigned seed = 1;
    int frames = 0;
    std::vector<RecordedEvent> events;
};

SDLKey keyNamed(const std::string& name) {
    static const std::map<std::string, SDLKey> keys = {
        {"up", SDLK_UP},       {"down", SDLK_DOWN},   {"left", SDLK_LEFT}, {"right", SDLK_RIGHT},
        {"space", SDLK_SPACE}, {"rctrl", SDLK_RCTRL}, {"plus", SDLK_PLUS}, {"minus", SDLK_MINUS}};
    auto it = keys.find(name);
    return it == keys.end() ? SDLK_UNKNOWN : it->second;
}

// Lines: "seed N", "frames N", "F key NAME down|up", "F pad N down|up", "F click X Y".
bool parseReplay(const std::string& path, Replay& r, std::string& error) {
    std::ifstream in(path);
    if (!in) {
        error = "cannot open " + path;
        return false;
    }
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (line.empty() || line[0] == '#') continue;
        std::istringstream ss(line);
        std::string first, kind;
        ss >> first;
        if (first == "seed") {
            ss >> r.seed;
            continue;
        }
        if (first == "frames") {
            ss >> r.frames;
            continue;
        }
        RecordedEvent e = {std::atoi(first.c_str()), SDL_Event()};
        std::memset(&e.event, 0, sizeof e.event);
        ss >> kind;
        if (kind == "key") {
            std::string name, dir;
            ss >> name >> dir;
            e.event.type = dir == "up" ? SDL_KEYUP : SDL_KEYDOWN;
            e.event.key.keysym.sym = keyNamed(name);
        } else if (kind == "pad") {
            int button = 0;
            std::string dir;
            ss >> button >> dir;
            e.event.type = dir == "up" ? SDL_JOYBUTTONUP : SDL_JOYBUTTONDOWN;
            e.event.jbutton.button = static_cast<Uint8>(button);
        } else if (kind == "click") {
            int x = 0, y = 0;
            ss >> x >> y;
            e.event.type = SDL_MOUSEBUTTONUP;
            e.event.button.button = SDL_BUTTON_LEFT;
            e.event.button.x = static_cast<Uint16>(x);
            e.event.button.y = static_cast<Uint16>(y);
        } else {
            error = path + ":" + std::to_string(number) + ": unknown event '" + kind + "'";
            return false;
        }
        if (!ss) {
            error = path + ":" + std::to_string(number) + ": malformed line";
            return false;
        }
        r.events.push_back(e);
    }
    return true;
}

std::string dumpState() {
    std::ostringstream out;
    const GameState& g = game;
    out << "screen " << g.screen << "\nmenuSelection " << g.menuSelection << "\ngameMode "
        << g.gameMode << "\nwinsNeeded " << g.winsNeeded << "\nvolume " << g.volume
        << "\nquitRequested " << g.quitRequested << "\ncurrentPlayer " << g.currentPlayer
        << "\nscorePlayer1 " << g.scorePlayer1 << "\nscorePlayer2 " << g.scorePlayer2 << "\ncursor "
        << g.cursorRow << " " << g.cursorCol << "\ncpuRange " << g.cpuRange.low << " "
        << g.cpuRange.high << "\nroundOpenings " << g.roundOpenings << "\nneighbours "
        << g.openedBeforeTarget << " " << g.openedAfterTarget << "\nhintsSeen " << g.lowerHintSeen
        << " " << g.higherHintSeen << "\nresults " << g.shortMatchWins << " " << g.mediumMatchWins
        << " " << g.longMatchWins << "\nboardTarget " << g.board.target << "\nboardLevel "
        << g.board.level << "\nboard ";
    for (int i = 0; i < 100; ++i)
        out << g.board.cells[i];
    out << "\nreveal " << g.revealCell << " " << g.revealFramesLeft << "\nsearch " << g.searchCell
        << " " << g.searchFramesLeft << " " << g.searchFrame << "\nfound " << g.foundFramesLeft
        << "\nend " << g.endFadeAlpha << " " << g.endHoldFrames << " " << g.endRectPlayer1.x << " "
        << g.endRectPlayer2.x << "\nnextRand " << std::rand() % 1000 << "\n";
    return out.str();
}

std::string playReplay(const Replay& r) {
    resetGame();
    std::string dir = makeTempDir();
    std::string dump;
    {
        ScopedChdir inTemp(dir); // no data, no registry: the rules alone
        char prog[] = "vesperalia";
        char* argv[] = {prog};
        if (startGame(1, argv) != 0) return "startGame failed";
        std::srand(r.seed);
        size_t next = 0;
        for (int f = 0; f < r.frames && game.quitRequested == 0; ++f) {
            while (next < r.events.size() && r.events[next].frame == f) {
                SDL_Event e = r.events[next++].event;
                SDL_PushEvent(&e);
            }
            runFrame(false);
        }
        dump = dumpState();
        releaseGame();
    }
    removeTree(dir);
    return dump;
}

class ReplayTest : public ::testing::TestWithParam<const char*> {};

TEST_P(ReplayTest, FinalStateMatchesTheStoredDump) {
    std::string base = std::string("tests/app/replays/") + GetParam();
    Replay r;
    std::string error;
    ASSERT_TRUE(parseReplay(base + ".replay", r, error)) << error;
    std::string dump = playReplay(r);
    if (std::getenv("VESPERALIA_WRITE_REPLAYS")) {
        writeFile(base + ".expected", dump);
        GTEST_SKIP() << "rewrote " << base << ".expected";
    }
    EXPECT_EQ(dump, readFile(base + ".expected"));
    // The same input from the same seed always ends the same way.
    EXPECT_EQ(dump, playReplay(r));
}

INSTANTIATE_TEST_SUITE_P(Recorded, ReplayTest,
                         ::testing::Values("pvc_three_points", "pvp_with_interruptions"));

} // namespace
