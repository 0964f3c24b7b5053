#include <algorithm>
#include <dirent.h>
#include <gtest/gtest.h>
#include <map>

#include "game/game_state.h"
#include "game/results.h"
#include "tests/exp/exp_fixture.h"

// Every file of the game directory and the profile's marker, by name, with its bytes.
static std::map<std::string, std::string> snapshot(const RegistryDir& dir) {
    std::map<std::string, std::string> files;
    DIR* d = opendir(dir.gameDir().c_str());
    while (dirent* e = d ? readdir(d) : nullptr)
        if (e->d_name[0] != '.' && std::string(e->d_name) != "saves")
            files[e->d_name] = readFile(dir.gameDir() + e->d_name);
    if (d) closedir(d);
    files["update"] = readFile(dir.base + "tester/update");
    return files;
}

// One start of the game against the same registry; the names of the files it wrote.
static std::vector<std::string> start(RegistryDir& dir) {
    dir.fresh();
    resetCardWrites();
    writtenFiles.clear();
    beforeRenameHook = recordWrite;
    registerGame();
    beforeRenameHook = nullptr;
    std::sort(writtenFiles.begin(), writtenFiles.end());
    return writtenFiles;
}

TEST(ExpWriteSkip, LaterStartsWriteOnlyWhatChanged) {
    RegistryDir dir;
    GameWorkDir work(dir.root);
    dir.profile("name=Tester\nlang=de\n");
    std::vector<std::string> first = start(dir);
    for (const char* name : {"001", "015", "exp.icon", "exp.dat", "exp.desc.de", "exp.title"})
        EXPECT_TRUE(std::count(first.begin(), first.end(), name)) << name;
    EXPECT_EQ(cardWrites.files, int(first.size()));
    // One batch: the file system once (or each file, the journal and its directory where it
    // cannot be flushed whole), then the game directory.
    const int batchFlushes[2] = {2, cardWrites.files + 3};
    EXPECT_TRUE(cardWrites.flushes == batchFlushes[0] || cardWrites.flushes == batchFlushes[1])
        << cardWrites.flushes;

    // Same registry, same data: only the summary, whose open count grows.
    auto before = snapshot(dir);
    EXPECT_EQ(start(dir), std::vector<std::string>{"exp.summary"});
    EXPECT_EQ(cardWrites.files, 1);
    EXPECT_EQ(cardWrites.flushes, 2);
    auto after = snapshot(dir);
    EXPECT_EQ(after["exp.summary"], le({0, 15, 0, 500, 2}));
    before.erase("exp.summary"), after.erase("exp.summary");
    EXPECT_EQ(after, before); // every other file byte for byte as it was

    // A changed source, and copies that an interruption or damage left shorter, longer
    // or with other bytes of the same length, are written again; a leftover temporary goes.
    const std::string g = dir.gameDir();
    writeFile("data/exp05.bmp", bmp(24, 24, "item5, redrawn"));
    writeFile(g + "007", before["007"].substr(0, 30));
    writeFile(g + "008", before["008"] + "x");
    std::string icon = before["exp.icon"];
    icon.back() ^= 1;
    writeFile(g + "exp.icon", icon);
    writeFile(g + ".009.tmp", "half");
    EXPECT_EQ(start(dir),
              (std::vector<std::string>{"005", "007", "008", "exp.icon", "exp.summary"}));
    EXPECT_TRUE(cardWrites.flushes == 2 || cardWrites.flushes == 5 + 3) << cardWrites.flushes;
    EXPECT_EQ(readFile(g + "005"), bmp(24, 24, "item5, redrawn"));
    for (const char* name : {"007", "008", "exp.icon"})
        EXPECT_EQ(readFile(g + name), before[name]) << name;
    EXPECT_FALSE(pathExists(g + ".009.tmp"));

    // The Results: saved again unchanged, nothing reaches the card; a new win does.
    resetGameState();
    game.mediumMatchWins = 3;
    for (int save : {1, 2, 3}) {
        if (save == 3) game.mediumMatchWins = 4;
        resetCardWrites();
        saveResults();
        EXPECT_EQ(cardWrites.files, save == 2 ? 0 : 1) << "save " << save;
    }
    EXPECT_EQ(readFile(g + "/saves/results.dat"), le({0, 4, 0}));
    resetGameState();
}
