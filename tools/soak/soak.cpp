// Plays random matches through the real frame loop, with random keyboard, pad and mouse
// input (several events a frame), and checks the game's rules and the registry's files
// after every frame. Prints "N matches, F frames, V violations"; exits non-zero on any.
//
//   vesperalia_soak [--matches N] [--seed S] [--root CHECKOUT]
//
// The same seed plays the same run again: the input comes from the seed, and the game's
// own random generator is seeded with it after start-up.
#include <SDL.h>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <ftw.h>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "app/frame_loop.h"
#include "app/input.h"
#include "exp/file_io.h"
#include "exp/registry.h"
#include "game/frame_values.h"
#include "game/game_state.h"
#include "game/results.h"

#ifndef SOAK_DEFAULT_ROOT
#define SOAK_DEFAULT_ROOT "."
#endif

namespace {

// ---- Frame bounds ---------------------------------------------------------------------
//
// An opening shows its first animation frame in the frame of the reveal (F), counts down
// in F+1..F+14 and decides in F+15. A searched coffin is then searched in F+16..F+65 and
// the turn passes in F+66; a found target pauses in F+16..F+65 and the round is finished
// in F+65; a jam or an empty coffin passes the turn in F+15. The next turn's first Play
// frame is therefore at most F+67. The computer opens in that frame; for a human the soak
// clicks an openable coffin by the kForceAfter-th Play frame of the turn at the latest.
// So two openings of a match lie at most kOpeningGap frames apart, and a match's first
// opening comes within kForceAfter frames of its start.
constexpr int kForceAfter = 8;
constexpr int kOpeningGap = 66 + kForceAfter;
// The match-end screen fades for 52 frames (alpha 255 in steps of 5 goes below 0) and
// holds for 149 more: it returns to the title 201 frames after the frame that entered it.
constexpr int kMatchEndFrames = 201;
// A match has at most 2 * winsNeeded - 1 rounds. In a round every coffin opens at most
// once, so there are at most 100 openings that open a lid; the jams come on top. A try
// jams with a chance of at most 0.4 (level 5), so 300 jams before 100 lids have opened
// lie more than 20 standard deviations above the mean: never in practice. 400 tries a
// round is thus a bound that a correct game meets, and a stuck one crosses.
constexpr int kTriesPerRound = 400;
long matchFrameBound(int winsNeeded) {
    return long(2 * winsNeeded - 1) * kTriesPerRound * kOpeningGap + kMatchEndFrames;
}

// A frame that does not return (the computer's pick spinning, say) cannot be caught by a
// frame count: an alarm ends the run instead.
constexpr unsigned kFrameSeconds = 30;
// The title is steered to the wanted match in a few dozen frames.
constexpr int kTitleFrames = 2000;
long titleFrames = 0;

// ---- The run's record -----------------------------------------------------------------

unsigned long seedUsed = 0;
long frameNumber = 0;
int matchNumber = 0;
int violations = 0;
std::vector<std::string> described;
std::string scratchRoot;

void alarmHandler(int) {
    // Only async-signal-safe calls here.
    char msg[160] = "soak: a frame did not return within the time limit (hang inside the "
                    "frame); replay with --seed ";
    size_t n = std::strlen(msg);
    char digits[24];
    int d = 0;
    unsigned long s = seedUsed;
    do {
        digits[d++] = char('0' + s % 10);
        s /= 10;
    } while (s && d < 24);
    while (d && n < sizeof msg - 2)
        msg[n++] = digits[--d];
    msg[n++] = '\n';
    ssize_t w = write(2, msg, n);
    static const char kept[] = "soak: the registry is kept in ";
    w = write(2, kept, sizeof kept - 1);
    w = write(2, scratchRoot.c_str(), scratchRoot.size()); // set before the first frame
    w = write(2, "\n", 1);
    (void)w;
    _exit(3);
}

// One report per kind of fault and match, so a broken state is not counted every frame.
std::vector<std::string> reportedThisMatch;
void violation(const std::string& kind, const std::string& detail) {
    for (const std::string& k : reportedThisMatch)
        if (k == kind) return;
    reportedThisMatch.push_back(kind);
    ++violations;
    if (described.size() < 8)
        described.push_back("frame " + std::to_string(frameNumber) + ", match " +
                            std::to_string(matchNumber) + ": " + detail);
}

// ---- Scratch registry -----------------------------------------------------------------

bool writeText(const std::string& path, const std::string& text) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && ok;
}

int removeEntry(const char* path, const struct stat*, int, struct FTW*) {
    return std::remove(path);
}

