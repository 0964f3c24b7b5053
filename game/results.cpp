#include "game/results.h"

#include <cstdint>
#include <cstdio>
#include <string>

#include "exp/registry.h"
#include "game/game_state.h"

static std::string resultsPath() {
    const char* saves = savesDirectory();
    return std::string(saves ? saves : "") + "results.dat";
}

bool loadResults() {
    FILE* f = std::fopen(resultsPath().c_str(), "rb");
    if (!f) return false;
    int32_t* fields[3] = {&game.shortMatchWins, &game.mediumMatchWins, &game.longMatchWins};
    for (int32_t* field : fields) {
        unsigned char b[4];
        if (std::fread(b, 1, 4, f) != 4) break;
        *field = static_cast<int32_t>(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 |
                                      uint32_t(b[3]) << 24);
    }
    std::fclose(f);
    return true;
}

void saveResults() {
    FILE* f = std::fopen(resultsPath().c_str(), "wb");
    if (!f) return;
    int32_t values[3] = {game.shortMatchWins, game.mediumMatchWins, game.longMatchWins};
    for (int32_t v : values) {
        uint32_t u = static_cast<uint32_t>(v);
        unsigned char b[4] = {uint8_t(u), uint8_t(u >> 8), uint8_t(u >> 16), uint8_t(u >> 24)};
        std::fwrite(b, 1, 4, f);
    }
    std::fclose(f);
}
