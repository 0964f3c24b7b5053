#pragma once
#include <string>
#include <vector>

// One language found in "lang/".
struct LanguageInfo {
    std::string name;   // value of the "@lang" line; also the code the registry files use
    std::string file;   // the file's name inside "lang/"
    std::string author; // value of the "@author" line; no screen shows it
};

// The discovered languages and the numbered texts of the loaded one.
class LanguageTable {
  public:
    char emptyText;                      // always NUL; lookups out of range return its address
    int current;                         // index of the language last loaded
    std::vector<LanguageInfo> languages; // every language found, in directory order
    std::vector<std::string> strings;    // entry k is text number k of the loaded language

    LanguageTable(); // discovers the languages in "./lang"; loads no texts

    void loadLanguage(int i);
    const char* getText(unsigned k) const;
    int languageCount() const;
    const char* languageName(unsigned i) const;
    void discoverLanguages();
    void selectLanguage(const char* name);
};

extern LanguageTable languageTable;

// Header readers: the value of a file's "@lang" and "@author" lines.
std::string readLanguageName(const std::string& file);
std::string readLanguageAuthor(const std::string& file);

// Splits one raw line (with its line end, if any) the way language files are read.
void splitLanguageLine(const std::string& line, std::string& key, std::string& value);

// Texts 1..31 that the game reads.
enum { TextBanner = 1 };
