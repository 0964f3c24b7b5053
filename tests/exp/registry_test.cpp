#include <cstring>
#include <gtest/gtest.h>

#include "tests/exp/exp_fixture.h"

namespace {

int reopen(RegistryDir& dir, const std::string& cfg = "name=Tester\nlang=en\n") {
    resetRegistry();
    registry.baseDir = dir.base;
    dir.profile(cfg);
    return openRegistry("Tolvenar", "Vesperalia");
}

} // namespace

TEST(ExpNames, NormaliseDropsBlanksAndControlsAndLowersAsciiOnly) {
    EXPECT_EQ(normaliseName("My\tGame 2\r"), "mygame2");
    EXPECT_EQ(normaliseName("   "), "");
    EXPECT_EQ(normaliseName("\xC4pfel"), "\xC4pfel");
}

TEST(ExpOpen, FailsWithoutAProfileAndTouchesNothing) {
    RegistryDir dir;
    EXPECT_EQ(savesDirectory(), nullptr);
    unlockItem(1); // before any open: ignored
    EXPECT_EQ(openRegistry(nullptr, "Vesperalia"), 0);
    EXPECT_EQ(openRegistry("Tolvenar", " \t"), 0);
    EXPECT_EQ(openRegistry("Tolvenar", "Vesperalia"), 0); // no activeexp
    dir.profile("name=X\n");
    std::remove((dir.base + "tester/exp.cfg").c_str());
    EXPECT_EQ(openRegistry("Tolvenar", "Vesperalia"), 0); // no exp.cfg
    mkdir((dir.base + "tester/exp.cfg").c_str(), 0777);
    EXPECT_EQ(openRegistry("Tolvenar", "Vesperalia"), 0); // opens, but does not read
    std::remove((dir.base + "activeexp").c_str());
    mkdir((dir.base + "activeexp").c_str(), 0777);
    EXPECT_EQ(openRegistry("Tolvenar", "Vesperalia"), 0);
    EXPECT_FALSE(pathExists(dir.gameDir()));
    EXPECT_EQ(savesDirectory(), nullptr);
}

TEST(ExpOpen, ActiveProfileLineIsUsedVerbatimButStaysInsideTheBase) {
    RegistryDir dir;
    writeFile(dir.base + "activeexp", "guest\r\nsecond line\n");
    mkdir((dir.base + "guest\r").c_str(), 0777);
    writeFile(dir.base + "guest\r/exp.cfg", "name=Guest\n");
    EXPECT_EQ(openRegistry("Tolvenar", "Vesperalia"), 1);
    EXPECT_EQ(registry.profileDir, dir.base + "guest\r/"); // the CR is part of the name
    EXPECT_EQ(std::string(savesDirectory()), dir.base + "guest\r/tolvenar_vesperalia//saves/");

    // An empty line names the base directory itself, through a doubled slash.
    resetRegistry();
    registry.baseDir = dir.base;
    writeFile(dir.base + "activeexp", "");
    writeFile(dir.base + "exp.cfg", "name=Base\n");
    EXPECT_EQ(openRegistry("Tolvenar", "Vesperalia"), 1);
    EXPECT_TRUE(pathExists(dir.base + "tolvenar_vesperalia/exp.summary"));

    for (const char* line : {"..\n", "../exp\n", "a/b\n", "/tmp\n"}) {
        resetRegistry();
        registry.baseDir = dir.base;
        writeFile(dir.base + "activeexp", line);
        EXPECT_EQ(openRegistry("Tolvenar", "Vesperalia"), 0) << line;
    }

    // A line longer than 1023 bytes is cut; no such profile, so the open fails.
    resetRegistry();
    registry.baseDir = dir.base;
    writeFile(dir.base + "activeexp", std::string(3000, 'p'));
    EXPECT_EQ(openRegistry("Tolvenar", "Vesperalia"), 0);
    EXPECT_EQ(registry.profileDir, dir.base + std::string(1023, 'p') + "/");
}

TEST(ExpOpen, ProfileConfigKeysValuesAndLongLines) {
    RegistryDir dir;
    EXPECT_EQ(reopen(dir, "name=Guest   \r\nName=Capital\nname =Spaced\nno equals sign\n\n"
                          "lang=es\ncolour=red\nlang=fr\r\n"),
              1);
    EXPECT_EQ(registry.profileName, "Guest");
    EXPECT_EQ(registry.loadedLanguage, "fr"); // the last of two lines wins

    reopen(dir, "name=  a=b\nlang=de\n" + std::string(1024, 'x') + "\nname=Late\n");
    EXPECT_EQ(registry.profileName, "  a=b"); // reading stopped at the long line
    EXPECT_EQ(registry.selectedLanguage, "de");

    reopen(dir, "name=" + std::string(1018, 'n') + "\nlang=it");
    EXPECT_EQ(registry.profileName.size(), 1018u); // a 1023-byte line is still read
    EXPECT_EQ(registry.selectedLanguage, "it");    // and a last line without its LF

    reopen(dir, "name=\n");
    sentMessages.clear();
    attachNotifier(recordMessage);
    EXPECT_TRUE(sentMessages.empty()); // no name, no greeting
}

