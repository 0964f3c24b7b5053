#include <algorithm>
#include <dirent.h>
#include <gtest/gtest.h>
#include "tests/exp/exp_fixture.h"

namespace {

std::string expectedDescriptions(const std::string& code) {
    std::string file;
    for (int n = 1; n <= 15; ++n) {
        std::string name = code + " name " + std::to_string(n);
        std::string text = code + " text of item " + std::to_string(n);
        std::string fields = name + std::string(21 - name.size(), '\0') + text +
                             std::string(101 - text.size(), '\0');
        for (char& c : fields)
            c = static_cast<char>(~static_cast<unsigned char>(c));
        file += le32(n) + fields + std::string(2, '\0');
    }
    return file;
}

std::vector<std::string> filesIn(const std::string& dir) {
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d))
            if (e->d_name[0] != '.') names.push_back(e->d_name);
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

const int itemPointsTable[15] = {10, 10, 50, 10, 50, 10, 50, 10, 20, 50, 20, 30, 30, 50, 100};

} // namespace

TEST(ExpRegistration, FirstAndSecondRunLeaveTheFilesByteForByte) {
    RegistryDir dir;
    dir.profile("name=Tester\nlang=de\n");
    GameWorkDir work(dir.root);
    registerGame();
    const std::string g = dir.gameDir();

    std::vector<std::string> expected = {
        "001",      "002",      "003",         "004",       "005",         "006",
        "007",      "008",      "009",         "010",       "011",         "012",
        "013",      "014",      "015",         "exp.dat",   "exp.desc.de", "exp.desc.en",
        "exp.icon", "exp.lang", "exp.summary", "exp.title", "saves"};
    EXPECT_EQ(filesIn(g), expected);
    EXPECT_EQ(readFile(g + "exp.title"), "title=Vesperalia\r\nauthor=Tolvenar\r\n");
    std::string dat;
    for (int n = 1; n <= 15; ++n)
        dat += le32(n) + le32(itemPointsTable[n - 1]) + le32(n >= 14 ? 1 : 0) + le32(0);
    EXPECT_EQ(readFile(g + "exp.dat"), dat);
    EXPECT_EQ(readFile(g + "exp.summary"), le32(0) + le32(15) + le32(0) + le32(500) + le32(1));
    EXPECT_EQ(readFile(g + "exp.desc.en"), expectedDescriptions("en"));
    EXPECT_EQ(readFile(g + "exp.desc.de"), expectedDescriptions("de"));
    EXPECT_EQ(readFile(g + "exp.lang"), languageTable.languageName(0)); // first described
    EXPECT_EQ(readFile(g + "exp.icon"), readFile(work.work + "/data/exp.icon.bmp"));
    for (int n = 1; n <= 15; ++n)
        EXPECT_EQ(readFile(g + itemFileName(n)), work.image(n)) << n;
    EXPECT_EQ(readFile(dir.base + "tester/update"), "");
    EXPECT_STREQ(languageTable.languageName(languageTable.current), "de");

    // Second run: only the summary and the copies are written.
    std::string descEn = readFile(g + "exp.desc.en"), lang = readFile(g + "exp.lang");
    resetRegistry();
    registry.baseDir = dir.base;
    writtenFiles.clear();
    beforeRenameHook = recordWrite;
    registerGame();
    beforeRenameHook = nullptr;
    std::sort(writtenFiles.begin(), writtenFiles.end());
    std::vector<std::string> rewritten(expected.begin(), expected.begin() + 15);
    rewritten.push_back("exp.icon");
    rewritten.push_back("exp.summary");
    EXPECT_EQ(writtenFiles, rewritten);
    EXPECT_EQ(filesIn(g), expected);
    EXPECT_EQ(readFile(g + "exp.summary"), le32(0) + le32(15) + le32(0) + le32(500) + le32(2));
    EXPECT_EQ(readFile(g + "exp.dat"), dat);
    EXPECT_EQ(readFile(g + "exp.desc.en"), descEn);
    EXPECT_EQ(readFile(g + "exp.lang"), lang);
}

TEST(ExpRegistration, NoProfileMeansNothingIsTouched) {
    RegistryDir dir;
    GameWorkDir work(dir.root);
    languageTable.loadLanguage(1);
    registerGame();
    EXPECT_EQ(filesIn(dir.base), std::vector<std::string>());
    EXPECT_EQ(languageTable.current, 1); // the interface language stays as start-up left it
    EXPECT_EQ(registry.isOpen, 0);
}

