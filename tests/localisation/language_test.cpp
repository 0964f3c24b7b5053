#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>

#include "localisation/language_table.h"
#include "tests/test_support.h"

namespace {

// Each case runs in a scratch directory with its own "lang/".
class LanguageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = makeTempDir();
        mkdir((dir + "/lang").c_str(), 0755);
    }
    void TearDown() override { removeTree(dir); }
    void file(const std::string& name, const std::string& bytes) {
        writeFile(dir + "/lang/" + name, bytes);
    }
    std::string dir;
};

TEST_F(LanguageTest, KeyValueSplitAndNumberRule) {
    file("en", "@lang en\r\n@author Someone\r\n@1 Hello  world\r\n@5 five\r\n"
               "@3 first\r\n@3 second\r\ncomment line\r\n@7x seven\r\n@ 9 nine\r\n"
               "@x zero\r\n@2  two blanks\r\n@-4 negative\r\n@99999999 huge\r\n");
    ScopedChdir in(dir);
    LanguageTable t;
    ASSERT_EQ(t.languageCount(), 1);
    EXPECT_STREQ(t.languageName(0), "en");
    EXPECT_EQ(t.languages[0].author, "Someone");
    t.loadLanguage(0);
    EXPECT_STREQ(t.getText(1), "Hello  world");
    EXPECT_STREQ(t.getText(2), " two blanks"); // the second blank belongs to the value
    EXPECT_STREQ(t.getText(3), "second");      // a later line wins
    EXPECT_STREQ(t.getText(4), "");
    EXPECT_STREQ(t.getText(5), "five");
    EXPECT_STREQ(t.getText(7), "seven");
    // "@ 9" splits at its blank and reads as 0, like "@x", which came last.
    EXPECT_STREQ(t.getText(0), "zero");
    EXPECT_STREQ(t.getText(9), "");
    EXPECT_EQ(t.strings.size(), 8u); // numbers out of range never grow the table
    EXPECT_STREQ(t.getText(1000), "");
    EXPECT_EQ(t.getText(1000), &t.emptyText);
}

TEST_F(LanguageTest, SplitEdgeCases) {
    std::string key, value;
    splitLanguageLine("@1 text\n", key, value); // LF only: the last character goes
    EXPECT_EQ(key, "@1");
    EXPECT_EQ(value, "tex");
    splitLanguageLine(" @1 x\r\n", key, value); // a leading blank is not the split
    EXPECT_EQ(key, " @1");
    EXPECT_EQ(value, "x");
    splitLanguageLine("@lang\r\n", key, value);
    EXPECT_EQ(key, "@lang\r");
    EXPECT_EQ(value, "@lang");
    splitLanguageLine("@4 last", key, value); // last line without a line end
    EXPECT_EQ(value, "las");
}

TEST_F(LanguageTest, LineLimitEndsTheReading) {
    std::string fits = "@2 " + std::string(1019, 'a') + "\r\n"; // 1023 characters before LF
    std::string tooLong = "@3 " + std::string(1020, 'b') + "\r\n";
    file("en", "@lang en\r\n@1 one\r\n" + fits + tooLong + "@4 four\r\n");
    ScopedChdir in(dir);
    LanguageTable t;
    t.loadLanguage(0);
    EXPECT_STREQ(t.getText(1), "one");
    EXPECT_EQ(std::string(t.getText(2)), std::string(1019, 'a'));
    EXPECT_STREQ(t.getText(3), "");
    EXPECT_STREQ(t.getText(4), "");
}

TEST_F(LanguageTest, MissingDirectoryAndFilesLeaveTheTableUsable) {
    {
        ScopedChdir in("/");
        LanguageTable none;
        EXPECT_EQ(none.languageCount(), 0);
        none.loadLanguage(0);
        none.selectLanguage("en");
        EXPECT_STREQ(none.getText(1), "");
        EXPECT_STREQ(none.languageName(0), "");
    }
    file("a", "@lang es\r\n@1 uno\r\n");
    mkdir((dir + "/lang/sub").c_str(), 0755);
    ScopedChdir in(dir);
    LanguageTable t;
    ASSERT_EQ(t.languageCount(), 2); // the subdirectory counts, with empty headers
    int real = std::string(t.languageName(0)) == "es" ? 0 : 1;
    t.loadLanguage(real);
    t.loadLanguage(-1);
    t.loadLanguage(2);
    EXPECT_EQ(t.current, real);
    t.loadLanguage(1 - real); // a directory opens but reads nothing: no texts
    EXPECT_STREQ(t.getText(1), "");
    t.loadLanguage(real);
    remove((dir + "/lang/a").c_str());
    t.loadLanguage(real); // removed after discovery: previous texts stay
    EXPECT_STREQ(t.getText(1), "uno");
}

TEST_F(LanguageTest, SelectionMatchesNamesExactlyElseLanguageZero) {
    file("one", "@lang de\r\n@1 eins\r\n");
    file("two", "@lang deu\r\n@1 zwei\r\n");
    ScopedChdir in(dir);
    LanguageTable t;
    ASSERT_EQ(t.languageCount(), 2);
    t.selectLanguage("deu");
    EXPECT_STREQ(t.getText(1), "zwei");
    t.selectLanguage("de");
    EXPECT_STREQ(t.getText(1), "eins");
    t.selectLanguage("d");
    EXPECT_EQ(t.current, 0);
    t.selectLanguage(nullptr);
    EXPECT_EQ(t.current, 0);
}

} // namespace
