#pragma once
#include <dirent.h>
#include <map>
#include <string>
#include <sys/stat.h>

#include "game/game_state.h"
#include "game/results.h"
#include "tests/exp/exp_fixture.h"

// Everything below a directory, by path relative to it: files with their bytes, directories
// as "name/" with nothing. Temporary files count, so a leftover shows.
typedef std::map<std::string, std::string> CardTree;

inline void collectTree(const std::string& root, const std::string& below, CardTree& tree) {
    DIR* d = opendir((root + below).c_str());
    while (dirent* e = d ? readdir(d) : nullptr) {
        std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        struct stat st;
        if (stat((root + below + name).c_str(), &st) != 0) continue;
        if (S_ISDIR(st.st_mode)) {
            tree[below + name + "/"] = "";
            collectTree(root, below + name + "/", tree);
        } else {
            tree[below + name] = readFile(root + below + name);
        }
    }
    if (d) closedir(d);
}
inline CardTree treeOf(const std::string& root) {
    CardTree tree;
    collectTree(root, "", tree);
    return tree;
}

// A tree as one file: per entry its path, a line feed, its size in decimal, a line feed,
// its bytes and a line feed.
inline std::string packTree(const CardTree& tree) {
    std::string out;
    for (const auto& [path, bytes] : tree)
        out += path + "\n" + std::to_string(bytes.size()) + "\n" + bytes + "\n";
    return out;
}
inline CardTree unpackTree(const std::string& packed) {
    CardTree tree;
    size_t at = 0;
    while (at < packed.size()) {
        size_t nl = packed.find('\n', at), nl2 = packed.find('\n', nl + 1);
        if (nl == std::string::npos || nl2 == std::string::npos) break;
        size_t size = std::stoul(packed.substr(nl + 1, nl2 - nl - 1));
        tree[packed.substr(at, nl - at)] = packed.substr(nl2 + 1, size);
        at = nl2 + 1 + size + 1;
    }
    return tree;
}

// The game's working directory for these cases: exp_fixture's en and de, and fr, whose
// texts hold Latin-1 letters.
struct ThreeLanguageWork : GameWorkDir {
    explicit ThreeLanguageWork(const std::string& root) : GameWorkDir(root) {
        std::string f = "@lang fr\r\n@author Tolvenar\r\n@1 Banni\xE8re\r\n";
        for (int n = 1; n <= 15; ++n)
            f += "@" + std::to_string(2 * n) + " fr nom \xE9l\xE8ve " + std::to_string(n) +
                 "\r\n@" + std::to_string(2 * n + 1) + " fr texte de l'objet " + std::to_string(n) +
                 ", tr\xE8s long pour remplir le champ de cent octets " +
                 "et le d\xE9passer un peu\r\n";
        writeFile("lang/francais", f);
        languageTable = LanguageTable();
    }
};

// The moments of play whose card contents are compared, in the order they run, each
// after the one before it in the same registry: a first start in a fresh profile, a later
// start, an unlock, a win against the computer that unlocks two items with its Results, and
// a second win that changes the Results only.
const char* const cardStages[] = {"first-start", "later-start", "unlock", "win", "second-win"};

// The profile the stages run in, made before the first of them.
inline void cardProfile(RegistryDir& dir) {
    dir.profile("name=Tester\nlang=de\n");
}

// A start is the same call whether or not the game directory exists yet.
inline void runCardStage(RegistryDir& dir, const std::string& stage) {
    if (stage == "first-start" || stage == "later-start") {
        dir.fresh();
        resetGame();
        languageTable.loadLanguage(0);
        registerGame();
        loadResults();
    } else if (stage == "unlock") {
        unlockItem(15);
    } else {
        // A match to 3 won 3-0 unlocks 1 and 8; a match to 2 won 2-1 only counts.
        bool first = stage == "win";
        game.gameMode = 1;
        game.winsNeeded = first ? 3 : 2;
        game.scorePlayer1 = game.winsNeeded;
        game.scorePlayer2 = first ? 0 : 1;
        finishRound();
    }
}

// The tree with the base language's name in "exp.lang" shown as "<language 0>": which
// language a directory lists first depends on the file system.
inline CardTree comparable(CardTree tree) {
    for (auto& [path, bytes] : tree)
        if (path.size() >= 8 && path.compare(path.size() - 8, 8, "exp.lang") == 0 &&
            bytes == languageTable.languageName(0))
            bytes = "<language 0>";
    return tree;
}
