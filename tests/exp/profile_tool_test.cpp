#include <dirent.h>
#include <gtest/gtest.h>
#include <map>

#include "exp/profile_tool/commands.h"
#include "exp/profile_tool/terminal_text.h"
#include "tests/exp/exp_fixture.h"

namespace {

struct Outcome {
    int status;
    std::string out, err;
};

// One command against the registry at base, its output captured.
template <class Command> Outcome runTool(const std::string& base, bool utf8, Command command) {
    char *out = nullptr, *err = nullptr;
    size_t outSize = 0, errSize = 0;
    ToolContext ctx;
    ctx.base = base;
    ctx.utf8 = utf8;
    ctx.out = open_memstream(&out, &outSize);
    ctx.err = open_memstream(&err, &errSize);
    Outcome r{command(ctx), "", ""};
    std::fclose(ctx.out);
    std::fclose(ctx.err);
    r.out.assign(out, outSize);
    r.err.assign(err, errSize);
    std::free(out);
    std::free(err);
    return r;
}
Outcome show(const std::string& base, bool utf8 = true) {
    return runTool(base, utf8, [](const ToolContext& c) { return showProfile(c); });
}
Outcome create(const std::string& base, const std::string& name, const std::string& lang,
               bool utf8 = true) {
    return runTool(base, utf8, [&](const ToolContext& c) { return createProfile(c, name, lang); });
}

// Every file below dir with its bytes, to see that nothing was touched.
void snapshot(const std::string& dir, std::map<std::string, std::string>& files) {
    DIR* d = opendir(dir.c_str());
    while (dirent* e = d ? readdir(d) : nullptr) {
        std::string n = e->d_name, path = dir + "/" + n;
        if (n == "." || n == "..") continue;
        struct stat st;
        if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            snapshot(path, files);
        else
            files[path] = readFile(path);
    }
    if (d) closedir(d);
}

// A profile "tester" in which the game has run once, as it writes its files.
struct PlayedProfile : RegistryDir {
    GameWorkDir work{root};
    explicit PlayedProfile(const std::string& cfg = "name=Zo\xEB\nlang=de\n") {
        profile(cfg);
        registerGame();
    }
};

} // namespace

TEST(ProfileTool, ShowsTheGamesFilesInTheTerminalsEncodingWithProgressAndWritesNothing) {
    PlayedProfile p;
    unlockItem(2);
    writeFile(p.gameDir() + "saves/results.dat", le({10, 12, 31}));
    std::map<std::string, std::string> before, after;
    snapshot(p.root, before);

    Outcome utf8 = show(p.base);
    EXPECT_EQ(utf8.status, ToolOk) << utf8.err;
    for (const char* line : {"profile tester: name Zo\xC3\xAB, language de\n", "texts in de\n",
                             "   2   10  unlocked  de name 2: de text of item 2\n",
                             "summary: 1 of 15 items unlocked, 10 of 500 points, opened 1 time\n",
                             "results: 10 short, 12 medium, 31 long match wins",
                             "  Short-match wins: 10 of 30 (item 3, de name 3)\n",
                             "  Medium-match wins: 12 of 30 (item 5, de name 5)\n",
                             "  Long-match wins: 31, past 10 and 30 (items 6 and 7)\n"})
        EXPECT_NE(utf8.out.find(line), std::string::npos) << line << "\n" << utf8.out;
    EXPECT_NE(show(p.base, false).out.find("name Zo\xEB, language"), std::string::npos);
    snapshot(p.root, after);
    EXPECT_EQ(before, after);

    std::remove((p.gameDir() + "saves/results.dat").c_str()); // no win saved yet: not damage
    Outcome fresh = show(p.base);
    EXPECT_EQ(fresh.status, ToolOk) << fresh.err;
    EXPECT_NE(fresh.out.find("results: none saved yet"), std::string::npos);
    EXPECT_NE(fresh.out.find("  Short-match wins: 0 of 10 (item 2, de name 2)"), std::string::npos);
}

TEST(ProfileTool, ShowSaysPlainlyWhatTheGameHasNotWrittenYet) {
    RegistryDir dir;
    dir.profile("name=Tester\nlang=en\n");
    Outcome unplayed = show(dir.base);
    EXPECT_EQ(unplayed.status, ToolOk);
    EXPECT_NE(unplayed.out.find("has not been played in this profile yet"), std::string::npos);
    mkdir(dir.gameDir().c_str(), 0777); // opened, but nothing written yet
    Outcome empty = show(dir.base);
    EXPECT_EQ(empty.status, ToolOk) << empty.err;
    for (const char* line : {"no items registered", "summary: none yet", "results: none saved yet",
                             "Long-match wins: 0 of 10 (item 6)\n"})
        EXPECT_NE(empty.out.find(line), std::string::npos) << line;
    std::remove((dir.base + "activeexp").c_str());
    EXPECT_EQ(show(dir.base).status, ToolFailed);
}

