// "activeexp" and "exp.cfg" (pieces 1 and 2): the opening and the whole registration of the
// game, then a script (piece 3) of unlocks, registrations, descriptions in the profile's
// language and language changes, two bytes a step.
#include <cstdint>

#include "exp/registry.h"
#include "fuzz/fuzz_support.h"
#include "localisation/language_table.h"
#include "notify/notifier.h"

void runRegistryScript(const std::string& script); // shared with the other registry targets

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool ready = (installGameFiles(), true);
    (void)ready;
    const ScratchTree& t = scratch();
    std::vector<std::string> p = splitInput(data, size, 3);
    freshRegistry();
    writeBytes(t.base + "activeexp", p[0]);
    makeDirs(t.base + "tester");
    writeBytes(t.base + "tester/exp.cfg", p[1]);
    writeBytes(t.base + "exp.cfg", p[1]); // for a profile naming the base itself
    beginRun();
    registerGame();
    runRegistryScript(p[2]);
    checkAfterRun();
    return 0;
}
