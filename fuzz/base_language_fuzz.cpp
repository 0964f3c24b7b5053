// "exp.lang" (piece 1) in the game's directory of a profile whose language has no texts, so
// the opening falls back to the language it names; piece 2 is the English texts' file, piece
// 3 a script of steps.
#include "exp/file_io.h"
#include "exp/registry.h"
#include "fuzz/fuzz_support.h"

void runRegistryScript(const std::string& script);

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> p = splitInput(data, size, 3);
    freshRegistry();
    writeProfile("name=Fuzz\nlang=fr\n");
    std::string dir = testerGameDir(), items;
    makeDirs(dir + "saves");
    for (int id = 1; id <= 15; ++id)
        putLE32(items, id), putLE32(items, 10), putLE32(items, 0), putLE32(items, 0);
    writeBytes(dir + "exp.dat", items);
    writeBytes(dir + "exp.lang", p[0]);
    writeBytes(dir + "exp.desc.en", p[1]);
    beginRun();
    if (openRegistry(gameAuthorText, gameTitleText) != 2) fuzzFail("the opening failed");
    runRegistryScript(p[2]);
    checkAfterRun();
    return 0;
}
