#include "localisation/language_table.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>

LanguageTable languageTable;

namespace {

// Highest text number a file may set; larger or negative ones are ignored, so a
// stray line can never grow the table without bound or write outside it.
const long maxTextNumber = 4095;

// Reads lines into a 1024-byte buffer, as the language files have always been read.
// Returns false at end of file, on a read error or on a line of more than 1023 characters.
bool readLine(FILE* f, std::string& line) {
    char buf[1024];
    if (!std::fgets(buf, sizeof buf, f)) return false;
    size_t n = std::strlen(buf);
    if (n == sizeof buf - 1 && buf[n - 1] != '\n') {
        // 1023 characters without their line feed: a longer line unless the file ends here.
        int c = std::fgetc(f);
        if (c != '\n' && c != EOF) return false;
    }
    line.assign(buf, n);
    return true;
}

std::string readHeader(const std::string& file, const char* wanted) {
    std::string result;
    FILE* f = std::fopen(("lang/" + file).c_str(), "r");
    if (!f) return result;
    std::string line, key, value;
    while (readLine(f, line)) {
        splitLanguageLine(line, key, value);
        if (key == wanted) {
            result = value;
            break;
        }
    }
    std::fclose(f);
    return result;
}

} // namespace

void splitLanguageLine(const std::string& line, std::string& key, std::string& value) {
    // Strip the line feed that fgets keeps; the last remaining character (the CR of
    // CR LF, or whatever else stands last) is dropped from the value on purpose.
    std::string body = line;
    if (!body.empty() && body.back() == '\n') body.pop_back();
    size_t blank = body.size() > 1 ? body.find(' ', 1) : std::string::npos;
    if (blank == std::string::npos) {
        key = body;
        value = body.empty() ? std::string() : body.substr(0, body.size() - 1);
        return;
    }
    key = body.substr(0, blank);
    std::string rest = body.substr(blank + 1);
    value = rest.empty() ? std::string() : rest.substr(0, rest.size() - 1);
}

LanguageTable::LanguageTable() : emptyText(0), current(0) {
    discoverLanguages();
    emptyText = 0;
}

void LanguageTable::discoverLanguages() {
    DIR* dir = opendir("./lang");
    if (!dir) return;
    while (dirent* entry = readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
        LanguageInfo info;
        info.file = entry->d_name;
        info.name = readLanguageName(info.file);
        info.author = readLanguageAuthor(info.file);
        languages.push_back(info);
    }
    closedir(dir);
}

void LanguageTable::loadLanguage(int i) {
    if (static_cast<unsigned>(i) >= languages.size()) return;
    FILE* f = std::fopen(("lang/" + languages[i].file).c_str(), "r");
    if (!f) return;
    current = i;
    strings.clear();
    std::string line, key, value;
    while (readLine(f, line)) {
        splitLanguageLine(line, key, value);
        if (key.empty() || key[0] != '@') continue; // comment lines
        if (key == "@lang") continue;
        // "@author" and "@x" read as number 0, "@7x" as 7, in the manner of strtol.
        long n = std::strtol(key.c_str() + 1, nullptr, 10);
        if (n < 0 || n > maxTextNumber) continue;
        if (static_cast<size_t>(n) >= strings.size()) strings.resize(n + 1);
        strings[n] = value;
    }
    std::fclose(f);
}

const char* LanguageTable::getText(unsigned k) const {
    return k < strings.size() ? strings[k].c_str() : &emptyText;
}

int LanguageTable::languageCount() const {
    return static_cast<int>(languages.size());
}

const char* LanguageTable::languageName(unsigned i) const {
    return i < languages.size() ? languages[i].name.c_str() : &emptyText;
}

void LanguageTable::selectLanguage(const char* name) {
    std::string wanted = name ? name : "";
    for (int i = 0; i < languageCount(); ++i) {
        if (languages[i].name == wanted) {
            loadLanguage(i);
            return;
        }
    }
    loadLanguage(0);
}

std::string readLanguageName(const std::string& file) {
    return readHeader(file, "@lang");
}
std::string readLanguageAuthor(const std::string& file) {
    return readHeader(file, "@author");
}
