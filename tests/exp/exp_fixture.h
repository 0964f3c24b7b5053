#pragma once
#include <string>
#include <sys/stat.h>
#include <vector>

#include "exp/file_io.h"
#include "exp/registry.h"
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
