#include "exp/profile_tool/commands.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>
#include <vector>

#include "exp/file_io.h"
#include "exp/profile_tool/file_checks.h"
#include "exp/profile_tool/terminal_text.h"
#include "exp/registry.h"
#include "localisation/language_table.h"

namespace {

const off_t largestGameFile = 1 << 20; // far above anything the game writes

int fail(const ToolContext& ctx, const std::string& message) {
    std::fprintf(ctx.err, "vesperalia-profile: %s\n", message.c_str());
    return ToolFailed;
}

std::string systemError() {
    return std::strerror(errno);
}

// Registry text (Latin-1) as the terminal shows it.
std::string shown(const ToolContext& ctx, const std::string& latin1) {
    return latin1ForTerminal(latin1, ctx.utf8);
}

// A path below the base: the base as the file system names it, the rest registry text.
std::string shownPath(const ToolContext& ctx, const std::string& below) {
    return ctx.base + shown(ctx, below);
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

int makeActive(const ToolContext& ctx, const std::string& dir) {
    if (!writeFileAtomic(ctx.base + "activeexp", dir + "\n"))
        return fail(ctx, "cannot write " + ctx.base + "activeexp: " + systemError());
    return ToolOk;
}

bool safeDirName(const std::string& dir) {
    return !dir.empty() && dir != "." && dir != ".." && dir.find('/') == std::string::npos;
}

// Control characters, line ends included, have no place in a one-line setting; the
// C1 range is known to be control characters only when the terminal's text was decoded.
bool hasControlCharacter(const std::string& latin1, bool decoded) {
    for (char ch : latin1) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c == 0x7F || (decoded && c >= 0x80 && c <= 0x9F)) return true;
    }
    return false;
}

// The language names that files in lang/ carry, as the game found them; sorted, once each.
std::vector<std::string> availableLanguages() {
    std::vector<std::string> names;
    for (const LanguageInfo& info : languageTable.languages)
        if (!info.name.empty()) names.push_back(info.name);
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

std::string joined(const ToolContext& ctx, const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& n : names)
        text += (text.empty() ? "" : ", ") + shown(ctx, n);
    return text;
}

// Reads one of the game's files whole. Absent is not an error; a file that is there but
// cannot be read, or is far larger than anything the game writes, is.
enum class FileState { Absent, Read, Damaged };
FileState readGameFile(const std::string& path, std::string& bytes, std::string& problem) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT) return FileState::Absent;
        problem = "cannot be read: " + systemError();
        return FileState::Damaged;
    }
    if (!S_ISREG(st.st_mode)) {
        problem = "is not a regular file";
        return FileState::Damaged;
    }
    if (st.st_size > largestGameFile) {
        problem = "is " + std::to_string(st.st_size) + " bytes, far more than the game writes";
        return FileState::Damaged;
    }
    if (!readWholeFile(path, bytes)) {
        problem = "cannot be read: " + systemError();
        return FileState::Damaged;
    }
    return FileState::Read;
}

struct Damage {
    std::vector<std::string> lines;
    void note(const ToolContext& ctx, const std::string& below, const std::string& problem) {
        if (!problem.empty()) lines.push_back(shownPath(ctx, below) + ": " + problem);
    }
};

// The win counters and the items they lead to, in the order of the game's rules.
void printProgress(const ToolContext& ctx, const int32_t wins[3]) {
    const char* classes[3] = {"Short", "Medium", "Long"};
    for (int i = 0; i < 3; ++i) {
        int first = 2 + 2 * i, second = first + 1; // items for 10 and for 30 wins
        int goal = wins[i] < 10 ? 10 : 30, item = wins[i] < 10 ? first : second;
        if (wins[i] >= 30) {
            std::fprintf(ctx.out, "  %s-match wins: %d, past 10 and 30 (items %d and %d)\n",
                         classes[i], wins[i], first, second);
            continue;
        }
        const char* title = itemName(item);
        std::string named = title && title[0] ? ", " + shown(ctx, title) : std::string();
        std::fprintf(ctx.out, "  %s-match wins: %d of %d (item %d%s)\n", classes[i], wins[i], goal,
                     item, named.c_str());
    }
}

} // namespace

