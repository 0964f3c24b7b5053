#include <gtest/gtest.h>

#include "game/game_state.h"
#include "game/results.h"
#include "tests/exp/exp_fixture.h"

const std::string missing("\0missing", 8), asDir("\0dir", 4);
static void put(const std::string& path, const std::string& bytes) {
    std::remove(path.c_str());
    if (bytes == asDir)
        mkdir(path.c_str(), 0777);
    else if (bytes != missing)
        writeFile(path, bytes);
}
static int reopen(RegistryDir& dir, const std::string& cfg = "name=Tester\nlang=en\n") {
    dir.profile(cfg);
    return openRegistry("Tolvenar", "Vesperalia");
}

// What a reader made of its file: Results (the long one preset to 7), texts, or the bytes.
static std::string readBack(const std::string& file, const std::string& path) {
    game.longMatchWins = 7;
    std::string s = file != "saves/results.dat" ? "" : loadResults() ? "read " : "none ";
    if (!s.empty()) return s + le({game.shortMatchWins, game.mediumMatchWins, game.longMatchWins});
    if (file == "exp.dat" && !registry.items.empty()) unlockItem(registry.items[0].id);
    if (file == "exp.dat") saveItems();
    if (file != "exp.desc.en") return readFile(path);
    loadDescriptions();
    for (const ExpDescription& d : registry.descriptions)
        s += std::string(itemName(d.id)) + "|" + itemText(d.id) + ";";
    return s;
}

TEST(ExpOpen, ActiveLineAndConfigAreReadAsTheDeviceDoesAndStayInside) {
    RegistryDir dir;
    EXPECT_EQ(openRegistry(nullptr, "Vesperalia") + openRegistry("Tolvenar", " \t"), 0);
    auto check = [&](const std::string& active, const std::string& profile, const std::string& cfg,
                     const std::string& read) { // read: "name|language", empty when refused
        dir.fresh();
        const std::string profileDir = dir.base + profile + "/";
        mkdir(profileDir.c_str(), 0777);
        put(profileDir + "exp.cfg", cfg);
        put(dir.base + "activeexp", active);
        EXPECT_EQ(openRegistry("Tolvenar", "Vesperalia"), read.empty() ? 0 : 1) << active << cfg;
        EXPECT_EQ(pathExists(profileDir + "tolvenar_vesperalia/exp.summary") + !!savesDirectory(),
                  read.empty() ? 0 : 2);
        if (read.empty()) return;
        EXPECT_EQ(registry.profileName + "|" + registry.selectedLanguage, read);
        EXPECT_EQ(savesDirectory(), profileDir + "tolvenar_vesperalia//saves/");
    };
    const std::string x = "name=X\n", n1018(1018, 'n'), x1024(1024, 'x'),
                      failing[][2] = {{missing, x},   {asDir, x},    {"t\n", missing},
                                      {"t\n", asDir}, {"..\n", x},   {"../exp\n", x},
                                      {"a/b\n", x},   {"/tmp\n", x}, {std::string(3000, 't'), x}};
    for (const auto& c : failing)
        check(c[0], "t", c[1], "");
    EXPECT_EQ(registry.profileDir, dir.base + std::string(1023, 't') + "/"); // the line is cut
    check("guest\r\nsecond line\n", "guest\r", "name=Guest\n", "Guest|");
    check("", "", "name=Base\nlang=de", "Base|de"); // the base directory itself
    check("t\n", "t", "name=G  \r\nName=C\nname =S\nno equals\n\nlang=es\nlang=fr\r\n", "G|fr");
    check("t\n", "t", "name=  a=b\nlang=de\n" + x1024 + "\nname=Late\n", "  a=b|de");
    check("t\n", "t", "name=" + n1018 + "\nlang=it", n1018 + "|it");
}

