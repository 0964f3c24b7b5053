#pragma once
#include <string>
#include <sys/stat.h>
#include <vector>

#include "exp/file_io.h"
#include "exp/registry.h"
#include "localisation/language_table.h"
#include "notify/notifier.h"
#include "tests/test_support.h"

// A registry in a scratch directory: base "<tmp>/exp/", profile "tester".
struct RegistryDir {
    std::string root = makeTempDir(), base = root + "/exp/";
    RegistryDir() { fresh(); }
    ~RegistryDir() {
        resetRegistry();
        beforeRenameHook = nullptr;
        resetCardSettings();
        removeTree(root);
    }
    void fresh() { // the registry as at program start
        mkdir(base.c_str(), 0777);
        resetRegistry();
        registry.baseDir = base;
    }
    void profile(const std::string& cfg) { // and a fresh registry to open it
        mkdir((base + "tester").c_str(), 0777);
        writeFile(base + "tester/exp.cfg", cfg);
        writeFile(base + "activeexp", "tester\n");
        fresh();
    }
    std::string gameDir() const { return base + "tester/tolvenar_vesperalia/"; }
};

// The messages sent, as "item:points title|body", and the names of the files written.
inline std::vector<std::string> sentMessages, writtenFiles;
inline void recordMessage(int item, int points, const char* title, const char* body) {
    sentMessages.push_back(std::to_string(item) + ":" + std::to_string(points) + " " + title + "|" +
                           body);
}
inline bool recordWrite(const std::string& temp) { // "DIR/.NAME.tmp"
    writtenFiles.push_back(temp.substr(temp.rfind('/') + 2, temp.size() - temp.rfind('/') - 6));
    return true;
}

inline std::string le(std::initializer_list<int32_t> values) {
    std::string s;
    for (int32_t v : values)
        putLE32(s, v);
    return s;
}
inline std::string bmp(int32_t w, int32_t h, const std::string& tag) {
    return "BM" + std::string(16, '\0') + le({w, h}) + std::string(28, '\0') + tag;
}

// The game's working directory: "lang/" with en and de, "data/" with images and icon.
inline std::string gameFiles(const std::string& work) {
    for (const char* d : {"", "/lang", "/data"})
        mkdir((work + d).c_str(), 0777);
    for (const std::string code : {"en", "de"}) {
        std::string f = "@lang " + code + "\r\n@author Tolvenar\r\n@1 Banner " + code + "\r\n";
        for (int n = 1; n <= 15; ++n)
            f += "@" + std::to_string(2 * n) + " " + code + " name " + std::to_string(n) + "\r\n@" +
                 std::to_string(2 * n + 1) + " " + code + " text of item " + std::to_string(n) +
                 "\r\n";
        writeFile(work + (code == "en" ? "/lang/english" : "/lang/deutsch"), f);
    }
    for (int n = 1; n <= 15; ++n)
        writeFile(work + "/data/exp" + (n < 10 ? "0" : "") + std::to_string(n) + ".bmp",
                  bmp(24, 24, "item" + std::to_string(n)));
    writeFile(work + "/data/exp.icon.bmp", bmp(24, 24, "icon"));
    testScreen();
    return work;
}
struct GameWorkDir {
    ScopedChdir cd;
    explicit GameWorkDir(const std::string& root) : cd(gameFiles(root + "/work")) {
        languageTable = LanguageTable(); // found again in this directory
    }
    ~GameWorkDir() {
        shutdownNotifier();
        languageTable = LanguageTable();
    }
};
