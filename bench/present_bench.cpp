// The cost of putting the frame on a desktop's screen: the game runs in a real X window
// (Xvfb when no display is set) at scales 1, 2, 4 and 8, the title and a board waiting for
// the player, at its own pace as a player runs it, on SDL 1.2 itself and on sdl12-compat,
// the SDL 1.2 layer over SDL2 that most systems ship. Printed per frame: the processor time
// of the game's own thread, and of the whole process, with ratios to that library's scale
// 1 in the same run. The whole process includes, on the layer without a graphics card,
// the software OpenGL's drawing threads that stand in for one.
#include "bench/present_bench.h"

#include <SDL.h>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include "app/frame_loop.h"
#include "app/video_mode.h"
#include "bench/child_run.h"
#include "game/game_state.h"
#include "gfx/present.h"
#include "gfx/sdl_layer.h"

namespace {

const int warmUpFrames = 20;
const int timedFrames = 180;
const int scales[] = {1, 2, 4, 8};
// The layer the test command fetches: Debian 13's, the newest players have.
const char* defaultLayer = "build-sdl/sdl12-compat-1.2.68/lib";

double micros(clockid_t clock) {
    timespec t;
    clock_gettime(clock, &t);
    return t.tv_sec * 1e6 + t.tv_nsec / 1e3;
}

// Per frame, of the game's thread and of the whole process.
struct Cost {
    double thread = -1;
    double process = -1;
};

Cost timeFrames() {
    for (int i = 0; i < warmUpFrames; ++i)
        runFrame(true);
    double thread = micros(CLOCK_THREAD_CPUTIME_ID), process = micros(CLOCK_PROCESS_CPUTIME_ID);
    for (int i = 0; i < timedFrames; ++i)
        runFrame(true);
    return {(micros(CLOCK_THREAD_CPUTIME_ID) - thread) / timedFrames,
            (micros(CLOCK_PROCESS_CPUTIME_ID) - process) / timedFrames};
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
    Cost title; // one title frame
    Cost board; // one frame of a board waiting for the player
    std::string library;
    bool ok() const { return title.thread >= 0 && board.thread >= 0; }
};

// Runs this program again as "--present SCALE" on the X display, on the SDL 1.2 library in
// layer (a folder put first on LD_LIBRARY_PATH), or on the one it was built with.
Figures timedPresentationOnce(const char* self, int scale, const std::string& layer,
                              std::string& output) {
    Figures f;
    const char* old = std::getenv("LD_LIBRARY_PATH");
    std::string kept = old ? old : "";
    if (!layer.empty()) setenv("LD_LIBRARY_PATH", (layer + (old ? ":" + kept : "")).c_str(), 1);
    bool done = runChild(self, {"--present", std::to_string(scale)}, output, "x11");
    if (old)
        setenv("LD_LIBRARY_PATH", kept.c_str(), 1);
    else
        unsetenv("LD_LIBRARY_PATH");
    const char* line = std::strstr(output.c_str(), "present: ");
    char library[64] = "";
    if (line && done &&
        std::sscanf(line, "present: %lf %lf %lf %lf %63s", &f.title.thread, &f.title.process,
                    &f.board.thread, &f.board.process, library) == 5)
        f.library = library;
    else
        f.title.thread = -1;
    return f;
}

// An X server that resets while its last client leaves refuses connections for a moment
// (a display of the player's own may do so): such a run is tried again.
Figures timedPresentation(const char* self, int scale, const std::string& layer) {
    Figures f;
    std::string output;
    for (int attempt = 0; attempt < 3 && !f.ok(); ++attempt)
        f = timedPresentationOnce(self, scale, layer, output);
    if (!f.ok())
        std::fprintf(stderr, "bench: scale %d (%s) failed: %s\n", scale,
                     layer.empty() ? "SDL 1.2" : layer.c_str(), output.c_str());
    return f;
}

// Scale 1 timed first and last; the mean of both is the base of the ratios.
struct Series {
    Figures at[4];
    Figures again;
    Figures base;
    bool ok = false;
};

Series timeSeries(const char* self, const std::string& layer) {
    Series s;
    for (int i = 0; i < 4; ++i)
        s.at[i] = timedPresentation(self, scales[i], layer);
    s.again = timedPresentation(self, 1, layer);
    s.ok = s.again.ok();
    for (const Figures& f : s.at)
        s.ok = s.ok && f.ok();
    if (!s.ok) return s;
    auto mean = [](Cost a, Cost b) {
        return Cost{(a.thread + b.thread) / 2, (a.process + b.process) / 2};
    };
    s.base = s.at[0];
    s.base.title = mean(s.at[0].title, s.again.title);
    s.base.board = mean(s.at[0].board, s.again.board);
    s.at[0] = s.base;
    return s;
}

void printSeries(const Series& s) {
    std::printf("%-30s %5s %9s %6s %9s %6s   %9s %6s %9s %6s\n", "", "scale", "title", "ratio",
                "board", "ratio", "title", "ratio", "board", "ratio");
    for (int i = 0; i < 4; ++i) {
        const Figures& f = s.at[i];
        std::printf("%-30s %5d %9.1f %6.2f %9.1f %6.2f   %9.1f %6.2f %9.1f %6.2f\n",
                    f.library.c_str(), scales[i], f.title.thread,
                    f.title.thread / s.base.title.thread, f.board.thread,
                    f.board.thread / s.base.board.thread, f.title.process,
                    f.title.process / s.base.title.process, f.board.process,
                    f.board.process / s.base.board.process);
    }
}

} // namespace

