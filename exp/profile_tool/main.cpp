// vesperalia-profile: makes and inspects exp profiles where the handheld's own
// profile software is missing, in the same formats.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/platform.h"
#include "exp/profile_tool/commands.h"
#include "exp/profile_tool/terminal_text.h"

namespace {

void usage(FILE* out) {
    std::fprintf(out,
                 "usage: vesperalia-profile [--base DIR] COMMAND\n"
                 "  create NAME LANG   make a profile with this display name and language\n"
                 "                     (a language of a file in lang/ here) and make it the\n"
                 "                     active one\n"
                 "  use PROFILE-DIR    make the profile in this directory the active one\n"
                 "  list               list the profiles; * marks the active one\n"
                 "  show               this game's items, summary, results and progress in\n"
                 "                     the active profile; fails on a damaged file\n"
                 "DIR defaults to %s ($VESPERALIA_EXP_BASE when set)\n"
                 "exit status: 0 done, 1 failed or damaged files, 2 bad arguments\n",
                 registryBaseDir().c_str());
}

int badUsage(const std::string& why) {
    std::fprintf(stderr, "vesperalia-profile: %s\n", why.c_str());
    usage(stderr);
    return ToolUsage;
}

int run(int argc, char** argv, ToolContext& ctx) {
    int i = 1;
    if (i < argc && (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0)) {
        usage(stdout);
        return ToolOk;
    }
    if (i < argc && std::strcmp(argv[i], "--base") == 0) {
        if (i + 1 >= argc || !argv[i + 1][0]) return badUsage("--base needs a directory");
        ctx.base = argv[i + 1];
        if (ctx.base.back() != '/') ctx.base += '/';
        i += 2;
    }
    if (i >= argc) return badUsage("no command given");
    std::string command = argv[i++];
    int rest = argc - i;
    if (command == "create") {
        if (rest != 2) return badUsage("create takes a NAME and a LANG");
        return createProfile(ctx, argv[i], argv[i + 1]);
    }
    if (command == "use") {
        if (rest != 1) return badUsage("use takes a profile directory");
        return useProfile(ctx, argv[i]);
    }
    if (command == "list") {
        if (rest != 0) return badUsage("list takes no arguments");
        return listProfiles(ctx);
    }
    if (command == "show") {
        if (rest != 0) return badUsage("show takes no arguments");
        return showProfile(ctx);
    }
    return badUsage("unknown command '" + command + "'");
}

} // namespace

int main(int argc, char** argv) {
    ToolContext ctx;
    ctx.base = registryBaseDir(); // as the game finds it
    ctx.utf8 = localeSpeaksUtf8();
    int status = run(argc, argv, ctx);
    // What could not be printed was not reported: a full disk or a closed pipe is a failure.
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "vesperalia-profile: cannot write the output: %s\n",
                     std::strerror(errno));
        return ToolFailed;
    }
    return status;
}
