#include <cstring>
#include <gtest/gtest.h>

#include "tests/exp/exp_fixture.h"

namespace {

// Opens the fixture's registry after writing the given files into the game directory.
int openWith(RegistryDir& dir, const std::string& cfg = "name=Tester\nlang=en\n") {
    dir.profile(cfg);
    return openRegistry("Tolvenar", "Vesperalia");
}

std::string descRecord(int id, const std::string& name, const std::string& text) {
    std::string r = le32(id);
    std::string n(21, '\0'), t(101, '\0');
    n.replace(0, name.size(), name);
    t.replace(0, text.size(), text);
    for (char& c : n)
        c = static_cast<char>(~static_cast<unsigned char>(c));
    for (char& c : t)
        c = static_cast<char>(~static_cast<unsigned char>(c));
    return r + n + t + std::string(2, '\0');
}

} // namespace

TEST(ExpNames, NormaliseDropsBlanksAndControlsAndLowersAsciiOnly) {
    EXPECT_EQ(normaliseName("Vesperalia"), "vesperalia");
    EXPECT_EQ(normaliseName("My\tGame 2\r"), "mygame2");
    EXPECT_EQ(normaliseName("   "), "");
    EXPECT_EQ(normaliseName("\xC4pfel\x7F"), "\xC4pfel\x7F");
    EXPECT_EQ(itemFileName(1), "001");
    EXPECT_EQ(itemFileName(15), "015");
    EXPECT_EQ(itemFileName(50), "050");
}