int createProfile(const ToolContext& ctx, const std::string& nameArg,
                  const std::string& languageArg) {
    std::string name, language, why;
    if (!argumentToLatin1(nameArg, ctx.utf8, name, why))
        return fail(ctx, "the profile name " + why);
    if (!argumentToLatin1(languageArg, ctx.utf8, language, why))
        return fail(ctx, "the language " + why);
    if (name.empty()) return fail(ctx, "the profile name is empty");
    if (hasControlCharacter(name, ctx.utf8))
        return fail(ctx, "the profile name holds a control character or a line end");
    if (name.size() > 1000) return fail(ctx, "the profile name is longer than 1000 characters");
    if (static_cast<unsigned char>(name.back()) == ' ')
        return fail(ctx, "the profile name ends in a blank, which exp.cfg does not keep");
    std::vector<std::string> languages = availableLanguages();
    if (languages.empty())
        return fail(ctx, "no language files in lang/ here; run the tool from the game's "
                         "directory, as the game reads lang/ from there");
    if (std::find(languages.begin(), languages.end(), language) == languages.end())
        return fail(ctx, "no file in lang/ carries the language '" + languageArg +
                             "'; there are: " + joined(ctx, languages));
    if (language.size() > 99 || language.find('/') != std::string::npos ||
        hasControlCharacter(language, ctx.utf8))
        return fail(ctx, "the language '" + languageArg + "' cannot name the registry's files");
    std::string dir = normaliseName(name);
    if (!safeDirName(dir))
        return fail(ctx, "the name '" + nameArg + "' gives no usable directory name");
    std::string active = ctx.base + "activeexp";
    if (pathExists(active) && !readable(active))
        return fail(ctx, "cannot read " + active + "; left as it is");
    std::string profileDir = ctx.base + dir + "/";
    if (pathExists(profileDir + "exp.cfg"))
        return fail(ctx, "a profile exists in " + shownPath(ctx, dir) + "/; 'use " +
                             shown(ctx, dir) + "' makes it active");
    if (!makeDirectories(profileDir))
        return fail(ctx, "cannot create " + shownPath(ctx, dir) + "/: " + systemError());
    if (!writeFileAtomic(profileDir + "exp.cfg", "name=" + name + "\nlang=" + language + "\n"))
        return fail(ctx, "cannot write " + shownPath(ctx, dir) + "/exp.cfg: " + systemError());
    if (makeActive(ctx, dir) != ToolOk) return ToolFailed;
    std::fprintf(ctx.out, "created profile %s (name %s, language %s); it is the active one\n",
                 shown(ctx, dir).c_str(), shown(ctx, name).c_str(), shown(ctx, language).c_str());
    return ToolOk;
}

int useProfile(const ToolContext& ctx, const std::string& dirArg) {
    std::string dir, why;
    if (!argumentToLatin1(dirArg, ctx.utf8, dir, why))
        return fail(ctx, "the profile directory " + why);
    if (!safeDirName(dir)) return fail(ctx, "'" + dirArg + "' is not a profile directory name");
    if (!readable(ctx.base + dir + "/exp.cfg"))
        return fail(ctx, "no readable profile: " + shownPath(ctx, dir) + "/exp.cfg");
    std::string active = ctx.base + "activeexp";
    if (pathExists(active) && !readable(active))
        return fail(ctx, "cannot read " + active + "; left as it is");
    if (makeActive(ctx, dir) != ToolOk) return ToolFailed;
    std::fprintf(ctx.out, "%s is the active profile\n", shown(ctx, dir).c_str());
    return ToolOk;
}

int listProfiles(const ToolContext& ctx) {
    DIR* d = opendir(ctx.base.c_str());
    if (!d)
        return fail(ctx, "cannot read the registry directory " + ctx.base + ": " + systemError());
    std::vector<std::string> dirs;
    while (dirent* entry = readdir(d)) {
        std::string n = entry->d_name;
        if (n != "." && n != ".." && readable(ctx.base + n + "/exp.cfg")) dirs.push_back(n);
    }
    closedir(d);
    std::sort(dirs.begin(), dirs.end());
    std::string active;
    bool hasActive = activeProfile(ctx.base, active);
    if (dirs.empty()) std::fprintf(ctx.out, "no profiles in %s\n", ctx.base.c_str());
    for (const std::string& dir : dirs) {
        std::string name, language;
        readConfig(ctx.base, dir, name, language);
        // Padded by characters: each Latin-1 byte is one column, whatever the encoding.
        std::string padding(dir.size() < 20 ? 20 - dir.size() : 0, ' ');
        std::fprintf(ctx.out, "%c %s%s name %s, language %s\n",
                     hasActive && dir == active ? '*' : ' ', shown(ctx, dir).c_str(),
                     padding.c_str(), shown(ctx, name).c_str(),
                     language.empty() ? "(none)" : shown(ctx, language).c_str());
    }
    if (!hasActive)
        std::fprintf(ctx.out, "no active profile (%sactiveexp missing)\n", ctx.base.c_str());
    return ToolOk;
}