TEST(ProfileTool, ShowNamesEachDamagedFileAndWhatIsWrongInsteadOfPrintingIt) {
    struct Case {
        const char* file;
        std::string bytes;
        const char* says;
    } cases[] = {
        {"exp.dat", std::string(240, '\x5A'), "exp.dat: has id 1515870810 in item 1, outside"},
        {"exp.dat", le({1, 10, 0, 0}) + "x", "exp.dat: is 17 bytes, not a whole number of 16-byte"},
        {"exp.dat", le({1, 10, 0, 0, 1, 10, 0, 0}), "exp.dat: has id 1 twice"},
        {"exp.dat", le({1, 10, 0, 7}), "exp.dat: marks item 1 with 7, neither"},
        {"exp.summary", le({0, 15, 0, 500}), "exp.summary: is 16 bytes, not 20"},
        {"exp.summary", le({1, 15, 0, 500, 1}),
         "exp.summary: counts 1 for the unlocked items where exp.dat gives 0"},
        {"exp.summary", le({0, 15, 10, 500, 1}),
         "exp.summary: counts 10 for the points earned where exp.dat gives 0"},
        {"exp.summary", le({0, 14, 0, 500, 1}),
         "exp.summary: counts 14 for the items where exp.dat gives 15"},
        {"exp.summary", le({0, 15, 0, 500, 0}), "exp.summary: counts 0 openings"},
        {"saves/results.dat", "abcde", "saves/results.dat: is 5 bytes, not 12"},
        {"saves/results.dat", le({3, -1, 0}),
         "saves/results.dat: counts -1 medium-match wins, below zero"},
        {"exp.desc.de", std::string(200, '\0'), "exp.desc.de: is 200 bytes, not a whole number"},
    };
    PlayedProfile p;
    const std::string g = p.gameDir();
    std::map<std::string, std::string> sound;
    for (const char* file : {"exp.dat", "exp.summary", "exp.desc.de"})
        sound[file] = readFile(g + file);
    for (const Case& c : cases) {
        for (const auto& file : sound)
            writeFile(g + file.first, file.second);
        std::remove((g + "saves/results.dat").c_str());
        writeFile(g + c.file, c.bytes);
        Outcome r = show(p.base);
        EXPECT_EQ(r.status, ToolFailed) << c.says;
        EXPECT_NE(r.err.find("tester/tolvenar_vesperalia/" + std::string(c.says)),
                  std::string::npos)
            << r.err;
        EXPECT_EQ(r.out.find("locked"), std::string::npos) << r.out;
    }
    // A summary lost beside its items, and a second damaged file.
    for (const auto& file : sound)
        writeFile(g + file.first, file.second);
    EXPECT_EQ(show(p.base).status, ToolOk);
    std::remove((g + "exp.summary").c_str());
    writeFile(g + "saves/results.dat", "abcde");
    Outcome r = show(p.base);
    EXPECT_EQ(r.status, ToolFailed);
    EXPECT_NE(r.err.find("exp.summary: is missing, though exp.dat holds items"), std::string::npos);
    EXPECT_NE(r.err.find("results.dat: is 5 bytes"), std::string::npos) << r.err;
}

TEST(ProfileTool, CreateStoresLatin1AndRefusesWhatTheRegistryCannotHold) {
    RegistryDir dir;
    GameWorkDir work(dir.root); // lang/ with en and de
    for (const char* bad : {"Zo\xC3\xAB\xE2\x98\x83", "Zo\xE9", "\xC0\xAF", "\xED\xA0\x80", "\xC3",
                            "Tab\there", "Zoe ", ""}) {
        Outcome r = create(dir.base, bad, "de");
        EXPECT_EQ(r.status, ToolFailed) << bad;
        EXPECT_EQ(r.err.find("vesperalia-profile: the profile name "), 0u) << r.err;
    }
    EXPECT_NE(create(dir.base, "Zo\xC3\xAB\xE2\x98\x83", "de").err.find("(U+2603), which Latin-1"),
              std::string::npos);
    Outcome unknown = create(dir.base, "Zoe", "fr");
    EXPECT_EQ(unknown.status, ToolFailed);
    EXPECT_NE(unknown.err.find("'fr'; there are: de, en\n"), std::string::npos) << unknown.err;
    {
        ScopedChdir elsewhere(dir.root); // no lang/ here
        LanguageTable found;
        std::swap(languageTable, found);
        Outcome none = create(dir.base, "Zoe", "en");
        std::swap(languageTable, found);
        EXPECT_NE(none.err.find("no language files in lang/ here"), std::string::npos);
    }
    std::map<std::string, std::string> files;
    snapshot(dir.base, files);
    EXPECT_TRUE(files.empty()); // nothing written by a refusal

    Outcome made = create(dir.base, "Zo\xC3\xAB", "de");
    EXPECT_EQ(made.status, ToolOk) << made.err;
    EXPECT_EQ(made.out, "created profile zo\xC3\xAB (name Zo\xC3\xAB, language de); it is the "
                        "active one\n");
    EXPECT_EQ(readFile(dir.base + "zo\xEB/exp.cfg") + readFile(dir.base + "activeexp"),
              "name=Zo\xEB\nlang=de\nzo\xEB\n");
    sentMessages.clear();
    ASSERT_NE(openRegistry(gameAuthorText, gameTitleText), 0);
    attachNotifier(recordMessage);
    EXPECT_EQ(sentMessages, std::vector<std::string>{"0:0 Login... Zo\xEB|"}); // as drawn
    Outcome again =
        runTool(dir.base, true, [](const ToolContext& c) { return useProfile(c, "zo\xC3\xAB"); });
    EXPECT_EQ(again.out, "zo\xC3\xAB is the active profile\n");
    Outcome listed = runTool(dir.base, true, [](const ToolContext& c) { return listProfiles(c); });
    EXPECT_NE(listed.out.find("* zo\xC3\xAB                  name Zo\xC3\xAB, language de\n"),
              std::string::npos)
        << listed.out;

    // Outside a UTF-8 locale the bytes pass as they are, both ways.
    EXPECT_EQ(create(dir.base, "Ma\xEBl", "en", false).status, ToolOk);
    EXPECT_EQ(readFile(dir.base + "ma\xEBl/exp.cfg"), "name=Ma\xEBl\nlang=en\n");
    std::string all, back, why;
    for (int c = 1; c < 256; ++c)
        all.push_back(static_cast<char>(c));
    EXPECT_TRUE(argumentToLatin1(latin1ForTerminal(all, true), true, back, why) && back == all);
    EXPECT_EQ(latin1ForTerminal(all, false), all);
}