TEST(ExpOpen, ClosedRegistryYieldsNoneAndIgnoresUnlocks) {
    RegistryDir dir;
    EXPECT_EQ(savesDirectory(), nullptr);
    unlockItem(1);
    EXPECT_EQ(isItemRegistered(1), 0);
    EXPECT_EQ(itemName(1), nullptr);
    EXPECT_EQ(itemPoints(3), 0);
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

TEST(ExpOpen, FirstOpenBuildsTheTreeAndLaterOpensCount) {
    RegistryDir dir;
    EXPECT_EQ(openWith(dir), 1);
    EXPECT_EQ(registry.profileDir, dir.base + "tester/");
    EXPECT_EQ(std::string(savesDirectory()), dir.gameDir() + "/saves/");
    EXPECT_TRUE(pathExists(dir.gameDir() + "saves"));
    EXPECT_EQ(readFile(dir.gameDir() + "exp.title"), "title=Vesperalia\r\nauthor=Tolvenar\r\n");
    EXPECT_EQ(readFile(dir.gameDir() + "exp.summary"),
              le32(0) + le32(0) + le32(0) + le32(0) + le32(1));
    EXPECT_TRUE(pathExists(dir.base + "tester/update"));
    EXPECT_EQ(readFile(dir.base + "tester/update"), "");

    // The title file is never rewritten, whatever the game now calls itself.
    writeFile(dir.gameDir() + "exp.dat", "");
    resetRegistry();
    registry.baseDir = dir.base;
    EXPECT_EQ(openRegistry("Tolvenar", "Vesperalia"), 2);
    EXPECT_EQ(registry.summary.openCount, 2);
}

TEST(ExpOpen, ActiveProfileLineIsUsedVerbatimButStaysInsideTheBase) {
    RegistryDir dir;
    writeFile(dir.base + "activeexp", "guest\r\nsecond line\n");
    mkdir((dir.base + "guest\r").c_str(), 0777);
    writeFile(dir.base + "guest\r/exp.cfg", "name=Guest\n");
    EXPECT_EQ(openRegistry("Tolvenar", "Vesperalia"), 1);
    EXPECT_EQ(registry.profileDir, dir.base + "guest\r/"); // the CR is part of the name

    // An empty line names the base directory itself, through a doubled slash.
    resetRegistry();
    registry.baseDir = dir.base;
    writeFile(dir.base + "activeexp", "");
    writeFile(dir.base + "exp.cfg", "name=Base\n");
    EXPECT_EQ(openRegistry("Tolvenar", "Vesperalia"), 1);
    EXPECT_EQ(registry.gameDir, dir.base + "/tolvenar_vesperalia/");
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
    std::string cfg = "name=Guest   \r\n"
                      "Name=Capital\n"
                      "name =Spaced\n"
                      "no equals sign\n"
                      "\n"
                      "lang=es\n"
                      "colour=red\n"
                      "lang=fr\r\n";
    EXPECT_EQ(openWith(dir, cfg), 1);
    EXPECT_EQ(registry.profileName, "Guest");
    EXPECT_EQ(registry.selectedLanguage, "fr");
    EXPECT_EQ(registry.loadedLanguage, "fr");

    resetRegistry();
    registry.baseDir = dir.base;
    EXPECT_EQ(openWith(dir, "name=  a=b\nlang=de\n" + std::string(1024, 'x') + "\nname=Late\n"),
              2 - 1);
    EXPECT_EQ(registry.profileName, "  a=b"); // reading stopped at the long line
    EXPECT_EQ(registry.selectedLanguage, "de");

    resetRegistry();
    registry.baseDir = dir.base;
    EXPECT_EQ(openWith(dir, "name=" + std::string(1018, 'n') + "\nlang=it"), 1);
    EXPECT_EQ(registry.profileName.size(), 1018u); // a 1023-byte line is still read
    EXPECT_EQ(registry.selectedLanguage, "it");    // and so is a last line without its LF
}

TEST(ExpOpen, LoginMessageOnlyWithAName) {
    RegistryDir dir;
    openWith(dir, "name=Guest\n");
    sentMessages.clear();
    attachNotifier(recordMessage);
    ASSERT_EQ(sentMessages.size(), 1u);
    EXPECT_EQ(sentMessages[0].item, 0);
    EXPECT_EQ(sentMessages[0].title, "Login... Guest");
    EXPECT_EQ(sentMessages[0].body, "");

    resetRegistry();
    registry.baseDir = dir.base;
    openWith(dir, "name=\n");
    sentMessages.clear();
    attachNotifier(recordMessage);
    EXPECT_TRUE(sentMessages.empty());
    EXPECT_EQ(registry.messageCallback, &recordMessage);
}

TEST(ExpReaders, DamagedItemAndSummaryFiles) {
    RegistryDir dir;
    openWith(dir);
    // 33 bytes: two records and a stray byte, gone after the next save.
    std::string two =
        le32(3) + le32(50) + le32(0) + le32(1) + le32(7) + le32(10) + le32(1) + le32(0);
    writeFile(dir.gameDir() + "exp.dat", two + "Z");
    // 8 bytes: only the first two counters.
    writeFile(dir.gameDir() + "exp.summary", le32(4) + le32(9));
    resetRegistry();
    registry.baseDir = dir.base;
    EXPECT_EQ(openRegistry("Tolvenar", "Vesperalia"), 2);
    ASSERT_EQ(registry.items.size(), 2u);
    EXPECT_EQ(isItemUnlocked(3), 1);
    EXPECT_EQ(itemPoints(7), 10);
    EXPECT_EQ(registry.summary.unlockedCount, 4);
    EXPECT_EQ(registry.summary.itemCount, 9);
    EXPECT_EQ(registry.summary.openCount, 1);
    EXPECT_EQ(readFile(dir.gameDir() + "exp.summary"),
              le32(4) + le32(9) + le32(0) + le32(0) + le32(1));
    saveItems();
    EXPECT_EQ(readFile(dir.gameDir() + "exp.dat"), two);

    // Oversized and empty files, and counters at their limits, read without harm.
    writeFile(dir.gameDir() + "exp.summary", std::string(20, '\xFF') + std::string(100, 'g'));
    writeFile(dir.gameDir() + "exp.dat", le32(5) + le32(0x7FFFFFFF) + le32(0) + le32(0));
    writeFile(dir.gameDir() + "exp.desc.en", "");
    resetRegistry();
    registry.baseDir = dir.base;
    EXPECT_EQ(openRegistry("Tolvenar", "Vesperalia"), 2);
    EXPECT_EQ(registry.summary.openCount, 0); // -1 and one more open
    unlockItem(5);
    EXPECT_EQ(isItemUnlocked(5), 1);
    EXPECT_EQ(readFile(dir.gameDir() + "exp.summary").size(), 20u);
}

TEST(ExpReaders, DamagedDescriptionFiles) {
    RegistryDir dir;
    openWith(dir);
    // 200 bytes: one record, the other 72 ignored.
    writeFile(dir.gameDir() + "exp.desc.en",
              descRecord(2, "Ten", "Ten wins") + std::string(72, 'x'));
    registry.loadedLanguage = "en";
    EXPECT_EQ(loadDescriptions(), 1);
    ASSERT_EQ(registry.descriptions.size(), 1u);
    EXPECT_STREQ(itemName(2), "Ten");
    EXPECT_STREQ(itemText(2), "Ten wins");

    // Fields stored without a NUL (all zero on disk) still give bounded texts.
    writeFile(dir.gameDir() + "exp.desc.en", le32(4) + std::string(124, '\0'));
    EXPECT_EQ(loadDescriptions(), 1);
    EXPECT_EQ(std::string(itemName(4)), std::string(20, '\xFF'));
    EXPECT_EQ(std::string(itemText(4)).size(), 100u);

    registry.loadedLanguage = "xx";
    EXPECT_EQ(loadDescriptions(), 0);
    EXPECT_TRUE(registry.descriptions.empty());
    registry.loadedLanguage = "../../etc";
    EXPECT_EQ(loadDescriptions(), 0);
}

TEST(ExpDescriptions, StoredComplementedAndCut) {
    RegistryDir dir;
    openWith(dir);
    EXPECT_EQ(setDescription(1, "abc", nullptr, "en"), 1);
    std::string file = readFile(dir.gameDir() + "exp.desc.en");
    ASSERT_EQ(file.size(), 128u);
    EXPECT_EQ(file.substr(0, 4), le32(1));
    EXPECT_EQ(file.substr(4, 21), "\x9E\x9D\x9C" + std::string(18, '\xFF'));
    EXPECT_EQ(file.substr(25, 101), std::string(101, '\xFF'));
    EXPECT_EQ(readFile(dir.gameDir() + "exp.lang"), "en");

    std::string longName(25, 'n'), longText(150, 't');
    EXPECT_EQ(setDescription(2, longName.c_str(), longText.c_str(), "en"), 1);
    EXPECT_EQ(std::string(itemName(2)), std::string(20, 'n'));
    EXPECT_EQ(std::string(itemText(2)), std::string(100, 't'));

    // An existing text is never replaced, and the file stays as it was.
    file = readFile(dir.gameDir() + "exp.desc.en");
    EXPECT_EQ(setDescription(1, "other", "other", "en"), 0);
    EXPECT_EQ(readFile(dir.gameDir() + "exp.desc.en"), file);
    EXPECT_EQ(setDescription(0, "x", "x", "en"), 0);
    EXPECT_EQ(setDescription(51, "x", "x", "en"), 0);
    EXPECT_EQ(setDescription(3, "x", "x", "../x"), 0);
    EXPECT_FALSE(pathExists(dir.base + "tester/x"));

    // Written then read back: the same plain records.
    std::vector<ExpDescription> before = registry.descriptions;
    registry.loadedLanguage = "de";
    loadDescriptions();
    registry.loadedLanguage = "en";
    EXPECT_EQ(loadDescriptions(), 1);
    ASSERT_EQ(registry.descriptions.size(), before.size());
    for (size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(registry.descriptions[i].id, before[i].id);
        EXPECT_EQ(0, std::memcmp(registry.descriptions[i].itemName, before[i].itemName, 21));
        EXPECT_EQ(0, std::memcmp(registry.descriptions[i].itemText, before[i].itemText, 101));
    }
}

TEST(ExpDescriptions, EmptyLanguageIsTheDefaultFile) {
    RegistryDir dir;
    openWith(dir, "name=T\n");
    EXPECT_EQ(setDescription(1, "a", "b", ""), 1);
    EXPECT_TRUE(pathExists(dir.gameDir() + "exp.desc.default"));
    EXPECT_EQ(readFile(dir.gameDir() + "exp.lang"), ""); // still empty: rewritten next time
    EXPECT_EQ(setDescription(1, "a", "b", "en"), 1);
    EXPECT_EQ(readFile(dir.gameDir() + "exp.lang"), "en");
    setLanguage(nullptr); // "default" reads the same file as ""
    EXPECT_EQ(registry.selectedLanguage, "default");
    EXPECT_STREQ(itemName(1), "a");
}

TEST(ExpItems, RegistrationRefusalsAndTheBudget) {
    RegistryDir dir;
    openWith(dir);
    EXPECT_EQ(registerItem(0, 10, 0), 0);
    EXPECT_EQ(registerItem(51, 10, 0), 0);
    EXPECT_EQ(registerItem(1, 600, 0), 1);
    EXPECT_EQ(registerItem(1, 10, 0), 0);
    EXPECT_EQ(registerItem(2, 401, 0), 0); // 1001 registered points would be too many
    EXPECT_EQ(registerItem(2, 400, 7), 1);
    EXPECT_EQ(registry.summary.totalPoints, 1000);
    EXPECT_EQ(registry.summary.itemCount, 2);
    EXPECT_EQ(readFile(dir.gameDir() + "exp.dat"),
              le32(1) + le32(600) + le32(0) + le32(0) + le32(2) + le32(400) + le32(7) + le32(0));
}

TEST(ExpItems, InterruptedWriteLeavesTheOldFileWhole) {
    RegistryDir dir;
    openWith(dir);
    registerItem(1, 10, 0);
    std::string before = readFile(dir.gameDir() + "exp.dat");
    beforeRenameHook = [](const std::string&) { return false; }; // power cut before the rename
    registerItem(2, 20, 0);
    EXPECT_EQ(readFile(dir.gameDir() + "exp.dat"), before);
    EXPECT_EQ(readFile(dir.gameDir() + ".exp.dat.tmp").size(), 32u);
    beforeRenameHook = nullptr;
    registerItem(3, 30, 0);
    EXPECT_EQ(readFile(dir.gameDir() + "exp.dat").size(), 48u);
    EXPECT_FALSE(pathExists(dir.gameDir() + ".exp.dat.tmp"));
}