int showProfile(const ToolContext& ctx) {
    std::string dir;
    if (!activeProfile(ctx.base, dir))
        return fail(ctx, "no usable active profile in " + ctx.base + "activeexp");
    std::string name, language;
    if (!readConfig(ctx.base, dir, name, language))
        return fail(ctx, "cannot read " + shownPath(ctx, dir) + "/exp.cfg");
    std::fprintf(ctx.out, "profile %s: name %s, language %s\n", shown(ctx, dir).c_str(),
                 shown(ctx, name).c_str(),
                 language.empty() ? "(none)" : shown(ctx, language).c_str());

    // The opening's read steps only: showing never writes to the registry.
    registry.gameAuthor = gameAuthorText;
    registry.gameTitle = gameTitleText;
    registry.authorKey = normaliseName(registry.gameAuthor);
    registry.titleKey = normaliseName(registry.gameTitle);
    composeGameDirs();
    if (!isDirectory(registry.gameDir)) {
        std::fprintf(ctx.out, "%s has not been played in this profile yet\n", gameTitleText);
        return ToolOk;
    }
    const std::string game = dir + "/" + registry.authorKey + "_" + registry.titleKey + "/";

    // Every file is checked before anything of it is shown: a damaged one reads as garbage.
    Damage damage;
    std::string datBytes, summaryBytes, resultsBytes, problem;
    FileState dat = readGameFile(registry.gameDir + "exp.dat", datBytes, problem);
    if (dat == FileState::Read) problem = itemsProblem(datBytes);
    damage.note(ctx, game + "exp.dat", problem);
    bool itemsSound = dat != FileState::Damaged && problem.empty();
    problem.clear();
    FileState summary = readGameFile(registry.gameDir + "exp.summary", summaryBytes, problem);
    if (summary == FileState::Read && itemsSound)
        problem = summaryProblem(summaryBytes, dat == FileState::Read ? datBytes : "");
    if (summary == FileState::Absent && dat == FileState::Read)
        problem = "is missing, though exp.dat holds items; the game writes both";
    damage.note(ctx, game + "exp.summary", problem);
    problem.clear();
    FileState results = readGameFile(registry.savesDir + "results.dat", resultsBytes, problem);
    if (results == FileState::Read) problem = resultsProblem(resultsBytes);
    damage.note(ctx, game + "saves/results.dat", problem);
    problem.clear();

    readBaseLanguage();
    if (summary == FileState::Read && damage.lines.empty()) loadSummary();
    bool haveItems = dat == FileState::Read && damage.lines.empty() && loadItems();
    if (haveItems) {
        // The same fallback as the opening: the profile's language, else the base language.
        if (!loadDescriptions()) setLanguage(registry.baseLanguage.c_str());
        std::string descBytes;
        std::string path = descriptionPath(registry.loadedLanguage);
        if (!path.empty() && readGameFile(path, descBytes, problem) == FileState::Read)
            problem = descriptionsProblem(descBytes);
        if (!path.empty()) damage.note(ctx, game + path.substr(registry.gameDir.size()), problem);
    }
    if (!damage.lines.empty()) {
        for (const std::string& line : damage.lines)
            fail(ctx, line);
        return ToolFailed;
    }

    if (haveItems) {
        std::fprintf(
            ctx.out, "%s by %s, texts in %s\n", gameTitleText, gameAuthorText,
            registry.descriptions.empty()
                ? "no language (none stored)"
                : shown(ctx, registry.loadedLanguage.empty() ? "default" : registry.loadedLanguage)
                      .c_str());
        for (const ExpItem& item : registry.items) {
            const char* title = itemName(item.id);
            const char* body = itemText(item.id);
            std::fprintf(ctx.out, "  %2d %4d  %-8s  %s%s%s\n", item.id, item.points,
                         item.unlocked ? "unlocked" : "locked",
                         title ? shown(ctx, title).c_str() : "(no text)",
                         body && body[0] ? ": " : "", body ? shown(ctx, body).c_str() : "");
        }
    } else {
        std::fprintf(ctx.out, "%s has no items registered in this profile yet\n", gameTitleText);
    }
    const ExpSummary& s = registry.summary;
    if (summary == FileState::Read)
        std::fprintf(ctx.out,
                     "summary: %d of %d items unlocked, %d of %d points, opened %d time%s\n",
                     s.unlockedCount, s.itemCount, s.earnedPoints, s.totalPoints, s.openCount,
                     s.openCount == 1 ? "" : "s");
    else
        std::fprintf(ctx.out, "summary: none yet; the game writes exp.summary when it opens "
                              "the registry\n");
    int32_t wins[3] = {0, 0, 0};
    if (results == FileState::Read) {
        for (int i = 0; i < 3; ++i)
            wins[i] = getLE32(resultsBytes.data() + 4 * i);
        std::fprintf(ctx.out,
                     "results: %d short, %d medium, %d long match wins against the "
                     "computer\n",
                     wins[0], wins[1], wins[2]);
    } else {
        std::fprintf(ctx.out, "results: none saved yet; the game writes results.dat when it is "
                              "left through its title menu\n");
    }
    printProgress(ctx, wins);
    return ToolOk;
}
