#include <cstring>

#include "exp/registry.h"
#include "fuzz/fuzz_support.h"
#include "localisation/language_table.h"
#include "notify/notifier.h"

// Runs the registry's operations as a script of up to sixteen two-byte steps (operation,
// item): enough to combine every kind of step, few enough writes to keep a run quick. Then
// checks what the queries and the queued messages hand out.
void runRegistryScript(const std::string& script) {
    for (size_t i = 0; i + 1 < script.size() && i < 32; i += 2) {
        unsigned char op = static_cast<unsigned char>(script[i]);
        unsigned char arg = static_cast<unsigned char>(script[i + 1]);
        int id = arg % 53 - 1; // -1 .. 51
        std::string language = chosenLanguage();
        switch (op % 8) {
        case 0:
            unlockItem(id);
            break;
        case 1:
            registerItem(id, static_cast<signed char>(arg) * 4, op >> 7);
            break;
        case 2:
            setDescription(id, "Fuzzed name", "Fuzzed text of the item", language.c_str());
            break;
        case 3:
            setDescription(id, "N", "T", languageTable.languageName(arg % 4));
            break;
        case 4:
            setLanguage(languageTable.languageName(arg % 4));
            break;
        case 5:
            setLanguage(language.c_str());
            break;
        case 6:
            attachNotifier(notify);
            break;
        default:
            attachNotifier(nullptr);
            break;
        }
    }
    for (int id = -1; id <= 51; ++id) {
        const char* name = itemName(id);
        const char* text = itemText(id);
        if ((name != nullptr) != (hasDescription(id) == 1) || (name && std::strlen(name) > 20) ||
            (text && std::strlen(text) > 100))
            fuzzFail("item " + std::to_string(id) + " hands out a bad text");
        if (isItemUnlocked(id) && !isItemRegistered(id)) fuzzFail("unlocked but not registered");
    }
    for (const NotifyMessage& m : messageQueue)
        if (m.item != 0 && (m.heading.size() > 20 || m.line1.size() + m.line2.size() > 100))
            fuzzFail("an unlock message longer than its record");
}
