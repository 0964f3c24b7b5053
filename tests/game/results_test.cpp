#include <gtest/gtest.h>

#include "game/game_state.h"
#include "game/results.h"
#include "tests/exp/exp_fixture.h"

namespace {

struct ResultsInRegistry : ::testing::Test {
    RegistryDir dir;
    std::string file;
    void SetUp() override {
        resetGameState();
        dir.profile("name=T\n");
        ASSERT_NE(openRegistry("Tolvenar", "Vesperalia"), 0);
        file = dir.gameDir() + "/saves/results.dat";
    }
    void TearDown() override { resetGameState(); }
};

} // namespace

TEST_F(ResultsInRegistry, ShortMissingAndOversizedFiles) {
    game.longMatchWins = 7;
    EXPECT_FALSE(loadResults()); // none yet: the counters keep their values
    EXPECT_EQ(game.longMatchWins, 7);

    resetGameState();
    writeFile(file, le32(9) + "\x05"); // 5 bytes: only the first counter is covered
    EXPECT_TRUE(loadResults());
    EXPECT_EQ(game.shortMatchWins, 9);
    EXPECT_EQ(game.mediumMatchWins, 0);

    writeFile(file, le32(1) + le32(2) + le32(-3) + std::string(50, '\xAA'));
    EXPECT_TRUE(loadResults());
    EXPECT_EQ(game.longMatchWins, -3);
}

TEST_F(ResultsInRegistry, InterruptedSaveKeepsTheOldCounters) {
    game.shortMatchWins = 4;
    saveResults();
    std::string before = readFile(file);
    game.shortMatchWins = 5;
    beforeRenameHook = [](const std::string&) { return false; }; // switched off here
    saveResults();
    beforeRenameHook = nullptr;
    EXPECT_EQ(readFile(file), before);
    EXPECT_EQ(readFile(dir.gameDir() + "/saves/.results.dat.tmp"), le32(5) + le32(0) + le32(0));

    saveResults(); // the next save replaces the stale temporary file
    EXPECT_EQ(readFile(file), le32(5) + le32(0) + le32(0));
    EXPECT_FALSE(pathExists(dir.gameDir() + "/saves/.results.dat.tmp"));
}

TEST(ResultsWithoutRegistry, KeptInTheWorkingDirectory) {
    resetRegistry();
    resetGameState();
    std::string tmp = makeTempDir();
    {
        ScopedChdir cd(tmp);
        game.mediumMatchWins = 3;
        saveResults();
    }
    EXPECT_EQ(readFile(tmp + "/results.dat"), le32(0) + le32(3) + le32(0));
    removeTree(tmp);
    resetGameState();
}