TEST(ExpReaders, DamagedItemAndSummaryFiles) {
    RegistryDir dir;
    reopen(dir);
    // 33 bytes: two records and a stray byte, gone after the next save.
    std::string two =
        le32(3) + le32(50) + le32(0) + le32(1) + le32(7) + le32(10) + le32(1) + le32(0);
    writeFile(dir.gameDir() + "exp.dat", two + "Z");
    writeFile(dir.gameDir() + "exp.summary", le32(4) + le32(9)); // 8 bytes: two counters
    EXPECT_EQ(reopen(dir), 2);
    ASSERT_EQ(registry.items.size(), 2u);
    EXPECT_EQ(isItemUnlocked(3), 1);
    EXPECT_EQ(itemPoints(7), 10);
    EXPECT_EQ(readFile(dir.gameDir() + "exp.summary"),
              le32(4) + le32(9) + le32(0) + le32(0) + le32(1));
    saveItems();
    EXPECT_EQ(readFile(dir.gameDir() + "exp.dat"), two);

    // Oversized files and counters at their limits read and count without harm.
    writeFile(dir.gameDir() + "exp.summary", std::string(20, '\xFF') + std::string(100, 'g'));
    writeFile(dir.gameDir() + "exp.dat", le32(5) + le32(0x7FFFFFFF) + le32(0) + le32(0));
    EXPECT_EQ(reopen(dir), 2);
    EXPECT_EQ(registry.summary.openCount, 0); // -1, and one more open
    unlockItem(5);
    EXPECT_EQ(isItemUnlocked(5), 1);
    EXPECT_EQ(readFile(dir.gameDir() + "exp.summary").size(), 20u);
}

TEST(ExpReaders, DamagedDescriptionFiles) {
    RegistryDir dir;
    reopen(dir);
    // 200 bytes: one record whose fields hold no NUL (stored as zero bytes), and 72
    // bytes that are ignored. The texts handed out stay within their fields.
    writeFile(dir.gameDir() + "exp.desc.en", le32(4) + std::string(196, '\0'));
    EXPECT_EQ(loadDescriptions(), 1);
    ASSERT_EQ(registry.descriptions.size(), 1u);
    EXPECT_EQ(std::string(itemName(4)), std::string(20, '\xFF'));
    EXPECT_EQ(std::string(itemText(4)).size(), 100u);
    registry.loadedLanguage = "../../etc";
    EXPECT_EQ(loadDescriptions(), 0);
    EXPECT_TRUE(registry.descriptions.empty());
}

TEST(ExpDescriptions, CutToTheirFieldsAndNeverReplaced) {
    RegistryDir dir;
    reopen(dir);
    std::string longName(25, 'n'), longText(150, 't');
    EXPECT_EQ(setDescription(2, longName.c_str(), longText.c_str(), "en"), 1);
    EXPECT_EQ(std::string(itemName(2)), std::string(20, 'n'));
    EXPECT_EQ(std::string(itemText(2)), std::string(100, 't'));
    EXPECT_EQ(setDescription(1, nullptr, nullptr, "en"), 1);
    EXPECT_EQ(readFile(dir.gameDir() + "exp.desc.en").substr(128 + 4, 122),
              std::string(122, '\xFF'));

    std::string file = readFile(dir.gameDir() + "exp.desc.en");
    EXPECT_EQ(setDescription(1, "other", "other", "en"), 0);
    EXPECT_EQ(setDescription(51, "x", "x", "en"), 0);
    EXPECT_EQ(setDescription(3, "x", "x", "../x"), 0);
    EXPECT_EQ(readFile(dir.gameDir() + "exp.desc.en"), file);
    EXPECT_FALSE(pathExists(dir.base + "tester/x"));
}

TEST(ExpDescriptions, EmptyLanguageIsTheDefaultFile) {
    RegistryDir dir;
    reopen(dir, "name=T\n");
    EXPECT_EQ(setDescription(1, "a", "b", ""), 1);
    EXPECT_TRUE(pathExists(dir.gameDir() + "exp.desc.default"));
    EXPECT_EQ(readFile(dir.gameDir() + "exp.lang"), ""); // still empty: rewritten next time
    EXPECT_EQ(setDescription(1, "a", "b", "en"), 1);
    EXPECT_EQ(readFile(dir.gameDir() + "exp.lang"), "en");
    setLanguage(nullptr); // "default" reads the same file as ""
    EXPECT_STREQ(itemName(1), "a");
}

TEST(ExpItems, RegistrationRefusalsAndTheBudget) {
    RegistryDir dir;
    reopen(dir);
    EXPECT_EQ(registerItem(0, 10, 0), 0);
    EXPECT_EQ(registerItem(51, 10, 0), 0);
    EXPECT_EQ(registerItem(1, 600, 0), 1);
    EXPECT_EQ(registerItem(1, 10, 0), 0);
    EXPECT_EQ(registerItem(2, 401, 0), 0); // 1001 registered points would be too many
    EXPECT_EQ(registerItem(2, 400, 7), 1);
    EXPECT_EQ(registry.summary.itemCount, 2);
    EXPECT_EQ(readFile(dir.gameDir() + "exp.dat"),
              le32(1) + le32(600) + le32(0) + le32(0) + le32(2) + le32(400) + le32(7) + le32(0));
}

TEST(ExpOpen, TitleFileLinesFitTheir99Bytes) {
    RegistryDir dir;
    dir.profile("name=T\n");
    std::string author(120, 'A'), title(120, 'T');
    ASSERT_EQ(openRegistry(author.c_str(), title.c_str()), 1);
    EXPECT_EQ(readFile(registry.gameDir + "exp.title"),
              "title=" + std::string(91, 'T') + "\r\nauthor=" + std::string(90, 'A') + "\r\n");
}
