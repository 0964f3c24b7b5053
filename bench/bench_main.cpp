// Prints how long each screen takes to draw on this machine, an estimate of its share of
// the handheld's 16 ms frame, the time to the first frame, the flushes a start costs the
// card, the memory the loaded game holds, and what presenting the picture costs a desktop
// at each scale (bench/present_bench.cpp). Run from the checkout (data/ and lang/).
//
// The estimate scales each screen by a reference operation timed in the same run: one
// 320x240 blit from a 32-bit surface to the 16-bit screen, reported at 7.7 ms on the
// handheld. It is a ratio of two different workloads on another CPU: an order-of-magnitude
// guide, not a measurement.
#include <SDL.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ftw.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

#include "app/frame_loop.h"
#include "bench/child_run.h"
#include "bench/present_bench.h"
#include "exp/file_io.h"
#include "exp/registry.h"
#include "game/game_state.h"
#include "gfx/assets.h"
#include "gfx/screens.h"
#include "localisation/language_table.h"
#include "notify/notifier.h"

namespace {

const double handheldReferenceMs = 7.7; // the reference blit on the handheld, as reported
const double frameBudgetMs = 16.0;
const double batchMicros = 2000.0; // each timed batch runs about this long

typedef std::chrono::steady_clock Clock;

double microsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

// The processor time this thread has used: unlike the wall clock it does not count the
// time the machine spends on other programs, which on a shared machine is most of it.
double threadMicros() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e6 + t.tv_nsec / 1e3;
}

long residentKilobytes() {
    FILE* f = std::fopen("/proc/self/status", "r");
    if (!f) return -1;
    char line[256];
    long kb = -1;
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, "VmRSS:", 6) == 0) kb = std::strtol(line + 6, nullptr, 10);
    std::fclose(f);
    return kb;
}

bool isDirectory(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// --- Start-up, in a child process so that each start is a whole one ----------------------

// The simulated memory card: every flush of the file layer waits this long.
int cardFlushMs = 0;
void slowFlush() {
    if (cardFlushMs > 0) SDL_Delay(static_cast<Uint32>(cardFlushMs));
}

// "--card-ms N" and "--unbatched" after the child's own switch: the card's cost per flush,
// and every write reaching the card at once, as before the registry gathered them.
void applyCardArguments(int argc, char** argv) {
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--card-ms") == 0 && i + 1 < argc)
            cardFlushMs = std::atoi(argv[i + 1]);
        if (std::strcmp(argv[i], "--unbatched") == 0) setCardBatching(false);
    }
    setCardFlushHook(slowFlush);
}

// The child's side: start the game, present one frame, report and leave.
int oneStart(int argc, char** argv) {
    applyCardArguments(argc, argv);
    Clock::time_point begin = Clock::now();
    resetCardWrites();
    if (startGame(1, argv) != 0) return 1;
    runFrame(false);
    double ms = microsSince(begin) / 1000.0;
    std::printf("start: %.1f %d %d\n", ms, cardWrites.files, cardWrites.flushes);
    std::fflush(stdout);
    std::_Exit(0); // no shutdown: that would be timed as the next start's writes
}

// The child's side of a win: a first start on a card without delay, then, on the simulated
// card, the end of a match against the computer won 3-0 to 3, which unlocks items 1 and 8
// and saves the Results, and after it one unlock on its own.
int oneWin(int argc, char** argv) {
    if (startGame(1, argv) != 0) return 1;
    applyCardArguments(argc, argv);
    startMatch();
    game.gameMode = 1;
    game.winsNeeded = 3;
    game.scorePlayer1 = 3;
    resetCardWrites();
    Clock::time_point begin = Clock::now();
    finishRound();
    std::printf("win: %.1f %d %d\n", microsSince(begin) / 1000.0, cardWrites.files,
                cardWrites.flushes);
    resetCardWrites();
    begin = Clock::now();
    unlockItem(15);
    std::printf("unlock: %.1f %d %d\n", microsSince(begin) / 1000.0, cardWrites.files,
                cardWrites.flushes);
    std::fflush(stdout);
    std::_Exit(0);
}

