// A first start in a profile of each shipped language, made as the launchers make it, with
// the checkout's own lang/ and data/.
#include <gtest/gtest.h>

#include "exp/profile_tool/commands.h"
#include "tests/exp/exp_fixture.h"

TEST(DataLanguages, AFirstStartInAnyLanguageDescribesEveryItemInAllAndSpeaksThatOne) {
    languageTable = LanguageTable(); // found again in the checkout
    ASSERT_EQ(languageTable.languageCount(), 7);
    for (const std::string code : {"fr", "it", "pt", "nl", "en", "es", "de"}) {
        SCOPED_TRACE(code);
        RegistryDir dir;
        ToolContext tool;
        tool.base = dir.base;
        tool.out = std::tmpfile();
        ASSERT_EQ(createProfile(tool, "Ana", code), ToolOk);
        std::fclose(tool.out);
        dir.fresh();
        languageTable.loadLanguage(0);
        registerGame();

        ASSERT_TRUE(registry.isOpen);
        std::string g = registry.gameDir;
        EXPECT_EQ(readFile(g + "exp.lang"), languageTable.languageName(0));
        for (int i = 0; i < languageTable.languageCount(); ++i)
            EXPECT_EQ(readFile(g + "exp.desc." + languageTable.languageName(i)).size(), 15 * 128u)
                << languageTable.languageName(i);
        // The interface speaks the profile's language, and so does the Notifier.
        EXPECT_EQ(languageTable.languageName(languageTable.current), code);
        std::string desc = readFile(g + "exp.desc." + code);
        for (int n = 1; n <= 15 && desc.size() == 15 * 128u; ++n) {
            std::string record = desc.substr((n - 1) * 128, 128);
            for (size_t k = 4; k < 126; ++k)
                record[k] = static_cast<char>(~record[k]);
            EXPECT_EQ(record.substr(0, 4), le({n}));
            EXPECT_EQ(record.c_str() + 4, std::string(languageTable.getText(2 * n)));
            EXPECT_EQ(record.c_str() + 25, std::string(languageTable.getText(2 * n + 1)));
        }
        sentMessages.clear();
        attachNotifier(recordMessage);
        unlockItem(15);
        EXPECT_EQ(sentMessages.back(), std::string("15:100 ") + languageTable.getText(30) + "|" +
                                           languageTable.getText(31));
        shutdownNotifier();
    }
    languageTable = LanguageTable();
}
