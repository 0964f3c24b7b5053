#include "game/results.h"

#include <cstdint>

#include "exp/file_io.h"
#include "exp/registry.h"
#include "game/game_state.h"

std::string resultsPath() {
    const char* saves = savesDirectory();
    return std::string(saves ? saves : "") + "results.dat";
}

bool loadResults() {
    std::string bytes;
    if (!readWholeFile(resultsPath(), bytes, 12)) return false;
    int32_t* fields[3] = {&game.shortMatchWins, &game.mediumMatchWins, &game.longMatchWins};
    for (size_t i = 0; i < 3 && (i + 1) * 4 <= bytes.size(); ++i)
        *fields[i] = getLE32(bytes.data() + i * 4);
    return true;
}

void saveResults() {
    std::string bytes;
    putLE32(bytes, game.shortMatchWins);
    putLE32(bytes, game.mediumMatchWins);
    putLE32(bytes, game.longMatchWins);
    writeFileAtomic(resultsPath(), bytes);
}
