// The cost of putting the frame on a desktop's screen: the game runs in a real X window
// (Xvfb when no display is set) at scales 1, 2, 4 and 8, the title and a board waiting for
// the player, unpaced, and the processor time of the whole game process per frame is
// compared with scale 1's in the same run. "Before" is the presentation that enlarged the
// whole frame into a 16-bit window every time and left the conversion to the display's
// format to SDL.
#include "bench/present_bench.h"

#include <SDL.h>
#include <csignal>
#include <fcntl.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include "app/frame_loop.h"
#include "app/video_mode.h"
#include "bench/child_run.h"
#include "game/game_state.h"
#include "gfx/present.h"

namespace {

const int warmUpFrames = 20;
const int timedFrames = 120;
const int scales[] = {1, 2, 4, 8};

double processMicros() {
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e6 + t.tv_nsec / 1e3;
}

double timeFrames() {
    for (int i = 0; i < warmUpFrames; ++i)
        runFrame(false);
    double begin = processMicros();
    for (int i = 0; i < timedFrames; ++i)
        runFrame(false);
    return (processMicros() - begin) / timedFrames;
}

// Xvfb on display number; 0 when it did not start (the number may be taken).
pid_t startXvfbOn(int number, std::string& display) {
    int fds[2];
    if (pipe(fds) != 0) return 0;
    std::string name = ":" + std::to_string(number);
    pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        std::string fd = std::to_string(fds[1]);
        int null = open("/dev/null", O_WRONLY);
        if (null >= 0) dup2(null, 2); // its start-up chatter
        // -noreset: a server left without clients resets itself and drops the connections
        // that arrive meanwhile, and SDL connects twice in a row when it starts.
        execlp("Xvfb", "Xvfb", name.c_str(), "-displayfd", fd.c_str(), "-screen", "0",
               "3840x2160x24", "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    char buf[32] = {0};
    size_t got = 0;
    ssize_t n;
    // The number arrives, ending in a newline, once the server takes connections.
    while (got < sizeof buf - 1 && (n = read(fds[0], buf + got, sizeof buf - 1 - got)) > 0) {
        got += static_cast<size_t>(n);
        if (std::strchr(buf, '\n')) break;
    }
    close(fds[0]);
    if (pid < 0) return 0;
    if (!std::strchr(buf, '\n')) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        return 0;
    }
    display = name;
    return pid;
}

// Xvfb on a free display number, away from the low ones other programs pick.
pid_t startXvfb(std::string& display) {
    int first = 200 + static_cast<int>(getpid() % 500);
    for (int n = first; n < first + 20; ++n)
        if (pid_t pid = startXvfbOn(n, display)) return pid;
    return 0;
}

struct Figures {
    double title = -1; // microseconds of process time per title frame
    double board = -1; // per frame of a board waiting for the player
};

// Runs this program again as "--present SCALE new|before" on the X display.
Figures timedPresentationOnce(const char* self, int scale, bool before, std::string& output) {
    Figures f;
    bool done = runChild(self, {"--present", std::to_string(scale), before ? "before" : "new"},
                         output, "x11");
    const char* line = std::strstr(output.c_str(), "present: ");
    if (line && done) std::sscanf(line, "present: %lf %lf", &f.title, &f.board);
    return f;
}

// An X server that resets while its last client leaves refuses connections for a moment
// (a display of the player's own may do so): such a run is tried again.
Figures timedPresentation(const char* self, int scale, bool before) {
    Figures f;
    std::string output;
    for (int attempt = 0; attempt < 3 && f.title < 0; ++attempt)
        f = timedPresentationOnce(self, scale, before, output);
    if (f.title < 0)
        std::fprintf(stderr, "bench: scale %d (%s) failed: %s\n", scale, before ? "before" : "now",
                     output.c_str());
    return f;
}

void printRow(const char* name, int scale, const Figures& f, const Figures& base) {
    std::printf("%-8s %5d %10.1f %7.2f %10.1f %7.2f\n", name, scale, f.title, f.title / base.title,
                f.board, f.board / base.board);
}

} // namespace

int presentationRun(int argc, char** argv) {
    if (argc < 4) return 1;
    int scale = std::atoi(argv[2]);
    bool before = std::strcmp(argv[3], "before") == 0;
    // No registry: no greeting crosses the picture while it is timed.
    setenv("VESPERALIA_EXP_BASE", "/nonexistent/vesperalia-bench/exp/", 1);
    std::string s = std::to_string(scale);
    char name[] = "vesperalia";
    char option[] = "-scale";
    char* args[] = {name, option, &s[0], nullptr};
    if (startGame(3, args) != 0) {
        std::fprintf(stderr, "bench: %s\n", SDL_GetError());
        return 1;
    }
    if (before && scale > 1) {
        DisplayPlan plan = windowPlan(scale);
        plan.depth = 16;
        presentation.wholeFrames = 1;
        if (!openDisplay(plan)) return 1;
    }
    Figures f;
    game.screen = Title;
    f.title = timeFrames();
    startMatch();
    game.screen = Play;
    game.gameMode = 2; // nobody moves: the board waits for the player
    f.board = timeFrames();
    std::printf("present: %.3f %.3f\n", f.title, f.board);
    std::fflush(stdout);
    std::_Exit(0);
}

bool presentationSection(const char* self) {
    pid_t xvfb = 0;
    const char* display = std::getenv("DISPLAY");
    std::string where = display && *display ? display : "";
    if (where.empty()) {
        xvfb = startXvfb(where);
        if (!xvfb) {
            std::fprintf(stderr, "bench: no DISPLAY and Xvfb would not start (install xvfb, "
                                 "tools/install-deps.sh does)\n");
            return false;
        }
        setenv("DISPLAY", where.c_str(), 1);
    }
    Figures now[4], old[4];
    for (int i = 0; i < 4; ++i)
        now[i] = timedPresentation(self, scales[i], false);
    for (int i = 1; i < 4; ++i)
        old[i] = timedPresentation(self, scales[i], true);
    Figures again = timedPresentation(self, 1, false);
    if (xvfb) {
        kill(xvfb, SIGTERM);
        waitpid(xvfb, nullptr, 0);
        unsetenv("DISPLAY");
    }
    bool all = again.title > 0;
    for (int i = 0; i < 4; ++i)
        all = all && now[i].title > 0 && (i == 0 || old[i].title > 0);
    if (!all) {
        std::fprintf(stderr, "bench: the game did not run in an X window on %s\n", where.c_str());
        return false;
    }
    // Scale 1 is the same in both: one flip of the game's own surface. Timed first and last.
    Figures base = {(now[0].title + again.title) / 2, (now[0].board + again.board) / 2};
    old[0] = base;
    std::printf("\nPresentation in an X window (%s%s), game process time per frame, %d "
                "frames each, unpaced;\nratio to scale 1 (its mean of two runs: %.1f and "
                "%.1f us title, %.1f and %.1f us board):\n\n",
                where.c_str(), xvfb ? ", Xvfb 3840x2160x24" : "", timedFrames, now[0].title,
                again.title, now[0].board, again.board);
    std::printf("%-8s %5s %10s %7s %10s %7s\n", "", "scale", "title us", "ratio", "board us",
                "ratio");
    for (int i = 0; i < 4; ++i)
        printRow("now", scales[i], i == 0 ? base : now[i], base);
    for (int i = 0; i < 4; ++i)
        printRow("before", scales[i], old[i], base);
    return true;
}
