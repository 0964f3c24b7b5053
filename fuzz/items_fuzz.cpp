// "exp.dat" and "exp.summary" (pieces 1 and 2; an empty piece is a missing file) in the
// game's directory of an English profile: the opening, then a script (piece 3) of steps.
#include "exp/registry.h"
#include "fuzz/fuzz_support.h"

void runRegistryScript(const std::string& script);

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> p = splitInput(data, size, 3);
    freshRegistry();
    writeProfile("name=Fuzz\nlang=en\n");
    std::string dir = testerGameDir();
    makeDirs(dir + "saves");
    if (!p[0].empty()) writeBytes(dir + "exp.dat", p[0]);
    if (!p[1].empty()) writeBytes(dir + "exp.summary", p[1]);
    beginRun();
    int opened = openRegistry(gameAuthorText, gameTitleText);
    if (opened != (p[0].empty() ? 1 : 2)) fuzzFail("opening gave " + std::to_string(opened));
    runRegistryScript(p[2]);
    checkAfterRun();
    return 0;
}
