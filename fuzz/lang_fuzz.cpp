// Language files: up to three files in lang/ (pieces of the input), discovered, loaded, looked
// up and selected as start-up and registration do.
#include <cstring>
#include <string>

#include "fuzz/fuzz_support.h"
#include "localisation/language_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const ScratchTree& t = scratch();
    static const char* const names[3] = {"english", "spanish", "german"};
    std::vector<std::string> files = splitInput(data, size, 3);
    makeDirs(t.work + "lang");
    emptyDirectory(t.work + "lang");
    for (int i = 0; i < 3; ++i)
        if (i == 0 || !files[i].empty()) writeBytes(t.work + "lang/" + names[i], files[i]);
    beginRun();

    LanguageTable table; // discovers ./lang
    const int count = table.languageCount();
    if (count < 1 || count > 3) fuzzFail("languages found: " + std::to_string(count));
    for (int i = 0; i < count; ++i) {
        table.loadLanguage(i);
        if (table.current != i) fuzzFail("language " + std::to_string(i) + " did not load");
        if (table.strings.size() > 4096) fuzzFail("text table grew past 4096 entries");
        for (unsigned k = 0; k < 40; ++k)
            if (std::strlen(table.getText(k)) > 1022) fuzzFail("a text longer than its line");
        if (*table.getText(static_cast<unsigned>(table.strings.size())) || *table.getText(~0u))
            fuzzFail("a text out of range is not empty");
        if (std::strlen(table.languageName(i)) > 1022) fuzzFail("a name longer than its line");
    }
    if (*table.languageName(static_cast<unsigned>(count))) fuzzFail("a name out of range");

    // Selection: the first language of that name, else language 0. Each expectation asks
    // the table which languages carry the name, as the files may carry any name.
    std::string wanted = table.languageName(static_cast<unsigned>(count - 1));
    // No file carries this one: a name ends with its line, and a line holds at most 1023
    // characters.
    const std::string unknown(1100, '\xff');
    for (const char* name :
         {wanted.c_str(), "", static_cast<const char*>(nullptr), unknown.c_str()}) {
        table.selectLanguage(name);
        int expected = 0;
        for (int i = count - 1; i >= 0; --i)
            if (table.languages[i].name == (name ? name : "")) expected = i;
        if (table.current != expected)
            fuzzFail("selection picked language " + std::to_string(table.current) + ", not " +
                     std::to_string(expected));
    }
    if (table.current != 0) fuzzFail("an unknown language did not fall back to language 0");
    checkAfterRun();
    return 0;
}
