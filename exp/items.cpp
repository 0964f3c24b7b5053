#include <cstdint>

#include "exp/file_io.h"
#include "exp/registry.h"

namespace {

const int maxItemId = 50;
const int64_t pointsBudget = 1000;

bool validId(int id) {
    return id >= 1 && id <= maxItemId;
}

// Counters read from a damaged file may sit at the limit; they wrap as 32-bit values.
void addTo(int32_t& counter, int32_t amount) {
    counter = static_cast<int32_t>(static_cast<uint32_t>(counter) + static_cast<uint32_t>(amount));
}

} // namespace

int registerItem(int id, int points, int flag) {
    // Without an open registry there is no game directory: the files would land in the
    // working directory.
    if (!registry.isOpen || !validId(id)) return 0;
    if (isItemRegistered(id)) return 0;
    // The budget bounds what registration raises: the points of all registered items.
    if (int64_t(registry.summary.totalPoints) + points > pointsBudget) return 0;
    registry.items.push_back(ExpItem{id, points, flag, 0});
    addTo(registry.summary.totalPoints, points);
    addTo(registry.summary.itemCount, 1);
    saveItems();
    saveSummary();
    return 1;
}

void unlockItem(int id) {
    if (!registry.isOpen || !validId(id)) return;
    // Back to the profile's language first, so the message speaks it when the game can.
    if (registry.selectedLanguage != registry.loadedLanguage) {
        registry.loadedLanguage = registry.selectedLanguage;
        if (!loadDescriptions()) setLanguage(registry.baseLanguage.c_str());
    }
    ExpItem* item = nullptr;
    for (ExpItem& candidate : registry.items) {
        if (candidate.id == id) {
            item = &candidate;
            break;
        }
    }
    if (!item || item->unlocked != 0) return;
    item->unlocked = 1;
    addTo(registry.summary.unlockedCount, 1);
    addTo(registry.summary.earnedPoints, item->points);
    {
        CardBatch both; // the items and the counters reach the card together
        saveItems();
        saveSummary();
    }
    if (!registry.messageCallback) return;
    for (const ExpDescription& d : registry.descriptions) {
        if (d.id == id) {
            registry.messageCallback(id, item->points, d.itemName, d.itemText);
            return;
        }
    }
}

int loadItems() {
    std::string bytes;
    if (!readWholeFile(registry.gameDir + "exp.dat", bytes)) return 0;
    // A trailing partial record is ignored; ids are taken as stored.
    for (size_t at = 0; at + 16 <= bytes.size(); at += 16) {
        const char* r = bytes.data() + at;
        registry.items.push_back(
            ExpItem{getLE32(r), getLE32(r + 4), getLE32(r + 8), getLE32(r + 12)});
    }
    return 1;
}

void saveItems() {
    std::string bytes;
    for (const ExpItem& item : registry.items) {
        putLE32(bytes, item.id);
        putLE32(bytes, item.points);
        putLE32(bytes, item.flag);
        putLE32(bytes, item.unlocked);
    }
    writeFileAtomic(registry.gameDir + "exp.dat", bytes);
}

int loadSummary() {
    std::string bytes;
    if (!readWholeFile(registry.gameDir + "exp.summary", bytes, 20)) return 0;
    int32_t* counters[5] = {&registry.summary.unlockedCount, &registry.summary.itemCount,
                            &registry.summary.earnedPoints, &registry.summary.totalPoints,
                            &registry.summary.openCount};
    // A short file sets the counters it covers; the others keep their values.
    for (size_t i = 0; i < 5 && (i + 1) * 4 <= bytes.size(); ++i)
        *counters[i] = getLE32(bytes.data() + i * 4);
    return 1;
}

void countOpen() {
    addTo(registry.summary.openCount, 1);
}

void saveSummary() {
    const ExpSummary& s = registry.summary;
    std::string bytes;
    putLE32(bytes, s.unlockedCount);
    putLE32(bytes, s.itemCount);
    putLE32(bytes, s.earnedPoints);
    putLE32(bytes, s.totalPoints);
    putLE32(bytes, s.openCount);
    writeFileAtomic(registry.gameDir + "exp.summary", bytes);
    // The device's software watches this marker for changes; it stays empty.
    touchEmptyFile(registry.profileDir + "update");
}
