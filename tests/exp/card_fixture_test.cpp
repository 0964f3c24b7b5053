// The registry's and the Results' files after each moment of play, byte for byte against
// trees recorded from the build before the writes were gathered into batches. With
// VESPERALIA_RECORD_FIXTURES=1 the case writes the trees instead.
#include <cstdlib>
#include <gtest/gtest.h>
#include <unistd.h>

#include "tests/exp/card_tree.h"

TEST(CardFixtures, EveryFileAfterEachMomentIsTheRecordedOne) {
    char cwd[4096];
    ASSERT_TRUE(getcwd(cwd, sizeof cwd));
    const std::string fixtures = std::string(cwd) + "/tests/exp/fixtures/";
    const bool record = std::getenv("VESPERALIA_RECORD_FIXTURES") != nullptr;
    RegistryDir dir;
    ThreeLanguageWork work(dir.root);
    ASSERT_EQ(languageTable.languageCount(), 3);
    cardProfile(dir);
    for (const char* stage : cardStages) {
        SCOPED_TRACE(stage);
        runCardStage(dir, stage);
        CardTree tree = comparable(treeOf(dir.base));
        const std::string path = fixtures + stage + ".tree";
        if (record) {
            writeFile(path, packTree(tree));
            continue;
        }
        CardTree expected = unpackTree(readFile(path));
        ASSERT_FALSE(expected.empty()) << "no fixture " << path;
        for (const auto& [name, bytes] : expected) {
            auto found = tree.find(name);
            if (found == tree.end())
                ADD_FAILURE() << name << " is missing";
            else
                EXPECT_TRUE(found->second == bytes) << name << " differs";
        }
        for (const auto& entry : tree)
            EXPECT_TRUE(expected.count(entry.first)) << entry.first << " is not in the fixture";
    }
    resetGame();
}
