#include "exp/registry.h"

#include "exp/file_io.h"

#include <cstdio>

ExpRegistry registry;

ExpRegistry::ExpRegistry()
    : baseDir("/mnt/sd/exp/"), summary{0, 0, 0, 0, 0}, isOpen(0), messageCallback(nullptr) {}

void resetRegistry() {
    registry = ExpRegistry();
    setCardJournal(std::string()); // no game directory for a journal yet
}

std::string normaliseName(const std::string& text) {
    std::string out;
    for (char c : text) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u <= 0x20) continue; // blanks and control bytes never reach a directory name
        if (u >= 'A' && u <= 'Z') u = static_cast<unsigned char>(u + 0x20);
        out.push_back(static_cast<char>(u));
    }
    return out;
}

std::string itemFileName(int id) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%03d", id);
    return buf;
}

std::string descriptionPath(const std::string& language) {
    // A language naming another directory gets no file, so writes stay in gameDir.
    if (language.find('/') != std::string::npos) return std::string();
    // "default" names the same file as the empty language; that is intended.
    return registry.gameDir + "exp.desc." + (language.empty() ? "default" : language);
}

const char* savesDirectory() {
    return registry.savesDir.empty() ? nullptr : registry.savesDir.c_str();
}

const char* chosenLanguage() {
    return registry.selectedLanguage.c_str();
}
const char* currentProfileName() {
    return registry.profileName.c_str();
}

static const ExpItem* findItem(int id) {
    for (const ExpItem& item : registry.items)
        if (item.id == id) return &item;
    return nullptr;
}

static const ExpDescription* findDescription(int id) {
    for (const ExpDescription& d : registry.descriptions)
        if (d.id == id) return &d;
    return nullptr;
}

int isItemRegistered(int id) {
    return findItem(id) ? 1 : 0;
}

int itemPoints(int id) {
    const ExpItem* item = findItem(id);
    return item ? item->points : 0;
}

int isItemUnlocked(int id) {
    const ExpItem* item = findItem(id);
    return item ? item->unlocked : 0;
}

int hasDescription(int id) {
    return findDescription(id) ? 1 : 0;
}

const char* itemName(int id) {
    const ExpDescription* d = findDescription(id);
    return d ? d->itemName : nullptr;
}

const char* itemText(int id) {
    const ExpDescription* d = findDescription(id);
    return d ? d->itemText : nullptr;
}
