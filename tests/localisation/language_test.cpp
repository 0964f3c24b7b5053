#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>

#include "localisation/language_table.h"
#include "tests/test_support.h"

namespace {

// Each case runs in a scratch directory with its own "lang/".
class LanguageTest : public ::testing::Test {
  protected:
    void SetUp() override { mkdir((dir + "/lang").c_str(), 0755); }
    void TearDown() override { removeTree(dir); }
    void file(const std::string& name, const std::string& bytes) {
        writeFile(dir + "/lang/" + name, bytes);
    }
    std::string dir = makeTempDir();
};

TEST_F(LanguageTest, SplitNumberRuleAndLineEnds) {
    std::string fits = "@2 " + std::string(1019, 'a') + "\r\n"; // 1023 characters before LF
    file("en", "@lang en\r\n@author Someone\r\n@1 Hello  world\r\n@3 first\r\n@3 second\r\n"
               "comment\r\n@7x seven\r\n@9  two blanks\r\n@5 lf only\n@-4 negative\r\n"
               "@99999999 huge\r\n" +
                   fits + "@6 " + std::string(1020, 'b') + "\r\n@8 after the long line\r\n");
    ScopedChdir in(dir);
    LanguageTable t;
    ASSERT_EQ(t.languageCount(), 1);
    EXPECT_STREQ(t.languageName(0), "en");
    EXPECT_EQ(t.languages[0].author, "Someone");
    t.loadLanguage(0);
    EXPECT_STREQ(t.getText(0), "Someone"); // "@author" reads as number 0
    EXPECT_STREQ(t.getText(1), "Hello  world");
    EXPECT_EQ(std::string(t.getText(2)), std::string(1019, 'a'));
    EXPECT_STREQ(t.getText(3), "second");      // a later line wins
    EXPECT_STREQ(t.getText(5), "lf onl");      // without CR the last character goes
    EXPECT_STREQ(t.getText(7), "seven");       // read in the manner of strtol
    EXPECT_STREQ(t.getText(9), " two blanks"); // the second blank belongs to the value
    EXPECT_STREQ(t.getText(6), "");            // too long: reading ends there
    EXPECT_STREQ(t.getText(8), "");
    EXPECT_EQ(t.strings.size(), 10u); // negative or huge numbers never grow the table
    EXPECT_EQ(t.getText(1000), &t.emptyText);
}

TEST_F(LanguageTest, MissingDirectoryAndUnreadableFilesLeaveTheTableUsable) {
    {
        ScopedChdir in("/");
        LanguageTable none;
        EXPECT_EQ(none.languageCount(), 0);
        none.selectLanguage("en");
        EXPECT_STREQ(none.getText(1), "");
    }
    file("a", "@lang es\r\n@1 uno\r\n");
    file("b", "@lang de\r\n@1 eins\r\n");
    ScopedChdir in(dir);
    LanguageTable t;
    ASSERT_EQ(t.languageCount(), 2);
    t.selectLanguage("es");
    int es = t.current;
    EXPECT_STREQ(t.getText(1), "uno");
    t.selectLanguage("d"); // no exact match: language 0
    EXPECT_EQ(t.current, 0);
    t.selectLanguage("es");
    t.loadLanguage(-1);
    t.loadLanguage(2);
    remove((dir + "/lang/b").c_str());
    t.selectLanguage("de"); // removed after discovery: the previous texts stay
    EXPECT_STREQ(t.getText(1), "uno");
    EXPECT_EQ(t.current, es);
}

} // namespace
