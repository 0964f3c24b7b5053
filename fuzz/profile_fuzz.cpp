// "activeexp" and "exp.cfg" (pieces 1 and 2): the opening and the whole registration of the
// game, then a script (piece 3) of unlocks, registrations, descriptions in the profile's
// language and language changes, two bytes a step.
//
// The game is already registered as its first start leaves it, in profile "tester" and in
// the base itself (the profile of an empty first line): every opening takes the path of a
// later start. A first registration's writes are the items and descriptions targets' work,
// and cost several times a later start's; the item images, which the bmp target copies, are
// not installed.
#include <cstdint>
#include <utility>

#include "exp/registry.h"
#include "fuzz/fuzz_support.h"
#include "localisation/language_table.h"
#include "notify/notifier.h"

void runRegistryScript(const std::string& script); // shared with the other registry targets

namespace {

// The files of the game's directory in profile "tester" after its first run, relative to
// it; directories end in "/".
std::vector<std::pair<std::string, std::string>> registeredGame() {
    freshRegistry();
    writeProfile("name=Tester\nlang=en\n");
    registerGame();
    std::vector<std::pair<std::string, std::string>> files;
    listFiles(testerGameDir(), files);
    freshRegistry();
    return files;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::vector<std::pair<std::string, std::string>> registered = registeredGame();
    const ScratchTree& t = scratch();
    std::vector<std::string> p = splitInput(data, size, 3);
    freshRegistry();
    // Only the profile the first line names is laid out (no other can be opened), the line
    // read as the registry reads it; were it read otherwise, a game would merely be
    // registered from scratch.
    const std::string line = p[0].substr(0, p[0].find_first_of(std::string("\n\0", 2)));
    for (const std::string& dir : {testerGameDir(), t.base + "tolvenar_vesperalia/"}) {
        if (dir == testerGameDir() ? line != "tester" : line != "" && line != ".") continue;
        makeDirs(dir);
        for (const auto& [path, bytes] : registered) {
            if (path.back() == '/')
                makeDirs(dir + path);
            else
                writeBytes(dir + path, bytes);
        }
    }
    makeDirs(t.base + "tester");
    writeBytes(t.base + "activeexp", p[0]);
    writeBytes(t.base + "tester/exp.cfg", p[1]);
    writeBytes(t.base + "exp.cfg", p[1]); // for a profile naming the base itself
    beginRun();
    registerGame();
    runRegistryScript(p[2]);
    checkAfterRun();
    return 0;
}
