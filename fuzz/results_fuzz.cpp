// "results.dat" in the saves directory of an open registry (missing when the input is
// empty): loaded, counted on and saved again.
#include "exp/file_io.h"
#include "exp/registry.h"
#include "fuzz/fuzz_support.h"
#include "game/game_state.h"
#include "game/results.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    freshRegistry();
    writeProfile("name=Fuzz\nlang=en\n");
    std::string saves = testerGameDir() + "/saves/";
    makeDirs(saves);
    if (!bytes.empty()) writeBytes(saves + "results.dat", bytes);
    beginRun();
    if (!openRegistry(gameAuthorText, gameTitleText)) fuzzFail("the opening failed");
    if (resultsPath() != saves + "results.dat") fuzzFail("results.dat outside the saves folder");
    int32_t* fields[3] = {&game.shortMatchWins, &game.mediumMatchWins, &game.longMatchWins};
    for (int i = 0; i < 3; ++i)
        *fields[i] = 7 + i;
    if (loadResults() == bytes.empty()) fuzzFail("loadResults misreports the file");
    for (size_t i = 0; i < 3; ++i) {
        // Counters the file covers take its values; the others keep theirs.
        int32_t want = (i + 1) * 4 <= bytes.size() ? getLE32(bytes.data() + 4 * i)
                                                   : static_cast<int32_t>(7 + i);
        if (*fields[i] != want) fuzzFail("counter " + std::to_string(i) + " read wrongly");
        *fields[i] = static_cast<int32_t>(static_cast<uint32_t>(*fields[i]) + 1);
    }
    saveResults();
    std::string saved = readBytes(saves + "results.dat");
    for (size_t i = 0; i < 3; ++i)
        if (saved.size() != 12 || getLE32(saved.data() + 4 * i) != *fields[i])
            fuzzFail("results.dat does not hold the counters");
    checkAfterRun();
    return 0;
}