void removeScratch() {
    if (scratchRoot.rfind("/tmp/vesperalia-soak-", 0) == 0)
        nftw(scratchRoot.c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
}

// A base with one profile, made as the device's profile software makes it.
std::string makeRegistryBase(const char* language) {
    char tmpl[] = "/tmp/vesperalia-soak-XXXXXX";
    if (!mkdtemp(tmpl)) return "";
    scratchRoot = tmpl;
    std::string base = scratchRoot + "/exp/";
    if (mkdir(base.c_str(), 0777) != 0 || mkdir((base + "soak").c_str(), 0777) != 0) return "";
    if (!writeText(base + "activeexp", "soak\n")) return "";
    if (!writeText(base + "soak/exp.cfg", std::string("name=Soak\nlang=") + language + "\n"))
        return "";
    return base;
}

// ---- Input ----------------------------------------------------------------------------

std::mt19937 rng;
int below(int n) {
    return int(rng() % unsigned(n));
}
bool chance(double p) {
    return std::uniform_real_distribution<double>(0.0, 1.0)(rng) < p;
}

int pushed = 0; // events of the current frame
void push(SDL_Event& e) {
    if (pushed >= 100) return; // the queue holds 127
    if (SDL_PushEvent(&e) == 0) ++pushed;
}

void key(SDLKey sym, bool down) {
    SDL_Event e = {};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = sym;
    push(e);
}

void pad(int button, bool down) {
    SDL_Event e = {};
    e.type = down ? SDL_JOYBUTTONDOWN : SDL_JOYBUTTONUP;
    e.jbutton.button = Uint8(button);
    e.jbutton.state = down ? SDL_PRESSED : SDL_RELEASED;
    push(e);
}

// A release at a window position.
void releaseAt(int wx, int wy, int button = SDL_BUTTON_LEFT) {
    SDL_Event e = {};
    e.type = SDL_MOUSEBUTTONUP;
    e.button.button = Uint8(button);
    e.button.state = SDL_RELEASED;
    e.button.x = Uint16(wx < 0 ? 0 : wx);
    e.button.y = Uint16(wy < 0 ? 0 : wy);
    push(e);
}

int scale() {
    return game.displayScale > 0 ? game.displayScale : 1;
}
int toWindowX(int gx) {
    return game.displayOffsetX + gx * scale() + below(scale());
}
int toWindowY(int gy) {
    return game.displayOffsetY + gy * scale() + below(scale());
}
void clickGame(int gx, int gy) {
    releaseAt(toWindowX(gx), toWindowY(gy));
}

bool inExitRect(int gx, int gy) {
    return gx >= 70 && gx <= 89 && gy >= 190 && gy <= 219;
}
bool onBoard(int gx, int gy) {
    return gx >= 100 && gx <= 299 && gy >= 20 && gy <= 219;
}

// Pad buttons by what they do in the pad layout in use; -1 when the layout has none.
int padButtonFor(PadRole role) {
    int found[20], n = 0;
    for (int b = 0; b < 20; ++b)
        if (padRole(b) == role) found[n++] = b;
    return n ? found[below(n)] : -1;
}

bool openable(int cell) {
    CellState s = cellStateAt(cell);
    return s == Closed || s == Jammed;
}

// An openable coffin: the target now and then, else one the hints leave possible, else any.
int chooseCell() {
    int target = targetIndex();
    if (chance(0.45) && openable(target)) return target;
    int low = -1, high = 100; // what the hints on the board still allow
    for (int c = 0; c < 100; ++c) {
        if (cellStateAt(c) == HintHigher && c > low) low = c;
        if (cellStateAt(c) == HintLower && c < high) high = c;
    }
    std::vector<int> cells;
    bool narrow = chance(0.7);
    for (int c = 0; c < 100; ++c)
        if (openable(c) && (!narrow || (c > low && c < high))) cells.push_back(c);
    if (cells.empty())
        for (int c = 0; c < 100; ++c)
            if (openable(c)) cells.push_back(c);
    return cells.empty() ? below(100) : cells[below(int(cells.size()))];
}

// What the soak expects the screen to be while the frame's events are handled.
struct Prediction {
    int screen;        // Title, Play, or another screen (no game input)
    int selection;     // menuSelection on the title
    int wins;          // winsNeeded
    int cursor;        // the board cursor as cell index
    bool human;        // a human is to move on the Play screen
    bool fresh;        // the board was dealt in this frame: every coffin is closed
    bool opened;       // a human's opening was sent in this frame (only the first counts)
    bool dropped;      // the last screen change of the frame was a drop to the title
    bool started;      // a match was started from the title in this frame
    bool openThenDrop; // a drop was sent after an opening in this frame: it does nothing
};
Prediction predicted;

// The match the title is steering towards, chosen when the title is reached.
int wantMode = 1, wantWins = 3;
void chooseNextMatch() {
    static const int weights[9] = {6, 5, 5, 3, 2, 2, 1, 1, 1}; // short matches are cheap
    int total = 0;
    for (int w : weights)
        total += w;
    int r = below(total);
    wantWins = 1;
    while (r >= weights[wantWins - 1])
        r -= weights[wantWins++ - 1];
    wantMode = chance(0.5) ? 1 : 2;
}

void predictStart() {
    Prediction& p = predicted;
    p.screen = Play;
    p.started = true;
    p.dropped = false;
    p.human = true; // player 1 begins on a fresh board, cursor in the middle
    p.fresh = true;
    p.cursor = 55;
}

void titleActivate() {
    Prediction& p = predicted;
    if (p.selection == 3) return; // never the exit
    int how = below(3);
    int face = padButtonFor(PadFace);
    if (how == 0 && face >= 0) {
        pad(face, true);
        pad(face, false);
    } else {
        key(SDLK_SPACE, true);
        key(SDLK_SPACE, false);
    }
    if (p.selection == 0 || p.selection == 1) predictStart();
}

void titleMove(int dir) { // 0 up, 1 down, 2 left, 3 right
    static const SDLKey keys[4] = {SDLK_UP, SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT};
    static const PadRole roles[4] = {PadUp, PadDown, PadLeft, PadRight};
    int b = padButtonFor(roles[dir]);
    if (b >= 0 && chance(0.4)) {
        pad(b, true);
        pad(b, false);
    } else {
        key(keys[dir], true);
        key(keys[dir], false);
    }
    Prediction& p = predicted;
    if (dir == 0) p.selection = p.selection == 0 ? 3 : p.selection - 1;
    if (dir == 1) p.selection = p.selection == 3 ? 0 : p.selection + 1;
    if (dir == 2 && p.selection == 2) p.wins = p.wins <= 1 ? 9 : p.wins - 1;
    if (dir == 3 && p.selection == 2) p.wins = p.wins >= 9 ? 1 : p.wins + 1;
}

// A left release on the title: the menu items, the arrows, or anywhere but the exit.
void titleClick() {
    Prediction& p = predicted;
    int r = below(5);
    int gx, gy;
    if (r == 0 || r == 1) { // a match item
        gx = 48 + below(60);
        gy = (r == 0 ? 100 : 130) + below(30);
    } else if (r == 2) { // an arrow
        gx = chance(0.5) ? 48 + below(22) : 90 + below(22);
        gy = 160 + below(30);
    } else {
        do {
            gx = below(340) - 10;
            gy = below(260) - 10;
        } while (inExitRect(gx, gy));
    }
    clickGame(gx < 0 ? 0 : gx, gy < 0 ? 0 : gy);
    gx = gx < 0 ? 0 : gx;
    gy = gy < 0 ? 0 : gy;
    if (gx >= 48 && gx <= 107 && gy >= 100 && gy <= 159) {
        p.selection = gy <= 129 ? 0 : 1;
        predictStart();
    } else if (gy >= 160 && gy <= 189 && ((gx >= 48 && gx <= 69) || (gx >= 90 && gx <= 111))) {
        p.selection = 2;
        p.wins = gx <= 69 ? (p.wins <= 1 ? 9 : p.wins - 1) : (p.wins >= 9 ? 1 : p.wins + 1);
    }
}

// One step on the title towards the wanted match.
void titleStep() {
    Prediction& p = predicted;
    if (p.wins != wantWins) {
        if (p.selection != 2) return titleMove(p.selection < 2 ? 1 : 0);
        int up = (wantWins - p.wins + 9) % 9; // presses of right needed
        if (chance(0.3)) {
            clickGame(up <= 4 ? 90 + below(22) : 48 + below(22), 160 + below(30));
            p.wins = up <= 4 ? (p.wins >= 9 ? 1 : p.wins + 1) : (p.wins <= 1 ? 9 : p.wins - 1);
            return;
        }
        return titleMove(up <= 4 ? 3 : 2);
    }
    int item = wantMode == 1 ? 0 : 1;
    if (chance(0.3)) { // straight onto the item
        clickGame(48 + below(60), (item == 0 ? 100 : 130) + below(30));
        p.selection = item;
        predictStart();
        return;
    }
    if (p.selection != item) return titleMove(p.selection > item && p.selection != 3 ? 0 : 1);
    titleActivate();
}

// Input that does nothing to the game's flow on any screen: volume, other keys, releases,
// other mouse buttons, pad buttons without a menu or board meaning.
void noise() {
    switch (below(7)) {
    case 0: {
        static const SDLKey volume[5] = {SDLK_PLUS, SDLK_MINUS, SDLK_EQUALS, SDLK_KP_PLUS,
                                         SDLK_KP_MINUS};
        key(volume[below(5)], true);
        break;
    }
    case 1: {
        static const SDLKey other[8] = {SDLK_a,      SDLK_F2, SDLK_RETURN, SDLK_LCTRL,
                                        SDLK_LSHIFT, SDLK_F1, SDLK_1,      SDLK_TAB};
        SDLKey k = other[below(8)];
        key(k, true);
        key(k, false);
        break;
    }
    case 2: {
        static const SDLKey dirs[4] = {SDLK_UP, SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT};
        key(dirs[below(4)], false);
        break;
    }
    case 3:
        releaseAt(below(340), below(260), 2 + below(4)); // middle, right, wheel
        break;
    case 4: {
        int b = below(20);
        PadRole r = padRole(b);
        if (r == PadNothing || r == PadVolumeUp || r == PadVolumeDown) pad(b, true);
        pad(b, false);
        break;
    }
    case 5: { // a key pressed on the timed screens is not game input either
        if (predicted.screen != Title && predicted.screen != Play) {
            key(chance(0.5) ? SDLK_SPACE : SDLK_UP, true);
            int face = padButtonFor(PadFace);
            if (face >= 0) pad(face, true);
        }
        break;
    }
    default: { // a left release off the board, harmless outside the title
        if (predicted.screen == Title) break;
        int gx = below(100), gy = below(240);
        clickGame(gx, gy);
        break;
    }
    }
}

void drop() {
    int start = padButtonFor(PadStart);
    if (start >= 0 && chance(0.4))
        pad(start, true);
    else
        key(chance(0.5) ? SDLK_RCTRL : SDLK_ESCAPE, true); // Escape gives up like Right Ctrl
    if (predicted.opened) {
        predicted.openThenDrop = true; // the frame belongs to its opening
        return;
    }
    predicted.screen = Title;
    predicted.dropped = true;
}

bool willOpen(int cell) {
    const Prediction& p = predicted;
    return p.human && !p.opened && (p.fresh || openable(cell));
}

// A left release on the Play screen: on the board it moves the cursor and opens, until
// the frame's first opening; after that it does nothing.
void playRelease(int gx, int gy) {
    Prediction& p = predicted;
    clickGame(gx, gy);
    if (!onBoard(gx, gy) || p.opened) return;
    int cell = (gx - 100) / 20 + 10 * ((gy - 20) / 20);
    if (willOpen(cell)) p.opened = true;
    p.cursor = cell;
}

void playClickCell(int cell) {
    playRelease(100 + 20 * (cell % 10) + below(20), 20 + 20 * (cell / 10) + below(20));
}

int pickCell() {
    return predicted.fresh ? below(100) : chooseCell();
}

// Input on the Play screen: directions, openings at the cursor or by a click, clicks
// elsewhere.
void playInput() {
    Prediction& p = predicted;
    int r = below(10);
    if (r < 3) { // a direction, pressed or let go
        static const SDLKey keys[4] = {SDLK_UP, SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT};
        static const PadRole roles[4] = {PadUp, PadDown, PadLeft, PadRight};
        int d = below(4);
        int b = padButtonFor(roles[d]);
        bool down = chance(0.6);
        if (b >= 0 && chance(0.4))
            pad(b, down);
        else
            key(keys[d], down);
    } else if (r < 5) { // open at the cursor
        int face = padButtonFor(PadFace);
        if (face >= 0 && chance(0.4)) {
            pad(face, true);
            pad(face, false);
        } else {
            key(SDLK_SPACE, true);
            key(SDLK_SPACE, false);
        }
        if (willOpen(p.cursor)) p.opened = true;
    } else if (r < 9) { // a click on a coffin
        playClickCell(p.human ? pickCell() : below(100));
    } else { // a release anywhere on the screen
        playRelease(below(320), below(240));
    }
}

int humanWait = 0;     // Play frames of the current human turn without an opening
long dropAtFrame = -1; // the match in progress is given up at this frame, or -1
bool forcedThisFrame = false;

// The events of one frame, pushed before it runs.
void sendInput(long matchFrame) {
    pushed = 0;
    Prediction& p = predicted;
    p = Prediction();
    p.screen = game.screen == Title || game.screen == Play ? game.screen : -1;
    p.selection = game.menuSelection;
    p.wins = game.winsNeeded;
    p.cursor = game.cursorCol + 10 * game.cursorRow;
    bool humanToMove = game.screen == Play && humanTurn();
    p.human = humanToMove;
    forcedThisFrame = false;
    if (humanToMove && humanWait >= kForceAfter - 1) {
        // The turn has waited long enough: one click on an openable coffin, alone.
        playClickCell(chooseCell());
        forcedThisFrame = true;
        return;
    }
    int events = below(10) < 2 ? 0 : 1 + below(below(3) == 0 ? 6 : 3);
    bool wantDrop = dropAtFrame >= 0 && matchFrame >= dropAtFrame && game.screen == Play;
    int dropAt = wantDrop ? below(events + 1) : -1;
    for (int i = 0; i < events || i == dropAt; ++i) {
        if (i == dropAt) {
            if (p.human && p.screen == Play && chance(0.5)) playClickCell(pickCell());
            drop();
            if (p.dropped) dropAtFrame = -1; // else again in a later frame
            continue;
        }
        if (predicted.screen == Title) {
            if (chance(0.7))
                titleStep();
            else if (chance(0.5))
                titleClick();
            else
                noise();
        } else if (predicted.screen == Play) {
            if (chance(0.25))
                noise();
            else
                playInput();
        } else {
            noise();
        }
    }
    // Now and then two openings in one frame, or an opening and a release off the board.
    if (p.human && p.screen == Play && chance(0.06)) {
        playClickCell(pickCell());
        if (chance(0.5))
            playClickCell(pickCell());
        else
            playRelease(below(100), below(240));
    }
}

// ---- Checks ---------------------------------------------------------------------------

std::string le32s(std::initializer_list<int32_t> values) {
    std::string s;
    for (int32_t v : values)
        putLE32(s, v);
    return s;
}

std::vector<std::string> listDir(const std::string& dir) {
    std::vector<std::string> names;
    DIR* d = opendir(dir.c_str());
    if (!d) return names;
    while (dirent* e = readdir(d))
        names.push_back(e->d_name);
    closedir(d);
    return names;
}

bool resultsWritten = false;

void checkRegistry() {
    const ExpRegistry& r = registry;
    std::string bytes;
    if (!readWholeFile(r.gameDir + "exp.dat", bytes))
        violation("exp.dat", "exp.dat cannot be read");
    else {
        std::string expect;
        for (const ExpItem& i : r.items)
            expect += le32s({i.id, i.points, i.flag, i.unlocked});
        if (bytes.size() % 16 != 0)
            violation("exp.dat", "exp.dat is " + std::to_string(bytes.size()) +
                                     " bytes, not a multiple of 16");
        else if (bytes != expect)
            violation("exp.dat", "exp.dat differs from the items in memory");
    }
    if (!readWholeFile(r.gameDir + "exp.summary", bytes))
        violation("summary", "exp.summary cannot be read");
    else {
        const ExpSummary& s = r.summary;
        if (bytes.size() != 20)
            violation("summary", "exp.summary is " + std::to_string(bytes.size()) + " bytes");
        else if (bytes !=
                 le32s({s.unlockedCount, s.itemCount, s.earnedPoints, s.totalPoints, s.openCount}))
            violation("summary", "exp.summary differs from the summary in memory");
    }
    // The counters kept step by step agree with the items.
    int unlocked = 0, earned = 0, total = 0;
    for (const ExpItem& i : r.items) {
        total += i.points;
        if (i.unlocked) {
            ++unlocked;
            earned += i.points;
        }
    }
    const ExpSummary& s = r.summary;
    if (s.itemCount != int(r.items.size()) || s.unlockedCount != unlocked ||
        s.earnedPoints != earned || s.totalPoints != total)
        violation("counters", "the summary counters disagree with the items");
    for (const std::string& dir : {r.profileDir, r.gameDir, r.savesDir}) {
        for (const std::string& name : listDir(dir)) {
            if (name.size() > 5 && name[0] == '.' && name.compare(name.size() - 4, 4, ".tmp") == 0)
                violation("temporary", "temporary file left behind: " + dir + name);
            if (dir == r.gameDir && name.rfind("exp.desc.", 0) == 0) {
                if (!readWholeFile(dir + name, bytes) || bytes.size() % 128 != 0)
                    violation("descriptions", name + " is " + std::to_string(bytes.size()) +
                                                  " bytes, not a multiple of 128");
            }
        }
    }
    // results.dat: absent until the first win against the computer, then the counters.
    if (readWholeFile(resultsPath(), bytes)) {
        if (bytes != le32s({game.shortMatchWins, game.mediumMatchWins, game.longMatchWins}))
            violation("results", "results.dat (" + std::to_string(bytes.size()) +
                                     " bytes) differs from the Results counters");
    } else if (resultsWritten) {
        violation("results", "results.dat is missing after a win against the computer");
    }
}

// The records the registry's files and results.dat are written from.
std::string registryFingerprint() {
    const ExpSummary& s = registry.summary;
    std::string f = le32s({s.unlockedCount, s.itemCount, s.earnedPoints, s.totalPoints, s.openCount,
                           game.shortMatchWins, game.mediumMatchWins, game.longMatchWins});
    for (const ExpItem& i : registry.items)
        f += le32s({i.id, i.points, i.flag, i.unlocked});
    return f;
}
std::string lastFingerprint;

struct Snapshot {
    int screen;
    int target;
    int32_t cells[100];
    int score1, score2;
    int results[3];
    long resultsSum() const { return long(results[0]) + results[1] + results[2]; }
};

Snapshot snapshot() {
    Snapshot s;
    s.screen = game.screen;
    s.target = game.board.target;
    std::memcpy(s.cells, game.board.cells, sizeof s.cells);
    s.score1 = game.scorePlayer1;
    s.score2 = game.scorePlayer2;
    s.results[0] = game.shortMatchWins;
    s.results[1] = game.mediumMatchWins;
    s.results[2] = game.longMatchWins;
    return s;
}

// Cells only leave Closed or Jammed between deals; anything else means a new deal.
bool sameDeal(const Snapshot& a, const Snapshot& b) {
    if (a.target != b.target) return false;
    for (int i = 0; i < 100; ++i) {
        bool wasShut = a.cells[i] == Closed || a.cells[i] == Jammed;
        if (!wasShut && b.cells[i] != a.cells[i]) return false;
        if (b.cells[i] == Closed && a.cells[i] != Closed) return false;
    }
    return true;
}

struct MatchTrack {
    bool inMatch = false;
    long startFrame = 0;
    int wins = 0;
    int mode = 0;
    long lastOpening = 0;    // frame of the latest opening (or of the start)
    long matchEndFrame = -1; // frame that entered the match-end screen
    bool findPending = false;
    long findFrame = 0;
    int computerIdle = 0;
    long stallFrame = -1; // frame of a reported stall, -1 when none
    long maxGap = 0;
};
MatchTrack track;

int matchesEnded = 0, matchesFinished = 0, matchesDropped = 0, pvcMatches = 0;
long openings = 0, finds = 0;

void beginMatch() {
    track.inMatch = true;
    track.startFrame = frameNumber;
    track.lastOpening = frameNumber;
    track.wins = game.winsNeeded;
    track.mode = game.gameMode;
    track.matchEndFrame = -1;
    track.findPending = false;
    track.computerIdle = 0;
    track.stallFrame = -1;
    ++matchNumber;
    if (game.gameMode == 1) ++pvcMatches;
    reportedThisMatch.clear();
    humanWait = 0;
    // One match in ten is given up at some moment of its play.
    dropAtFrame = chance(0.1) ? 1 + below(400) : -1;
}

void endMatch(bool dropped) {
    track.inMatch = false;
    ++matchesEnded;
    if (dropped)
        ++matchesDropped;
    else
        ++matchesFinished;
}

void checkFrame(const Snapshot& before, const Prediction& p, bool forced) {
    Snapshot now = snapshot();
    if (game.quitRequested) {
        violation("quit", "the game asked to quit though the exit was never chosen");
        game.quitRequested = 0;
    }
    if (game.screen < 0 || game.screen > 5)
        violation("screen", "screen " + std::to_string(game.screen) + " outside 0..5");
    if (game.cursorRow < 0 || game.cursorRow > 9 || game.cursorCol < 0 || game.cursorCol > 9)
        violation("cursor", "cursor at row " + std::to_string(game.cursorRow) + ", column " +
                                std::to_string(game.cursorCol));
    if (game.volume < 0 || game.volume > 120)
        violation("volume", "volume " + std::to_string(game.volume));
    if (game.menuSelection < 0 || game.menuSelection > 3 || game.winsNeeded < 1 ||
        game.winsNeeded > 9)
        violation("menu", "menu selection or winning score out of range");
    if (frame.frameRevealResult != Closed || frame.openedThisFrame != 0)
        violation("frame", "the frame's opening was not cleared at its end");

    // The screens the input should have left.
    if (p.dropped && game.screen != Title)
        violation("drop", "the match was given up, but the game went on (screen " +
                              std::to_string(game.screen) + ")");
    if (p.screen == Title && !p.dropped && game.screen != Title)
        violation("title", "the title left without a match being chosen");

    // Match boundaries.
    bool restarted = p.dropped == false && p.started && before.screen != Title;
    if (p.started && game.screen == Title)
        violation("start", "a match was chosen on the title but did not start");
    if (track.inMatch && game.screen == Title) {
        if (track.matchEndFrame < 0) endMatch(true); // given up
        track.inMatch = false;
        chooseNextMatch();
    }
    if (track.inMatch && restarted) { // given up and started again in one frame
        endMatch(true);
        chooseNextMatch();
    }
    bool startedNow = !track.inMatch && game.screen != Title;
    if (startedNow) beginMatch();
    if (!track.inMatch) return;

    // Scores: 0..winsNeeded; a point exactly when the target was opened, to the finder.
    if (game.winsNeeded != track.wins) violation("wins", "the winning score changed in a match");
    if (game.scorePlayer1 < 0 || game.scorePlayer1 > track.wins || game.scorePlayer2 < 0 ||
        game.scorePlayer2 > track.wins)
        violation("score", "score " + std::to_string(game.scorePlayer1) + ":" +
                               std::to_string(game.scorePlayer2) + " outside 0.." +
                               std::to_string(track.wins));
    int target = game.board.target;
    if (target < 0 || target > 99) {
        violation("target", "no target on the board during a match");
        return;
    }
    CellState ts = CellState(game.board.cells[target]);
    if (ts != Closed && ts != Jammed && ts != Target)
        violation("target state", "the target's coffin shows state " + std::to_string(ts));
    bool same = sameDeal(before, now);
    bool found = ts == Target && !(same && before.cells[before.target] == Target);
    int base1 = startedNow || restarted ? 0 : before.score1;
    int base2 = startedNow || restarted ? 0 : before.score2;
    if (found) {
        ++finds;
        base1 += game.currentPlayer == 1;
        base2 += game.currentPlayer == 2;
        track.findPending = true;
        track.findFrame = frameNumber;
    }
    if (game.scorePlayer1 != base1 || game.scorePlayer2 != base2) {
        if (found)
            violation("point", "the target was opened but the score went from " +
                                   std::to_string(before.score1) + ":" +
                                   std::to_string(before.score2) + " to " +
                                   std::to_string(game.scorePlayer1) + ":" +
                                   std::to_string(game.scorePlayer2));
        else
            violation("point", "the score went from " + std::to_string(before.score1) + ":" +
                                   std::to_string(before.score2) + " to " +
                                   std::to_string(game.scorePlayer1) + ":" +
                                   std::to_string(game.scorePlayer2) +
                                   " without the target being opened");
    }
    // A find runs its opening animation and then the Found pause, which ends the round.
    if (track.findPending) {
        if (game.screen == Found || game.screen == MatchEnd ||
            (game.screen == Play && before.screen == Found))
            track.findPending = false;
        else if (game.screen != Opening)
            violation("found", "the target was opened but the round did not end with Found");
    }
    if (game.screen == Found && ts != Target)
        violation("found", "the Found pause without the target opened");

    // Openings and the bounds between them.
    bool opening = game.screen == Opening && game.revealFramesLeft == 14;
    if (opening) {
        ++openings;
        long gap = frameNumber - track.lastOpening;
        if (gap > track.maxGap) track.maxGap = gap;
        track.lastOpening = frameNumber;
    }
    if (forced && !opening)
        violation("forced", "a click on an openable coffin on a human's turn opened nothing");
    if (p.human && p.screen == Play && opening != p.opened)
        violation("opening", p.opened ? "a human's opening was sent but no coffin opened"
                                      : "a coffin opened though no human opening was sent");
    if (game.screen == Play && humanTurn() && !opening)
        ++humanWait;
    else
        humanWait = 0;
    if (game.screen == Play && track.mode == 1 && game.currentPlayer == 2) {
        if (++track.computerIdle > 1)
            violation("computer", "the computer did not move in the first frame of its turn");
    } else {
        track.computerIdle = 0;
    }
    if (game.screen == MatchEnd && track.matchEndFrame < 0) {
        track.matchEndFrame = frameNumber;
        endMatch(false);
        track.inMatch = true; // until it is back on the title
        if (track.mode == 1 && game.scorePlayer1 >= track.wins) resultsWritten = true;
    }
    if (game.screen != MatchEnd && game.screen != Title &&
        frameNumber - track.lastOpening > kOpeningGap) {
        violation("stall", "no opening for " + std::to_string(frameNumber - track.lastOpening) +
                               " frames (at most " + std::to_string(kOpeningGap) + ")");
        dropAtFrame = 0; // give the match up and go on
        if (track.stallFrame < 0) track.stallFrame = frameNumber;
    }
    if (track.matchEndFrame >= 0 && frameNumber - track.matchEndFrame > kMatchEndFrames)
        violation("match end", "the match-end screen did not return to the title in time");

    // The Results grow by one exactly when player 1 wins against the computer.
    bool pvcWin = game.screen == MatchEnd && before.screen != MatchEnd && track.mode == 1 &&
                  game.scorePlayer1 >= track.wins;
    long grown = now.resultsSum() - before.resultsSum();
    int cls = track.wins <= 3 ? 0 : track.wins <= 6 ? 1 : 2;
    if (pvcWin && (grown != 1 || now.results[cls] != before.results[cls] + 1))
        violation("results", "a win against the computer was not counted in its class");
    if (!pvcWin && grown != 0) violation("results", "the Results changed without a win");
    if (pvcWin && !isItemUnlocked(1)) violation("item 1", "a won match did not unlock item 1");
}

int usage() {
    std::fprintf(stderr, "usage: vesperalia_soak [--matches N] [--seed S] [--root CHECKOUT]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    long wanted = 50;
    std::string root = SOAK_DEFAULT_ROOT;
    seedUsed = static_cast<unsigned long>(std::time(nullptr)) ^ (unsigned long)getpid();
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (i + 1 >= argc) return usage();
        char* end = nullptr;
        errno = 0;
        if (a == "--matches") {
            wanted = std::strtol(argv[++i], &end, 10);
            if (errno || *end || wanted < 1) return usage();
        } else if (a == "--seed") {
            seedUsed = std::strtoul(argv[++i], &end, 10);
            if (errno || *end) return usage();
        } else if (a == "--root") {
            root = argv[++i];
        } else {
            return usage();
        }
    }
    seedUsed &= 0xffffffffUL;
    if (chdir(root.c_str()) != 0 || access("data", F_OK) != 0 || access("lang", F_OK) != 0) {
        std::fprintf(stderr, "soak: %s is not a checkout with data/ and lang/\n", root.c_str());
        return 2;
    }
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    rng.seed(static_cast<std::mt19937::result_type>(seedUsed));
    static const char* languages[] = {"en", "es", "de", "fr", "it", "pt", "nl"};
    std::string base = makeRegistryBase(languages[seedUsed % std::size(languages)]);
    if (base.empty()) {
        std::fprintf(stderr, "soak: cannot make a scratch registry under /tmp\n");
        removeScratch();
        return 2;
    }
    setenv("VESPERALIA_EXP_BASE", base.c_str(), 1);
    std::printf("soak: seed %lu, %ld matches\n", seedUsed, wanted);
    std::fflush(stdout);

    char name[] = "vesperalia_soak";
    char* gameArgv[] = {name, nullptr};
    if (startGame(1, gameArgv) != 0) {
        std::fprintf(stderr, "soak: the game did not start (SDL or the video mode)\n");
        removeScratch();
        return 2;
    }
    if (!registry.isOpen) {
        std::fprintf(stderr, "soak: the scratch registry in %s did not open\n", base.c_str());
        removeScratch();
        return 2;
    }
    std::srand(static_cast<unsigned>(seedUsed));
    signal(SIGALRM, alarmHandler);
    chooseNextMatch();

    bool stopped = false;
    while (matchesEnded < wanted || track.inMatch) {
        long matchFrame = track.inMatch ? frameNumber - track.startFrame : 0;
        // A stalled match that cannot even be given up is stuck for good.
        if (track.inMatch && track.stallFrame >= 0 &&
            frameNumber - track.stallFrame > kOpeningGap + kMatchEndFrames) {
            violation("stuck", "the stalled match could not be given up");
            stopped = true;
            break;
        }
        if (track.inMatch && matchFrame > matchFrameBound(track.wins)) {
            violation("bound", "the match did not end within " +
                                   std::to_string(matchFrameBound(track.wins)) + " frames");
            stopped = true;
            break;
        }
        // A title that never starts a match is as stuck as a match that never ends.
        titleFrames = track.inMatch ? 0 : titleFrames + 1;
        if (titleFrames > kTitleFrames) {
            violation("title stuck", "no match started within " + std::to_string(kTitleFrames) +
                                         " frames of the title");
            stopped = true;
            break;
        }
        Snapshot before = snapshot();
        sendInput(matchFrame);
        Prediction p = predicted;
        bool forced = forcedThisFrame;
        ++frameNumber;
        alarm(kFrameSeconds);
        runFrame(false);
        alarm(0);
        checkFrame(before, p, forced);
        // The files change only with the records in memory; a look now and then catches a
        // file changed behind their back.
        std::string state = registryFingerprint();
        if (state != lastFingerprint || frameNumber % 64 == 0) checkRegistry();
        lastFingerprint = state;
    }
    releaseGame();
    checkRegistry();

    std::printf("soak: %d played to the end, %d given up, %d against the computer; %ld "
                "openings, %ld targets found, longest gap between openings %ld frames\n",
                matchesFinished, matchesDropped, pvcMatches, openings, finds, track.maxGap);
    for (const std::string& d : described)
        std::printf("violation: %s\n", d.c_str());
    if (stopped) std::printf("soak: stopped early at a stuck match\n");
    std::printf("%d matches, %ld frames, %d violations\n", matchesEnded, frameNumber, violations);
    if (violations)
        std::printf("soak: replay with --seed %lu; the registry is kept in %s\n", seedUsed,
                    scratchRoot.c_str());
    else
        removeScratch();
    return violations ? 1 : 0;
}