struct CardFigures {
    double ms = -1;
    int files = -1;
    int flushes = -1;
};

// Runs this program again as mode ("--one-start" or "--one-win") on a card of cardMs per
// flush, and reads the line that begins with tag.
CardFigures timedChild(const char* self, const char* mode, int cardMs, bool batched,
                       const char* tag, std::string* output = nullptr) {
    CardFigures s;
    std::string text;
    std::vector<std::string> args = {mode, "--card-ms", std::to_string(cardMs)};
    if (!batched) args.push_back("--unbatched");
    bool done = runChild(self, args, text);
    if (output) *output = text;
    std::string key = std::string(tag) + ": ";
    const char* line = std::strstr(text.c_str(), key.c_str()); // after what a library printed
    if (line && done) std::sscanf(line + key.size(), "%lf %d %d", &s.ms, &s.files, &s.flushes);
    return s;
}

// A profile of its own under /tmp, so the player's registry is never touched.
std::string makeScratchRegistry() {
    char tmpl[] = "/tmp/vesperalia-bench-XXXXXX";
    if (!mkdtemp(tmpl)) return std::string();
    std::string root = tmpl;
    std::string base = root + "/exp/";
    mkdir(base.c_str(), 0777);
    mkdir((base + "bench").c_str(), 0777);
    if (!writeFileAtomic(base + "activeexp", "bench\n") ||
        !writeFileAtomic(base + "bench/exp.cfg", "name=Bench\nlang=en\n"))
        return std::string();
    return root;
}

int removeEntry(const char* path, const struct stat*, int, struct FTW*) {
    return std::remove(path);
}

void removeScratch(const std::string& root) {
    if (root.rfind("/tmp/vesperalia-bench-", 0) == 0)
        nftw(root.c_str(), removeEntry, 8, FTW_DEPTH | FTW_PHYS);
}

// --- Screens -----------------------------------------------------------------------------

// One thing to time: set puts the game where the call draws a typical frame of the screen
// (and keeps a timed screen from running out), draw is the frame's work.
struct Case {
    const char* name;
    void (*set)();
    void (*draw)();
    std::vector<double> micros;   // desktop time per call, one per round
    std::vector<double> handheld; // estimated handheld ms per call, one per round
    int calls = 1;                // calls per batch
};

SDL_Surface* referenceSource = nullptr;

void referenceBlit() {
    SDL_UpperBlit(referenceSource, nullptr, screenSurface, nullptr);
}

// A 32-bit picture with every pixel different, as a photograph would be.
SDL_Surface* makeReferenceSource() {
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, 320, 240, 32, 0xFF0000, 0xFF00, 0xFF, 0);
    if (!s) return nullptr;
    SDL_LockSurface(s);
    for (int y = 0; y < 240; ++y) {
        Uint32* row = reinterpret_cast<Uint32*>(static_cast<Uint8*>(s->pixels) + y * s->pitch);
        for (int x = 0; x < 320; ++x)
            row[x] = SDL_MapRGB(s->format, static_cast<Uint8>(x * 255 / 319),
                                static_cast<Uint8>(y * 255 / 239), static_cast<Uint8>(x ^ y));
    }
    SDL_UnlockSurface(s);
    return s;
}

void nothing() {}

void setOpening() {
    game.screen = Opening;
    game.revealCell = 45;
    game.revealFramesLeft = 10;
}

void setSearching() {
    game.screen = Searching;
    game.searchCell = 45;
    game.searchFramesLeft = 30;
    game.searchFrameTicks = 3;
}

void setFound() {
    game.screen = Found;
    game.foundFramesLeft = 30;
}

void setMatchEnd() {
    // Half way through the fade, where the loser's images are blended.
    game.screen = MatchEnd;
    game.scorePlayer1 = game.winsNeeded;
    game.endRectPlayer1.x = 80;
    game.endRectPlayer1.y = 80;
    game.endRectPlayer2.x = 20;
    game.endRectPlayer2.y = 140;
    game.endFadeAlpha = 130;
    game.endHoldFrames = 150;
}