TEST(ExpRegistration, UnlockStoresOnceAndSpeaksTheProfilesLanguage) {
    RegistryDir dir;
    dir.profile("name=Tester\nlang=de\n");
    GameWorkDir work(dir.root);
    registerGame();
    sentMessages.clear();
    attachNotifier(recordMessage);
    ASSERT_EQ(sentMessages.size(), 1u);
    EXPECT_EQ(sentMessages[0].title, "Login... Tester");

    sentMessages.clear();
    languageTable.loadLanguage(0); // whatever the game shows, messages follow the profile
    unlockItem(3);
    ASSERT_EQ(sentMessages.size(), 1u);
    EXPECT_EQ(sentMessages[0].item, 3);
    EXPECT_EQ(sentMessages[0].points, 50);
    EXPECT_EQ(sentMessages[0].title, "de name 3");
    EXPECT_EQ(sentMessages[0].body, "de text of item 3");
    std::string dat = readFile(dir.gameDir() + "exp.dat");
    EXPECT_EQ(dat.substr(2 * 16 + 12, 4), le32(1));
    std::string summary = readFile(dir.gameDir() + "exp.summary");
    EXPECT_EQ(summary, le32(1) + le32(15) + le32(50) + le32(500) + le32(1));

    sentMessages.clear();
    writtenFiles.clear();
    beforeRenameHook = recordWrite;
    for (int id : {3, 20, 0, -1, 51})
        unlockItem(id);
    beforeRenameHook = nullptr;
    EXPECT_TRUE(sentMessages.empty());
    EXPECT_TRUE(writtenFiles.empty());
    EXPECT_EQ(readFile(dir.gameDir() + "exp.dat"), dat);
    EXPECT_EQ(readFile(dir.gameDir() + "exp.summary"), summary);
}

TEST(ExpRegistration, UnknownProfileLanguageFallsBackToTheBaseLanguage) {
    RegistryDir dir;
    dir.profile("name=Tester\nlang=fr\n");
    GameWorkDir work(dir.root);
    registerGame();
    std::string base = languageTable.languageName(0);
    EXPECT_EQ(languageTable.current, 0);
    attachNotifier(recordMessage);
    sentMessages.clear();
    unlockItem(15);
    ASSERT_EQ(sentMessages.size(), 1u);
    EXPECT_EQ(sentMessages[0].points, 100);
    EXPECT_EQ(sentMessages[0].title, base + " name 15");
    EXPECT_EQ(registry.selectedLanguage, base);

    // A later run falls back at the open already.
    resetRegistry();
    registry.baseDir = dir.base;
    EXPECT_EQ(openRegistry("Tolvenar", "Vesperalia"), 2);
    EXPECT_EQ(registry.loadedLanguage, base);
    EXPECT_EQ(registry.descriptions.size(), 15u);
}

TEST(ExpRegistration, ImageCopiesNeedOneSideOf24Pixels) {
    RegistryDir dir;
    dir.profile("name=T\n");
    ASSERT_EQ(openRegistry("Tolvenar", "Vesperalia"), 1);
    std::string src = dir.root + "/img.bmp";
    writeFile(src, bmp(24, 16, "wide"));
    EXPECT_EQ(copyItemImage(4, src.c_str()), 1);
    writeFile(src, bmp(16, 24, "tall"));
    EXPECT_EQ(copyItemImage(5, src.c_str()), 1);
    writeFile(src, bmp(32, 32, "big"));
    EXPECT_EQ(copyItemImage(5, src.c_str()), 0);
    EXPECT_EQ(readFile(dir.gameDir() + "005"), bmp(16, 24, "tall")); // the old copy stays
    writeFile(src, std::string(20, 'x'));                            // too short for a size
    EXPECT_EQ(copyIcon(src.c_str()), 0);
    EXPECT_EQ(copyItemImage(6, (dir.root + "/missing.bmp").c_str()), 0);
    writeFile(src, bmp(24, 24, "ok"));
    registry.gameDir = dir.root + "/no-such-dir/";
    EXPECT_EQ(copyItemImage(7, src.c_str()), 0); // nothing could be written
}
