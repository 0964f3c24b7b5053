#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The exp registry: a directory tree on the SD card shared with the device's other
// software. Its files are read and written as explicit little-endian bytes.

// One registered item; 16 bytes in "exp.dat".
struct ExpItem {
    int32_t id;       // item number 1..50
    int32_t points;   // points the item is worth
    int32_t flag;     // passed at registration and stored as it is
    int32_t unlocked; // 0 locked, 1 unlocked
};

// One item's name and text in one language; 128 bytes in an "exp.desc." file.
struct ExpDescription {
    int32_t id;         // item number 1..50
    char itemName[21];  // at most 20 bytes, NUL-terminated, zero filled
    char itemText[101]; // at most 100 bytes, NUL-terminated, zero filled
    uint8_t padding[2]; // unused; written as zero
};

// The five counters of "exp.summary", in file order.
struct ExpSummary {
    int32_t unlockedCount; // items unlocked
    int32_t itemCount;     // items registered
    int32_t earnedPoints;  // points of the unlocked items
    int32_t totalPoints;   // points of the registered items
    int32_t openCount;     // successful opens by this game
};

// Where login and unlock messages go: (item, points, title, body).
typedef void (*ExpNotifyFn)(int, int, const char*, const char*);

// The registry's process-wide state; changed only by the free functions below.
struct ExpRegistry {
    std::string baseDir;                      // root of the tree, ends in "/"
    std::string profileDir;                   // active profile's directory, ends in "/"
    std::string gameAuthor;                   // author as passed to openRegistry
    std::string gameTitle;                    // title as passed to openRegistry
    std::string authorKey;                    // normalised author
    std::string titleKey;                     // normalised title
    std::string gameDir;                      // this game's directory, ends in "/"
    std::string savesDir;                     // gameDir + "/saves/"
    std::string profileName;                  // display name from "exp.cfg"
    std::string selectedLanguage;             // the profile's language, or a fallback
    std::string loadedLanguage;               // language of the records in descriptions
    std::string baseLanguage;                 // first language the game described in
    std::vector<ExpItem> items;               // registered items, in file order
    std::vector<ExpDescription> descriptions; // texts of loadedLanguage, in file order
    ExpSummary summary;                       // the counters
    int isOpen;                               // 1 once the opening wrote the summary
    ExpNotifyFn messageCallback;              // receives login and unlock messages

    ExpRegistry();
};

extern ExpRegistry registry;

// Back to the state at program start (tests use it between cases).
void resetRegistry();

// Names and paths
std::string normaliseName(const std::string& text);
std::string itemFileName(int id);                         // "001" .. "050"
std::string descriptionPath(const std::string& language); // empty when it would leave gameDir

// Queries; none changes state
const char* savesDirectory(); // null until the registry is open
const char* chosenLanguage();
const char* currentProfileName();
int isItemRegistered(int id);
int itemPoints(int id);
int isItemUnlocked(int id);
int hasDescription(int id);
const char* itemName(int id); // null when the loaded language has no description
const char* itemText(int id);

// Profile, opening and login
int openRegistry(const char* author, const char* title);
void attachNotifier(ExpNotifyFn callback);
int readActiveProfile();
int readProfileConfig();
void composeGameDirs(); // gameDir and savesDir from profileDir and the keys
void writeTitleFile();

// Item state and summary
int registerItem(int id, int points, int flag);
void unlockItem(int id);
int loadItems();
void saveItems();
int loadSummary();
void saveSummary();
void countOpen(); // one more successful open

// Item descriptions
int setDescription(int id, const char* name, const char* text, const char* language);
int setLanguage(const char* language);
int loadDescriptions();
void saveDescriptions(const std::string& language);
void flipDescriptionBytes();
int readBaseLanguage();
void writeBaseLanguage();

// Game registration
extern const char gameAuthorText[]; // "Tolvenar"
extern const char gameTitleText[];  // "Vesperalia"
void registerGame();
int copyItemImage(int id, const char* path);
int copyIcon(const char* path);
void readBmpSize(const char* path, int32_t& width, int32_t& height);