// The message stands with its two body lines: the heaviest part of its animation.
void setStandingMessage() {
    if (messageQueue.empty()) return;
    NotifyMessage& m = messageQueue.front();
    m.start = SDL_GetTicks() - m.titleEnd - 1;
}

void drawTitleWithMessage() {
    drawTitleScreen();
    drawNotifier();
}

double timeBatch(Case& c) {
    double begin = threadMicros();
    for (int i = 0; i < c.calls; ++i) {
        c.set();
        c.draw();
    }
    return (threadMicros() - begin) / c.calls;
}

// Enough calls per batch for the batch to last about batchMicros.
void sizeBatch(Case& c) {
    c.calls = 1;
    double once = timeBatch(c);
    once = std::min(once, timeBatch(c));
    c.calls = std::max(1, static_cast<int>(batchMicros / std::max(once, 0.1)));
}

struct Spread {
    double min, median, max;
};

Spread spreadOf(std::vector<double> v) {
    if (v.empty()) return {0, 0, 0};
    std::sort(v.begin(), v.end());
    return {v.front(), v[v.size() / 2], v.back()};
}

// The longest item text of the loaded language, so the message needs both body lines.
int longestTextItem() {
    int best = 1;
    for (int n = 2; n <= 15; ++n)
        if (std::strlen(languageTable.getText(2 * n + 1)) >
            std::strlen(languageTable.getText(2 * best + 1)))
            best = n;
    return best;
}

// --- Start-up and a win on a simulated memory card -----------------------------------------

const int cardDelays[3] = {0, 10, 20}; // ms per flush

// Each way of writing (as before the batches, and batched) on each card: a first start in a
// fresh profile, the later start after it, and a win in a profile of its own.
struct CardRuns {
    CardFigures first[2][3], later[2][3], win[2][3], unlock[2][3];
};

// The run with the median time of several, so that one disturbed run does not decide.
CardFigures medianOf(std::vector<CardFigures> v) {
    v.erase(std::remove_if(v.begin(), v.end(), [](const CardFigures& f) { return f.ms < 0; }),
            v.end());
    if (v.empty()) return CardFigures();
    std::sort(v.begin(), v.end(),
              [](const CardFigures& a, const CardFigures& b) { return a.ms < b.ms; });
    return v[v.size() / 2];
}

// repeats runs of each; the starts in one scratch registry each, the win in another.
CardRuns measureCard(const char* self, int repeats) {
    CardRuns runs;
    for (int batched = 0; batched < 2; ++batched) {
        for (int d = 0; d < 3; ++d) {
            std::vector<CardFigures> first, later, win, unlock;
            for (int r = 0; r < 2 * repeats; ++r) {
                std::string scratch = makeScratchRegistry();
                if (scratch.empty()) continue;
                setenv("VESPERALIA_EXP_BASE", (scratch + "/exp/").c_str(), 1);
                if (r % 2 == 0) {
                    first.push_back(
                        timedChild(self, "--one-start", cardDelays[d], batched, "start"));
                    later.push_back(
                        timedChild(self, "--one-start", cardDelays[d], batched, "start"));
                } else {
                    std::string output;
                    win.push_back(
                        timedChild(self, "--one-win", cardDelays[d], batched, "win", &output));
                    const char* line = std::strstr(output.c_str(), "unlock: ");
                    CardFigures u;
                    if (line) std::sscanf(line + 8, "%lf %d %d", &u.ms, &u.files, &u.flushes);
                    unlock.push_back(u);
                }
                removeScratch(scratch);
            }
            runs.first[batched][d] = medianOf(first);
            runs.later[batched][d] = medianOf(later);
            runs.win[batched][d] = medianOf(win);
            runs.unlock[batched][d] = medianOf(unlock);
        }
    }
    return runs;
}

