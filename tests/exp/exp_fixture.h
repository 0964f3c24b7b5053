#pragma once
#include <cstdio>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "exp/file_io.h"
#include "exp/registry.h"
#include "localisation/language_table.h"
#include "notify/notifier.h"
#include "tests/test_support.h"

// A registry in a scratch directory: base "<tmp>/exp/" with a profile "tester".
struct RegistryDir {
    std::string root;
    std::string base;

    RegistryDir() : root(makeTempDir()), base(root + "/exp/") {
        mkdir(base.c_str(), 0777);
        resetRegistry();
        registry.baseDir = base;
    }
    ~RegistryDir() {
        resetRegistry();
        beforeRenameHook = nullptr;
        removeTree(root);
    }
    void profile(const std::string& cfg, const std::string& dir = "tester") {
        mkdir((base + dir).c_str(), 0777);
        writeFile(base + dir + "/exp.cfg", cfg);
        writeFile(base + "activeexp", dir + "\n");
    }
    std::string gameDir() const { return base + "tester/tolvenar_vesperalia/"; }
};

// What the registry sent to its message callback.
struct SentMessage {
    int item;
    int points;
    std::string title;
    std::string body;
};
inline std::vector<SentMessage> sentMessages;
inline void recordMessage(int item, int points, const char* title, const char* body) {
    sentMessages.push_back({item, points, title ? title : "<null>", body ? body : "<null>"});
}

// Every file the atomic writer renamed into place, by final name.
inline std::vector<std::string> writtenFiles;
inline bool recordWrite(const std::string& temp) {
    size_t slash = temp.rfind('/');
    std::string name = temp.substr(slash + 2);               // drop "/."
    writtenFiles.push_back(name.substr(0, name.size() - 4)); // drop ".tmp"
    return true;
}

inline std::string le32(int32_t v) {
    std::string s;
    putLE32(s, v);
    return s;
}

inline std::string bmp(int32_t width, int32_t height, const std::string& tag) {
    std::string b =
        "BM" + std::string(16, '\0') + le32(width) + le32(height) + std::string(28, '\0');
    return b + tag;
}

inline std::string languageFile(const std::string& code) {
    std::string f = "@lang " + code + "\r\n@author Tolvenar\r\n@1 Banner " + code + "\r\n";
    for (int n = 1; n <= 15; ++n) {
        f += "@" + std::to_string(2 * n) + " " + code + " name " + std::to_string(n) + "\r\n";
        f += "@" + std::to_string(2 * n + 1) + " " + code + " text of item " + std::to_string(n) +
             "\r\n";
    }
    return f;
}

// A game directory of our own: "lang/" with en and de, "data/" with the item images
// and the icon. The language table is rediscovered there and again on leaving.
struct GameWorkDir {
    std::string work;
    std::unique_ptr<ScopedChdir> cd;

    explicit GameWorkDir(const std::string& root) : work(root + "/work") {
        mkdir(work.c_str(), 0777);
        mkdir((work + "/lang").c_str(), 0777);
        mkdir((work + "/data").c_str(), 0777);
        writeFile(work + "/lang/english", languageFile("en"));
        writeFile(work + "/lang/deutsch", languageFile("de"));
        for (int n = 1; n <= 15; ++n) {
            char name[32];
            std::snprintf(name, sizeof name, n <= 9 ? "/data/exp0%i.bmp" : "/data/exp%i.bmp", n);
            writeFile(work + name, bmp(24, 24, "item" + std::to_string(n)));
        }
        writeFile(work + "/data/exp.icon.bmp", bmp(24, 24, "icon"));
        testScreen();
        cd.reset(new ScopedChdir(work));
        languageTable = LanguageTable();
    }
    ~GameWorkDir() {
        shutdownNotifier();
        cd.reset();
        languageTable = LanguageTable();
    }
    std::string image(int n) const {
        char name[32];
        std::snprintf(name, sizeof name, n <= 9 ? "/data/exp0%i.bmp" : "/data/exp%i.bmp", n);
        return readFile(work + name);
    }
};
