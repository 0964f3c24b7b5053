#include <cstring>

#include "exp/file_io.h"
#include "exp/registry.h"

namespace {

const size_t recordSize = 128;
const size_t nameOffset = 4;
const size_t textOffset = 25;
const size_t maxBaseLanguage = 99;

void flipBytes(char* field, size_t n) {
    for (size_t i = 0; i < n; ++i)
        field[i] = static_cast<char>(~static_cast<unsigned char>(field[i]));
}

// Copies at most limit bytes of text into a zeroed field of limit + 1 bytes.
void fillField(char* field, size_t fieldSize, const char* text) {
    std::memset(field, 0, fieldSize);
    if (!text) return;
    size_t n = std::strlen(text);
    if (n > fieldSize - 1) n = fieldSize - 1;
    std::memcpy(field, text, n);
}

ExpDescription decodeRecord(const char* r) {
    ExpDescription d;
    d.id = getLE32(r);
    std::memcpy(d.itemName, r + nameOffset, sizeof d.itemName);
    std::memcpy(d.itemText, r + textOffset, sizeof d.itemText);
    std::memcpy(d.padding, r + 126, sizeof d.padding);
    return d;
}

void encodeRecord(std::string& out, const ExpDescription& d) {
    putLE32(out, d.id);
    out.append(d.itemName, sizeof d.itemName);
    out.append(d.itemText, sizeof d.itemText);
    out.append(reinterpret_cast<const char*>(d.padding), sizeof d.padding);
}

} // namespace

void flipDescriptionBytes() {
    for (ExpDescription& d : registry.descriptions) {
        flipBytes(d.itemName, sizeof d.itemName);
        flipBytes(d.itemText, sizeof d.itemText);
    }
}

int loadDescriptions() {
    registry.descriptions.clear();
    std::string path = descriptionPath(registry.loadedLanguage);
    std::string bytes;
    if (path.empty() || !readWholeFile(path, bytes)) return 0;
    for (size_t at = 0; at + recordSize <= bytes.size(); at += recordSize)
        registry.descriptions.push_back(decodeRecord(bytes.data() + at));
    flipDescriptionBytes();
    // A stored field need not end in a NUL; the texts handed out must.
    for (ExpDescription& d : registry.descriptions) {
        d.itemName[sizeof d.itemName - 1] = 0;
        d.itemText[sizeof d.itemText - 1] = 0;
    }
    return 1;
}

void saveDescriptions(const std::string& language) {
    std::string path = descriptionPath(language);
    flipDescriptionBytes();
    std::string bytes;
    for (const ExpDescription& d : registry.descriptions)
        encodeRecord(bytes, d);
    flipDescriptionBytes();
    if (!path.empty()) writeFileAtomic(path, bytes);
}

int setDescription(int id, const char* name, const char* text, const char* language) {
    if (!registry.isOpen || id < 1 || id > 50) return 0; // no game directory to write in
    std::string lang = language ? language : "";
    if (lang.find('/') != std::string::npos) return 0; // its file would lie outside gameDir
    if (registry.loadedLanguage != lang) {
        registry.loadedLanguage = lang;
        loadDescriptions();
    }
    if (hasDescription(id)) return 0; // an existing text is never replaced
    if (registry.baseLanguage.empty()) {
        registry.baseLanguage = language ? language : "default";
        writeBaseLanguage();
    }
    ExpDescription d;
    d.id = id;
    fillField(d.itemName, sizeof d.itemName, name);
    fillField(d.itemText, sizeof d.itemText, text);
    d.padding[0] = d.padding[1] = 0;
    registry.descriptions.push_back(d);
    saveDescriptions(lang);
    return 1;
}

int setLanguage(const char* language) {
    registry.selectedLanguage = language ? language : "default";
    registry.loadedLanguage = registry.selectedLanguage;
    loadDescriptions();
    return 1;
}

int readBaseLanguage() {
    std::string line;
    if (!readFirstLine(registry.gameDir + "exp.lang", line)) return 0;
    registry.baseLanguage = line;
    return 1;
}

void writeBaseLanguage() {
    // A longer name would come back cut and name another language's file: not written.
    if (registry.baseLanguage.size() > maxBaseLanguage) return;
    writeFileAtomic(registry.gameDir + "exp.lang", registry.baseLanguage);
}
