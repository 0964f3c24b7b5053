// vesperalia-profile: makes and inspects exp profiles where the handheld's own
// profile software is missing, in the same formats.
#include <cstdio>
#include <cstring>
#include <string>

#include "exp/profile_tool/commands.h"
#include "app/platform.h"
#include "exp/registry.h"

namespace {

void usage(FILE* out) {
    std::fprintf(out,
                 "usage: vesperalia-profile [--base DIR] COMMAND\n"
                 "  create NAME LANG   make a profile with this display name and language\n"
                 "                     and make it the active one\n"
                 "  use DIR            make the profile in directory DIR the active one\n"
                 "  list               list the profiles; * marks the active one\n"
                 "  show               this game's items, summary and results in the\n"
                 "                     active profile\n"
                 "DIR defaults to %s ($VESPERALIA_EXP_BASE when set)\n",
                 registryBaseDir().c_str());
}

int badUsage(const char* why) {
    std::fprintf(stderr, "vesperalia-profile: %s\n", why);
    usage(stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    std::string base = registryBaseDir(); // as the game finds it
    int i = 1;
    if (i < argc && (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0)) {
        usage(stdout);
        return 0;
    }
    if (i < argc && std::strcmp(argv[i], "--base") == 0) {
        if (i + 1 >= argc || !argv[i + 1][0]) return badUsage("--base needs a directory");
        base = argv[i + 1];
        if (base.back() != '/') base += '/';
        i += 2;
    }
    if (i >= argc) return badUsage("no command given");
    std::string command = argv[i++];
    int rest = argc - i;
    if (command == "create") {
        if (rest != 2) return badUsage("create takes a NAME and a LANG");
        return createProfile(base, argv[i], argv[i + 1]);
    }
    if (command == "use") {
        if (rest != 1) return badUsage("use takes a profile directory");
        return useProfile(base, argv[i]);
    }
    if (command == "list") {
        if (rest != 0) return badUsage("list takes no arguments");
        return listProfiles(base);
    }
    if (command == "show") {
        if (rest != 0) return badUsage("show takes no arguments");
        return showProfile(base);
    }
    return badUsage(("unknown command '" + command + "'").c_str());
}
