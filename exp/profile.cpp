#include <cstdio>
#include <sys/stat.h>

#include "exp/file_io.h"
#include "exp/registry.h"

namespace {

const size_t maxLineLength = 1023;
const size_t maxTitleLine = 99; // with its CR LF

// Reads one line of at most 1023 bytes before its line feed. False at the end of the
// file, and at a longer line, which ends the reading of the file.
bool readConfigLine(FILE* f, std::string& line) {
    line.clear();
    int c;
    bool any = false;
    while ((c = std::fgetc(f)) != EOF) {
        any = true;
        if (c == '\n') return true;
        if (line.size() == maxLineLength) return false;
        line.push_back(static_cast<char>(c));
    }
    return any;
}

void applyConfigLine(std::string line) {
    line = line.substr(0, line.find('\0'));
    size_t eq = line.find('=');
    if (eq == std::string::npos) return; // no setting on this line
    std::string key = line.substr(0, eq);
    std::string value = line.substr(eq + 1);
    while (!value.empty() && static_cast<unsigned char>(value.back()) <= 0x20)
        value.pop_back();
    if (key == "name") {
        registry.profileName = value;
    } else if (key == "lang") {
        registry.selectedLanguage = value;
        registry.loadedLanguage = value; // the descriptions are read later in the opening
    }
}

void makeDirectory(const std::string& path) {
    if (mkdir(path.c_str(), 0777) != 0) {
        // Ignored: the writes that follow then fail silently as well.
    }
}

} // namespace

int readActiveProfile() {
    std::string line;
    if (!readFirstLine(registry.baseDir + "activeexp", line)) return 0;
    // Only a directory of the base itself can be a profile.
    if (line == ".." || line.find('/') != std::string::npos) return 0;
    // Used verbatim: a CR before the line feed stays in the name, and an empty name
    // gives a doubled slash that names the base directory. Both are intended.
    registry.profileDir = registry.baseDir + line + "/";
    return 1;
}

int readProfileConfig() {
    FILE* f = std::fopen((registry.profileDir + "exp.cfg").c_str(), "rb");
    if (!f) return 0;
    std::string line;
    while (readConfigLine(f, line))
        applyConfigLine(line);
    bool ok = !std::ferror(f); // a directory opens but does not read
    std::fclose(f);
    return ok ? 1 : 0;
}

void composeGameDirs() {
    registry.gameDir = registry.profileDir + registry.authorKey + "_" + registry.titleKey + "/";
    // The doubled slash before "saves" is how the device's software names it; kept.
    registry.savesDir = registry.gameDir + "/saves/";
}

void writeTitleFile() {
    std::string path = registry.gameDir + "exp.title";
    if (pathExists(path)) return; // written once, never rewritten
    // Each line fits the 99 bytes the device's software reads.
    std::string title = registry.gameTitle.substr(0, maxTitleLine - 8);
    std::string author = registry.gameAuthor.substr(0, maxTitleLine - 9);
    writeFileAtomic(path, "title=" + title + "\r\n" + "author=" + author + "\r\n");
}

int openRegistry(const char* author, const char* title) {
    registry.messageCallback = nullptr;
    if (!author || !title) return 0;
    registry.gameAuthor = author;
    registry.gameTitle = title;
    registry.authorKey = normaliseName(registry.gameAuthor);
    if (registry.authorKey.empty()) return 0;
    registry.titleKey = normaliseName(registry.gameTitle);
    if (registry.titleKey.empty()) return 0;
    if (!readActiveProfile()) return 0;
    if (!readProfileConfig()) return 0;
    composeGameDirs();
    if (!pathExists(registry.gameDir)) {
        makeDirectory(registry.gameDir);
        makeDirectory(registry.savesDir);
    }
    // A batch cut off after its flush is completed before anything is read.
    setCardJournal(registry.gameDir + ".batch.journal");
    recoverCardBatch(registry.gameDir + ".batch.journal", {registry.gameDir, registry.savesDir});
    writeTitleFile();
    readBaseLanguage();
    loadSummary();
    countOpen();
    saveSummary();
    registry.isOpen = 1;
    if (!loadItems()) return 1; // first run of the game in this profile
    if (!loadDescriptions()) setLanguage(registry.baseLanguage.c_str());
    return 2;
}

void attachNotifier(ExpNotifyFn callback) {
    registry.messageCallback = callback;
    if (registry.profileName.empty() || !callback) return;
    std::string greeting = "Login... " + registry.profileName;
    callback(0, 0, greeting.c_str(), "");
}