// One row per way of writing: the flushes, then the ms on each card. Starts divide each
// time by the later start's on the same card; in play the dearer cards show what they add
// to the time without delay.
void printCardRow(const char* what, const CardFigures (&f)[2][3], const CardFigures (*later)[3],
                  bool start) {
    const char* ways[2] = {"before", "after"};
    for (int batched = 0; batched < 2; ++batched) {
        std::printf("%-12s %-7s", what, ways[batched]);
        if (f[batched][0].flushes < 0) {
            std::printf(" could not be measured\n");
            continue;
        }
        std::printf(" %7d", f[batched][0].flushes);
        for (int d = 0; d < 3; ++d) {
            const CardFigures& c = f[batched][d];
            double base = start ? (later ? later[batched][d].ms : -1) : f[batched][0].ms;
            if (c.ms < 0) {
                std::printf(start ? " %9s %7s" : " %9s", "-", "");
            } else if (!start) {
                if (d == 0 || base < 0)
                    std::printf(" %9.1f", c.ms);
                else
                    std::printf(" %+9.1f", c.ms - base);
            } else {
                std::printf(" %9.1f", c.ms);
                if (base > 0)
                    std::printf(" %6.1fx", c.ms / base);
                else
                    std::printf(" %7s", "");
            }
        }
        std::printf("\n");
    }
}

void printCard(const CardRuns& runs) {
    std::printf("Start-up and a win on a simulated memory card: each flush of the file layer "
                "waits 0, 10 or 20 ms.\n"
                "before = every write reaching the card at once, as before the batches; after = "
                "one batch per start, unlock and win.\n"
                "Starts: wall-clock ms to the first presented frame, each in a child process; x "
                "later = / the later start on the same card in this run.\n\n");
    std::printf("%-12s %-7s %7s %9s %7s %9s %7s %9s %7s\n", "start", "writes", "flushes", "0 ms",
                "x later", "10 ms", "x later", "20 ms", "x later");
    printCardRow("first start", runs.first, runs.later, true);
    printCardRow("later start", runs.later, nullptr, true);
    std::printf("\nIn play: ms the card work takes at 0 ms a flush, and what 10 and 20 ms a "
                "flush add to it.\n");
    std::printf("%-12s %-7s %7s %9s %9s %9s\n", "", "writes", "flushes", "0 ms", "10 ms", "20 ms");
    printCardRow("win +2 items", runs.win, nullptr, false);
    printCardRow("one unlock", runs.unlock, nullptr, false);
    std::printf("(win: a 3-0 win to 3 against the computer, unlocking items 1 and 8 and saving "
                "the Results; targets after: first start <= 12 flushes, later start 2, unlock "
                "<= 3, win <= 4)\n\n");
}

} // namespace

