#include "exp/profile_tool/commands.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>
#include <vector>

#include "exp/file_io.h"
#include "exp/registry.h"
#include "game/game_state.h"
#include "game/results.h"

namespace {

int fail(const std::string& message) {
    std::fprintf(stderr, "vesperalia-profile: %s\n", message.c_str());
    return 1;
}

std::string systemError() {
    return std::strerror(errno);
}

bool readable(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    std::fclose(f);
    return true;
}

bool isDirectory(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// mkdir -p: every missing directory along the path.
bool makeDirectories(const std::string& path) {
    for (size_t at = 1; at <= path.size(); ++at) {
        if (at < path.size() && path[at] != '/') continue;
        std::string part = path.substr(0, at);
        if (isDirectory(part)) continue;
        if (mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) return false;
    }
    return true;
}

// The registry's own reader, so the tool sees a profile exactly as the game does.
bool readConfig(const std::string& base, const std::string& dir, std::string& name,
                std::string& language) {
    resetRegistry();
    registry.baseDir = base;
    registry.profileDir = base + dir + "/";
    if (!readProfileConfig()) return false;
    name = registry.profileName;
    language = registry.selectedLanguage;
    return true;
}

// The active profile's directory name; false when "activeexp" is missing or unusable.
bool activeProfile(const std::string& base, std::string& dir) {
    resetRegistry();
    registry.baseDir = base;
    if (!readActiveProfile()) return false;
    dir = registry.profileDir.substr(base.size(), registry.profileDir.size() - base.size() - 1);
    return true;
}

int makeActive(const std::string& base, const std::string& dir) {
    if (!writeFileAtomic(base + "activeexp", dir + "\n"))
        return fail("cannot write " + base + "activeexp: " + systemError());
    return 0;
}

bool safeDirName(const std::string& dir) {
    return !dir.empty() && dir != "." && dir != ".." && dir.find('/') == std::string::npos;
}

} // namespace

int createProfile(const std::string& base, const std::string& name, const std::string& language) {
    if (name.empty()) return fail("the profile name is empty");
    if (name.find_first_of("\r\n") != std::string::npos || name.size() > 1000)
        return fail("the profile name must be one line of at most 1000 bytes");
    if (language.find_first_of("/\r\n") != std::string::npos || language.size() > 99)
        return fail("the language must be at most 99 bytes, without '/' or line ends");
    std::string dir = normaliseName(name);
    if (!safeDirName(dir)) return fail("the name '" + name + "' gives no usable directory name");
    std::string active = base + "activeexp";
    if (pathExists(active) && !readable(active))
        return fail("cannot read " + active + "; left as it is");
    std::string profileDir = base + dir + "/";
    if (pathExists(profileDir + "exp.cfg"))
        return fail("a profile exists in " + profileDir + "; 'use " + dir + "' makes it active");
    if (!makeDirectories(profileDir))
        return fail("cannot create " + profileDir + ": " + systemError());
    if (!writeFileAtomic(profileDir + "exp.cfg", "name=" + name + "\nlang=" + language + "\n"))
        return fail("cannot write " + profileDir + "exp.cfg: " + systemError());
    if (makeActive(base, dir) != 0) return 1;
    std::printf("created profile %s (name %s, language %s); it is the active one\n", dir.c_str(),
                name.c_str(), language.c_str());
    return 0;
}

int useProfile(const std::string& base, const std::string& dir) {
    if (!safeDirName(dir)) return fail("'" + dir + "' is not a profile directory name");
    std::string cfg = base + dir + "/exp.cfg";
    if (!readable(cfg)) return fail("no readable profile: " + cfg);
    std::string active = base + "activeexp";
    if (pathExists(active) && !readable(active))
        return fail("cannot read " + active + "; left as it is");
    if (makeActive(base, dir) != 0) return 1;
    std::printf("%s is the active profile\n", dir.c_str());
    return 0;
}

int listProfiles(const std::string& base) {
    DIR* d = opendir(base.c_str());
    if (!d) return fail("cannot read the registry directory " + base + ": " + systemError());
    std::vector<std::string> dirs;
    while (dirent* entry = readdir(d)) {
        std::string n = entry->d_name;
        if (n != "." && n != ".." && readable(base + n + "/exp.cfg")) dirs.push_back(n);
    }
    closedir(d);
    std::sort(dirs.begin(), dirs.end());
    std::string active;
    bool hasActive = activeProfile(base, active);
    if (dirs.empty()) std::printf("no profiles in %s\n", base.c_str());
    for (const std::string& dir : dirs) {
        std::string name, language;
        readConfig(base, dir, name, language);
        std::printf("%c %-20s name %s, language %s\n", hasActive && dir == active ? '*' : ' ',
                    dir.c_str(), name.c_str(), language.empty() ? "(none)" : language.c_str());
    }
    if (!hasActive) std::printf("no active profile (%sactiveexp missing)\n", base.c_str());
    return 0;
}

int showProfile(const std::string& base) {
    std::string dir;
    if (!activeProfile(base, dir)) return fail("no usable active profile in " + base + "activeexp");
    std::string name, language;
    if (!readConfig(base, dir, name, language))
        return fail("cannot read " + base + dir + "/exp.cfg");
    std::printf("profile %s: name %s, language %s\n", dir.c_str(), name.c_str(),
                language.empty() ? "(none)" : language.c_str());

    // The opening's read steps only: showing never writes to the registry.
    registry.gameAuthor = gameAuthorText;
    registry.gameTitle = gameTitleText;
    registry.authorKey = normaliseName(registry.gameAuthor);
    registry.titleKey = normaliseName(registry.gameTitle);
    composeGameDirs();
    if (!isDirectory(registry.gameDir)) {
        std::printf("%s has not been played in this profile yet\n", gameTitleText);
        return 0;
    }
    readBaseLanguage();
    bool haveSummary = loadSummary();
    if (!loadItems()) {
        std::printf("%s has no items registered in this profile yet\n", gameTitleText);
        return 0;
    }
    if (!loadDescriptions()) setLanguage(registry.baseLanguage.c_str());
    std::printf("%s by %s, texts in %s\n", gameTitleText, gameAuthorText,
                registry.loadedLanguage.empty() ? "default" : registry.loadedLanguage.c_str());
    for (const ExpItem& item : registry.items) {
        const char* itemTitle = itemName(item.id);
        const char* body = itemText(item.id);
        std::printf("  %2d %4d  %-8s  %s%s%s\n", item.id, item.points,
                    item.unlocked ? "unlocked" : "locked", itemTitle ? itemTitle : "(no text)",
                    body && body[0] ? ": " : "", body ? body : "");
    }
    const ExpSummary& s = registry.summary;
    if (haveSummary)
        std::printf("summary: %d of %d items unlocked, %d of %d points, opened %d times\n",
                    s.unlockedCount, s.itemCount, s.earnedPoints, s.totalPoints, s.openCount);
    else
        std::printf("summary: no exp.summary\n");
    resetGameState();
    if (loadResults())
        std::printf("results: %d short, %d medium, %d long match wins against the computer\n",
                    game.shortMatchWins, game.mediumMatchWins, game.longMatchWins);
    else
        std::printf("results: no wins against the computer saved yet\n");
    return 0;
}
