#include <algorithm>
#include <dirent.h>
#include <gtest/gtest.h>

#include "tests/exp/exp_fixture.h"

static std::string descriptionFile(const std::string& code) {
    std::string file;
    for (int n = 1; n <= 15; ++n) {
        std::string name = code + " name " + std::to_string(n), text = code + " text of item ";
        name.resize(21);
        (text += std::to_string(n)).resize(101);
        for (char& c : name += text + std::string(2, '\xFF'))
            c = static_cast<char>(~c);
        file += le({n}) + name;
    }
    return file;
}

static std::vector<std::string> filesIn(const std::string& dir) {
    std::vector<std::string> names;
    DIR* d = opendir(dir.c_str());
    while (dirent* e = d ? readdir(d) : nullptr)
        if (e->d_name[0] != '.') names.push_back(e->d_name);
    if (d) closedir(d);
    std::sort(names.begin(), names.end());
    return names;
}

TEST(ExpRegistration, FirstAndSecondRunByteForByteThenUnlocksAndCopies) {
    RegistryDir dir;
    GameWorkDir work(dir.root);
    languageTable.loadLanguage(1);
    registerGame(); // no profile: nothing is touched, the interface language stays
    EXPECT_TRUE(filesIn(dir.base).empty() && languageTable.current == 1 && !registry.isOpen);
    dir.profile("name=Tester\nlang=de\n");
    registerGame();
    std::string g = dir.gameDir(), lang = languageTable.languageName(0), dat; // first described
    std::vector<std::string> all = {"exp.dat",  "exp.desc.de", "exp.desc.en", "exp.icon",
                                    "exp.lang", "exp.summary", "exp.title",   "saves"},
                             copies = {"exp.summary"}; // all the second run writes
    const int points[15] = {10, 10, 50, 10, 50, 10, 50, 10, 20, 50, 20, 30, 30, 50, 100};
    for (int n = 15; n >= 1; --n) {
        all.insert(all.begin(), std::string(n < 10 ? "00" : "0") + std::to_string(n));
        dat = le({n, points[n - 1], n >= 14 ? 1 : 0, 0}) + dat;
    }
    for (int run = 1; run <= 2; ++run) {
        EXPECT_EQ(filesIn(g), all);
        EXPECT_EQ(readFile(g + "exp.title"), "title=Vesperalia\r\nauthor=Tolvenar\r\n");
        EXPECT_EQ(readFile(g + "exp.dat"), dat);
        EXPECT_EQ(readFile(g + "exp.summary"), le({0, 15, 0, 500, run})) << "run " << run;
        EXPECT_EQ(readFile(g + "exp.desc.en"), descriptionFile("en"));
        EXPECT_EQ(readFile(g + "exp.desc.de"), descriptionFile("de"));
        EXPECT_EQ(readFile(g + "exp.lang") + readFile(g + "exp.icon"), lang + bmp(24, 24, "icon"));
        for (int n = 1; n <= 15; ++n)
            EXPECT_EQ(readFile(g + all[n - 1]), bmp(24, 24, "item" + std::to_string(n))) << n;
        EXPECT_EQ(readFile(dir.base + "tester/update") +
                      languageTable.languageName(languageTable.current),
                  "de"); // an empty "update", and the game now speaks the profile's language
        if (run == 2) break;
        dir.fresh();
        writtenFiles.clear();
        beforeRenameHook = recordWrite;
        registerGame();
        std::sort(writtenFiles.begin(), writtenFiles.end());
        EXPECT_EQ(writtenFiles, copies);
    }
    sentMessages.clear();
    attachNotifier(recordMessage);
    languageTable.loadLanguage(std::string("de") == languageTable.languageName(0)); // not "de"
    unlockItem(3);
    EXPECT_EQ(readFile(g + "exp.dat").substr(2 * 16 + 12, 4) + readFile(g + "exp.summary"),
              le({1, 1, 15, 50, 500, 2}));
    writtenFiles.clear();
    for (int id : {3, 20, 0, -1, 51})
        unlockItem(id);
    EXPECT_EQ(sentMessages, (std::vector<std::string>{"0:0 Login... Tester|",
                                                      "3:50 de name 3|de text of item 3"}));
    EXPECT_TRUE(writtenFiles.empty()); // and so the files stay as they were

    dir.profile("name=Tester\nlang=fr\n"); // not described: the base language instead
    registerGame();
    attachNotifier(recordMessage);
    unlockItem(15);
    EXPECT_EQ(sentMessages.back(), "15:100 " + lang + " name 15|" + lang + " text of item 15");
    EXPECT_EQ(registry.loadedLanguage + registry.selectedLanguage, lang + lang);

    const std::string src = dir.root + "/img.bmp";
    writeFile(src, bmp(32, 32, "big")); // a copy needs one side of 24 pixels
    EXPECT_EQ(copyItemImage(5, src.c_str()) + copyIcon(src.c_str()), 0);
    EXPECT_EQ(readFile(g + "005"), bmp(24, 24, "item5")); // the old copy stays
    writeFile(src, bmp(16, 24, "tall"));
    EXPECT_EQ(copyItemImage(5, src.c_str()) + copyIcon(src.c_str()), 2);
    registry.gameDir = dir.root + "/no-such-dir/";
    EXPECT_EQ(copyItemImage(7, src.c_str()), 0); // nothing can be written there
}