int main(int argc, char** argv) {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    if (argc > 1 && std::strcmp(argv[1], "--one-start") == 0) return oneStart(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "--one-win") == 0) return oneWin(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "--present") == 0) return presentationRun(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "--presentation") == 0)
        return presentationSection(argv[0]) ? 0 : 1;

    int rounds = 15;
    if (argc > 2 && std::strcmp(argv[1], "--rounds") == 0) rounds = std::atoi(argv[2]);
    if (rounds < 1 || rounds > 1000) {
        std::fprintf(stderr, "bench: --rounds takes a number from 1 to 1000\n");
        return 1;
    }
    if (!isDirectory("data") || !isDirectory("lang")) {
        std::fprintf(stderr, "bench: no data/ and lang/ here; run it from the checkout\n");
        return 1;
    }
    std::string scratch = makeScratchRegistry();
    if (scratch.empty()) {
        std::fprintf(stderr, "bench: could not make a scratch registry under /tmp\n");
        return 1;
    }
    setenv("VESPERALIA_EXP_BASE", (scratch + "/exp/").c_str(), 1);

    char self[4096];
    ssize_t len = readlink("/proc/self/exe", self, sizeof self - 1);
    self[len > 0 ? len : 0] = 0;
    CardRuns card = measureCard(self, std::min(rounds, 3));
    setenv("VESPERALIA_EXP_BASE", (scratch + "/exp/").c_str(), 1); // the children had their own

    long before = residentKilobytes();
    if (startGame(1, argv) != 0) {
        std::fprintf(stderr, "bench: SDL or the video mode could not be started\n");
        removeScratch(scratch);
        return 1;
    }
    long loaded = residentKilobytes();
    int missing = 0;
    SDL_Surface** all = reinterpret_cast<SDL_Surface**>(&images);
    for (size_t i = 0; i < sizeof images / sizeof(SDL_Surface*); ++i)
        if (!all[i] && i != 11 && i != 25) ++missing; // player[0] and coffin[0] are unused
    if (missing)
        std::printf("warning: %d images did not load (run from the game directory)\n", missing);
    referenceSource = makeReferenceSource();
    if (!referenceSource || !screenSurface) {
        std::fprintf(stderr, "bench: the reference surface could not be made\n");
        removeScratch(scratch);
        return 1;
    }

    // A match under way: some coffins opened, in every state the board can show.
    startMatch();
    for (int i = 0; i < 100; i += 7)
        game.board.cells[i] = static_cast<CellState>(2 + (i / 7) % 5);
    int item = longestTextItem();
    messageQueue.clear();
    notify(item, 10, languageTable.getText(2 * item), languageTable.getText(2 * item + 1));
    drawNotifier(); // starts the message's clock

    Case reference = {"reference blit", nothing, referenceBlit, {}, {}};
    std::vector<Case> screens = {
        {"title", [] { game.screen = Title; }, drawTitleScreen, {}, {}},
        {"board", [] { game.screen = Play; }, drawPlayScreen, {}, {}},
        {"opening", setOpening, drawOpeningScreen, {}, {}},
        {"searching", setSearching, drawSearchingScreen, {}, {}},
        {"found", setFound, drawFoundScreen, {}, {}},
        {"match end", setMatchEnd, drawMatchEndScreen, {}, {}},
        {"title + message", setStandingMessage, drawTitleWithMessage, {}, {}},
    };
    sizeBatch(reference);
    for (Case& c : screens)
        sizeBatch(c);
    // Each screen between two reference batches, so both see the same load.
    for (int r = 0; r < rounds; ++r) {
        for (Case& c : screens) {
            double ref1 = timeBatch(reference);
            double us = timeBatch(c);
            double ref2 = timeBatch(reference);
            double ref = (ref1 + ref2) / 2;
            reference.micros.push_back(ref);
            c.micros.push_back(us);
            c.handheld.push_back(us / ref * handheldReferenceMs);
        }
    }
    // The match end leaves its fade on the images; a last frame of the hold clears it.
    game.endFadeAlpha = 0;
    game.endHoldFrames = 1;
    drawMatchEndScreen();

    Spread ref = spreadOf(reference.micros);
    std::printf("Reference: one 320x240 32-bit to 16-bit blit takes %.1f us here (median of "
                "%zu, %.1f to %.1f),\n"
                "reported at %.1f ms on the handheld. Estimate = desktop time / reference x "
                "%.1f ms; %d rounds.\n\n",
                ref.median, reference.micros.size(), ref.min, ref.max, handheldReferenceMs,
                handheldReferenceMs, rounds);
    std::printf("%-16s %10s   %-35s\n", "screen", "desktop", "handheld estimate, of a 16 ms frame");
    std::printf("%-16s %10s   %7s %7s %7s %9s\n", "", "us median", "min ms", "median", "max ms",
                "share");
    for (Case& c : screens) {
        Spread us = spreadOf(c.micros), hh = spreadOf(c.handheld);
        std::printf("%-16s %10.1f   %7.2f %7.2f %7.2f %8.0f%%\n", c.name, us.median, hh.min,
                    hh.median, hh.max, 100.0 * hh.median / frameBudgetMs);
    }
    std::printf("\n(screens are the draw routines alone: no input, pacing or flip)\n\n");

    printCard(card);
    std::printf("memory before start  %8ld kB\n", before);
    std::printf("memory when loaded   %8ld kB\n", loaded);

    SDL_FreeSurface(referenceSource);
    shutdownNotifier();
    freeImages();
    freeSounds();
    removeScratch(scratch);
    std::fflush(stdout);
    return presentationSection(self) ? 0 : 1;
}