int presentationRun(int argc, char** argv) {
    if (argc < 3) return 1;
    int scale = std::atoi(argv[2]);
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
    Figures f;
    game.screen = Title;
    f.title = timeFrames();
    startMatch();
    game.screen = Play;
    game.gameMode = 2; // nobody moves: the board waits for the player
    f.board = timeFrames();
    const SDL_version* v = SDL_Linked_Version();
    std::string renderer = layerRendererName();
    std::printf("present: %.3f %.3f %.3f %.3f %s-%d.%d.%d%s%s\n", f.title.thread, f.title.process,
                f.board.thread, f.board.process, sdlIsLayer() ? "sdl12-compat" : "SDL", v->major,
                v->minor, v->patch, renderer.empty() ? "" : ("/" + renderer).c_str(),
                presentation.layerScales ? "*" : "");
    std::fflush(stdout);
    std::_Exit(0);
}

bool presentationSection(const char* self) {
    const char* named = std::getenv("VESPERALIA_BENCH_LAYER");
    std::string layer = named && *named ? named : defaultLayer;
    struct stat st;
    bool haveLayer = stat((layer + "/libSDL-1.2.so.0").c_str(), &st) == 0;
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
    Series own = timeSeries(self, "");
    Series onLayer;
    if (haveLayer) onLayer = timeSeries(self, layer);
    if (xvfb) {
        kill(xvfb, SIGTERM);
        waitpid(xvfb, nullptr, 0);
        unsetenv("DISPLAY");
    }
    if (!own.ok || (haveLayer && !onLayer.ok)) {
        std::fprintf(stderr, "bench: the game did not run in an X window on %s\n", where.c_str());
        return false;
    }
    std::printf("\nPresentation in an X window (%s%s), at the game's pace, %d frames each;\n"
                "processor time per frame in us, of the game's thread (left) and of the whole\n"
                "process (right), with ratios to the same library's scale 1 (the mean of a run\n"
                "first and one last):\n\n",
                where.c_str(), xvfb ? ", Xvfb 3840x2160x24" : "", timedFrames);
    printSeries(own);
    if (haveLayer) {
        printSeries(onLayer);
        std::printf("\nsdl12-compat's scale 1 against SDL 1.2's, game thread: title %.2f, board "
                    "%.2f\n",
                    onLayer.base.title.thread / own.base.title.thread,
                    onLayer.base.board.thread / own.base.board.thread);
    } else {
        std::printf("\n(no sdl12-compat at %s: tools/sdl-layers.sh fetches it, or name another "
                    "folder in VESPERALIA_BENCH_LAYER)\n",
                    layer.c_str());
    }
    std::printf("(* the layer enlarges the 320x240 picture itself, in whole blocks; after the "
                "slash, SDL2's\n"
                "renderer: opengl without a graphics card is Mesa's software one)\n");
    std::printf("(targets on each library: scale 4 at most 1.5x, scale 8 at most 2x of its "
                "scale 1, game thread)\n");
    return true;
}
