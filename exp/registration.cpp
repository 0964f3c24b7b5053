#include <cstdio>

#include "exp/file_io.h"
#include "exp/registry.h"
#include "gfx/assets.h"
#include "localisation/language_table.h"
#include "notify/notifier.h"

const char gameAuthorText[] = "Tolvenar";
const char gameTitleText[] = "Vesperalia";

namespace {

// The game's fifteen items in registration order: 500 points together.
struct ItemRow {
    int id;
    int points;
    int flag;
};
const ItemRow gameItems[15] = {{1, 10, 0},  {2, 10, 0},  {3, 50, 0},  {4, 10, 0},  {5, 50, 0},
                               {6, 10, 0},  {7, 50, 0},  {8, 10, 0},  {9, 20, 0},  {10, 50, 0},
                               {11, 20, 0}, {12, 30, 0}, {13, 30, 0}, {14, 50, 1}, {15, 100, 1}};

// Copies an image of 24 pixels on one side; 0 when refused or nothing could be written.
int copyImage(const char* source, const std::string& destination) {
    int32_t width = 0, height = 0;
    readBmpSize(source, width, height);
    if (width != 24 && height != 24) return 0;
    std::string bytes;
    if (!readWholeFile(source, bytes)) return 0;
    return writeFileAtomic(destination, bytes) ? 1 : 0;
}

} // namespace

void readBmpSize(const char* path, int32_t& width, int32_t& height) {
    std::string bytes;
    if (!path || !readWholeFile(path, bytes, 26)) return;
    // The width and height of the BMP information header; a short file leaves them.
    if (bytes.size() >= 22) width = getLE32(bytes.data() + 18);
    if (bytes.size() >= 26) height = getLE32(bytes.data() + 22);
}

int copyItemImage(int id, const char* path) {
    if (id < 1 || id > 50 || !path) return 0;
    return copyImage(path, registry.gameDir + itemFileName(id));
}

int copyIcon(const char* path) {
    if (!path) return 0;
    return copyImage(path, registry.gameDir + "exp.icon");
}

void registerGame() {
    // Everything the registration writes reaches the card in one batch: a first start
    // rewrites each description file fifteen times, and the card sees each once.
    CardBatch registration;
    if (!openRegistry(gameAuthorText, gameTitleText)) return;
    for (const ItemRow& row : gameItems)
        registerItem(row.id, row.points, row.flag);
    for (int i = 0; i < languageTable.languageCount(); ++i) {
        languageTable.loadLanguage(i);
        for (int n = 1; n <= 15; ++n)
            setDescription(n, languageTable.getText(2 * n), languageTable.getText(2 * n + 1),
                           languageTable.languageName(i));
    }
    for (int n = 1; n <= 15; ++n) {
        char source[32];
        std::snprintf(source, sizeof source, n <= 9 ? "data/exp0%i.bmp" : "data/exp%i.bmp", n);
        copyItemImage(n, source);
    }
    copyIcon("data/exp.icon.bmp");
    setupNotifier(screenSurface);
    attachNotifier(notify);
    languageTable.selectLanguage(chosenLanguage());
}