TEST(ExpReaders, DamagedFilesNeitherCrashNorReadPastTheirEnd) {
    RegistryDir dir;
    reopen(dir);
    const std::string two = le({3, 50, 0, 1, 7, 10, 1, 0}), ff(20, '\xFF');
    // No stray 33rd byte once saved; a record without a NUL is cut, 72 extra bytes ignored.
    const std::string cases[][3] = {
        {"exp.dat", two + "Z", two},
        {"exp.dat", "", ""},
        {"exp.dat", le({5, 0x7FFFFFFF, 0, 0}), le({5, 0x7FFFFFFF, 0, 1})},
        {"exp.summary", le({4, 9}), le({4, 9, 0, 0, 1})},
        {"exp.summary", "", le({0, 0, 0, 0, 1})},
        {"exp.summary", ff + std::string(100, 'g'), le({-1, -1, -1, -1, 0})},
        {"exp.desc.en", le({4}) + std::string(196, '\0'),
         ff + "|" + std::string(100, '\xFF') + ";"},
        {"exp.desc.en", std::string(127, 'g'), ""},
        {"saves/results.dat", missing, "none " + le({0, 0, 7})},
        {"saves/results.dat", le({9}) + "\x05", "read " + le({9, 0, 7})},
        {"saves/results.dat", le({1, 2, -3}) + std::string(50, '\xAA'), "read " + le({1, 2, -3})}};
    for (const auto& c : cases) {
        resetGameState();
        put(dir.gameDir() + c[0], c[1]);
        ASSERT_NE(reopen(dir), 0);
        EXPECT_EQ(readBack(c[0], dir.gameDir() + c[0]), c[2]) << c[0] << " of " << c[1].size();
    }
    resetGameState();
}

TEST(ExpItems, DescriptionsItemsAndTitlesStayWithinTheirFieldsAndBudget) {
    EXPECT_EQ(normaliseName("My\tGame 2\r\xC4") + normaliseName("   "), "mygame2\xC4");
    RegistryDir dir;
    dir.profile("name=T\n");
    ASSERT_EQ(openRegistry(std::string(120, 'A').c_str(), std::string(120, 'T').c_str()), 1);
    EXPECT_EQ(readFile(registry.gameDir + "exp.title"),
              "title=" + std::string(91, 'T') + "\r\nauthor=" + std::string(90, 'A') + "\r\n");
    reopen(dir);
    const std::string n25(25, 'n'), t150(150, 't'), en = dir.gameDir() + "exp.desc.en";
    EXPECT_EQ(setDescription(2, n25.c_str(), t150.c_str(), "en"), 1);
    EXPECT_EQ(std::string(itemName(2)) + itemText(2), n25.substr(5) + t150.substr(50));
    const std::string file = readFile(en); // a description is never replaced
    EXPECT_EQ(setDescription(2, "x", "x", "en") + setDescription(51, "x", "x", "en") +
                  setDescription(3, "x", "x", "../x"),
              0);
    EXPECT_EQ(readFile(en), file);
    EXPECT_EQ(setDescription(1, nullptr, nullptr, "") +
                  pathExists(dir.gameDir() + "exp.desc.default"),
              2);
    // Ids 0 and 51, a second registration, and 1001 registered points are refused.
    const int calls[][4] = {{0, 10, 0, 0}, {51, 10, 0, 0}, {1, 600, 0, 1},
                            {1, 10, 0, 0}, {2, 401, 0, 0}, {2, 400, 7, 1}};
    for (const auto& c : calls)
        EXPECT_EQ(registerItem(c[0], c[1], c[2]), c[3]) << c[0] << " " << c[1];
    EXPECT_EQ(readFile(dir.gameDir() + "exp.dat"), le({1, 600, 0, 0, 2, 400, 7, 0}));
}

TEST(ExpFiles, AnInterruptedWriteLeavesTheOldFileWhole) {
    RegistryDir dir;
    reopen(dir);
    const std::string saves = dir.gameDir() + "/saves/";
    resetGameState();
    for (int wins : {4, 5, 6}) { // the second save is cut off before its rename
        game.shortMatchWins = wins;
        beforeRenameHook = wins == 5 ? +[](const std::string&) { return false; } : nullptr;
        saveResults();
        EXPECT_EQ(readFile(saves + "results.dat") + readFile(saves + ".results.dat.tmp"),
                  wins == 5 ? le({4, 0, 0, 5, 0, 0}) : le({wins, 0, 0}));
    }
    resetRegistry(); // without a registry, "results.dat" is kept in the working directory
    ScopedChdir cd(dir.root);
    saveResults();
    EXPECT_EQ(readFile(dir.root + "/results.dat"), le({6, 0, 0}));
    resetGameState();
}
