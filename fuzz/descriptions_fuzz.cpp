// An "exp.desc." file: piece 1 is the profile's language's file ("exp.desc.en"), piece 2 the
// file of the default language (missing when empty), beside the game's fifteen items; then
// the opening and a script (piece 3) of steps.
#include "exp/file_io.h"
#include "exp/registry.h"
#include "fuzz/fuzz_support.h"

void runRegistryScript(const std::string& script);

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> p = splitInput(data, size, 3);
    freshRegistry();
    writeProfile("name=Fuzz\nlang=en\n");
    std::string dir = testerGameDir(), items;
    makeDirs(dir + "saves");
    for (int id = 1; id <= 15; ++id)
        putLE32(items, id), putLE32(items, 10), putLE32(items, 0), putLE32(items, id % 2);
    writeBytes(dir + "exp.dat", items);
    writeBytes(dir + "exp.desc.en", p[0]);
    if (!p[1].empty()) writeBytes(dir + "exp.desc.default", p[1]);
    beginRun();
    if (openRegistry(gameAuthorText, gameTitleText) != 2) fuzzFail("the opening failed");
    runRegistryScript(p[2]);
    checkAfterRun();
    return 0;
}
