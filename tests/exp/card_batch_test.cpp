// Batches on the card: a game killed at any step of a start, an unlock or a win leaves
// every file as it was or as it will be, and the next start makes the card what it would
// have been without the kill; failed writes and flushes leave the old files standing.
#include <csignal>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/exp/card_tree.h"

namespace {

// Kills the process at its killAtStep-th step, or at its first rename when that is 0.
int killAtStep = 0, stepsSeen = 0;
bool killingHook(CardStep step, const std::string&) {
    ++stepsSeen;
    if (stepsSeen == killAtStep || (killAtStep == 0 && step == CardRename)) raise(SIGKILL);
    return true;
}

// Fails every step of one kind on files whose path holds the text.
CardStep failingStep;
std::string failingPath;
bool failingHook(CardStep step, const std::string& path) {
    return !(step == failingStep && path.find(failingPath) != std::string::npos);
}

// The stages that come before the one under test, in a fresh copy of the profile.
struct Lead {
    RegistryDir& dir;
    int stage; // index in cardStages of the stage under test
    void run() const {
        removeTree(dir.base);
        dir.fresh();
        cardProfile(dir);
        for (int i = 0; i < stage; ++i)
            runCardStage(dir, cardStages[i]);
    }
};

CardTree restartedTree(RegistryDir& dir) {
    runCardStage(dir, "later-start");
    return comparable(treeOf(dir.base));
}

// Runs the stage in a child that the fault hook kills at the given step; false when the
// stage ended before it.
bool killedAt(RegistryDir& dir, const char* stage, int step) {
    std::fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        killAtStep = step;
        stepsSeen = 0;
        setCardFaultHook(killingHook);
        runCardStage(dir, stage);
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

std::string summaryOf(const CardTree& tree) {
    auto s = tree.find("tester/tolvenar_vesperalia/exp.summary");
    return s == tree.end() ? "none" : s->second;
}

} // namespace

TEST(CardBatches, AKillAtAnyStepIsCompletedOrUndoneByTheNextStart) {
    RegistryDir dir;
    ThreeLanguageWork work(dir.root);
    for (int stage : {0, 1, 2, 3}) { // a first start, a later start, an unlock, a win
        SCOPED_TRACE(cardStages[stage]);
        Lead lead{dir, stage};
        lead.run();
        CardTree before = comparable(treeOf(dir.base)), undone = restartedTree(dir);
        lead.run();
        runCardStage(dir, cardStages[stage]);
        CardTree after = comparable(treeOf(dir.base)), completed = restartedTree(dir);
        ASSERT_NE(undone, completed);
        int step = 1, kills = 0;
        for (; step < 200; ++step) {
            lead.run();
            if (!killedAt(dir, cardStages[stage], step)) break;
            ++kills;
            // Left by the kill: every registry file as it was or as it will be.
            CardTree cut = comparable(treeOf(dir.base));
            for (const auto& [path, bytes] : cut) {
                if (path.find("/.") != std::string::npos) continue; // temporary files, journal
                bool old = before.count(path) && before[path] == bytes;
                bool next = after.count(path) && after[path] == bytes;
                EXPECT_TRUE(old || next) << path << " after a kill at step " << step;
            }
            CardTree restarted = restartedTree(dir);
            EXPECT_TRUE(restarted == undone || restarted == completed)
                << "kill at step " << step << ": summary " << summaryOf(restarted).size();
        }
        const int fewest[4] = {40, 4, 7, 9}; // steps of each stage with its whole-system flush
        EXPECT_GE(kills, fewest[stage]);
        EXPECT_LT(step, 200);
    }
    resetGame();
}

TEST(CardBatches, AJournalCutShortUndoesItsBatch) {
    RegistryDir dir;
    ThreeLanguageWork work(dir.root);
    Lead lead{dir, 2}; // the unlock: two files and the journal, then their flush
    lead.run();
    CardTree undone = restartedTree(dir);
    lead.run();
    ASSERT_TRUE(killedAt(dir, "unlock", 0)); // just before the first rename
    const std::string journal = dir.gameDir() + ".batch.journal";
    std::string bytes = readFile(journal);
    ASSERT_GT(bytes.size(), 20u);
    writeFile(journal, bytes.substr(0, bytes.size() - 1));
    EXPECT_EQ(restartedTree(dir), undone);
    resetGame();
}

TEST(CardBatches, FailedWritesAndFlushesLeaveTheOldFiles) {
    RegistryDir dir;
    ThreeLanguageWork work(dir.root);
    // A write failing half way through one of an unlock's files, then a flush failing under
    // a win: nothing of either batch reaches the card, nothing is left beside the files.
    const struct {
        int stage;
        CardStep step;
        const char* path;
    } faults[] = {{2, CardTempWrite, ".exp.summary.tmp"}, {3, CardFlush, "/"}};
    for (const auto& f : faults) {
        SCOPED_TRACE(cardStages[f.stage]);
        Lead{dir, f.stage}.run();
        CardTree before = treeOf(dir.base);
        failingStep = f.step;
        failingPath = f.path;
        setCardFaultHook(failingHook);
        runCardStage(dir, cardStages[f.stage]);
        setCardFaultHook(nullptr);
        EXPECT_EQ(treeOf(dir.base), before);
    }
    // What the failed unlock kept in memory is written whole by the next change.
    Lead{dir, 2}.run();
    failingStep = CardTempWrite;
    failingPath = ".exp.dat.tmp";
    setCardFaultHook(failingHook);
    unlockItem(15);
    setCardFaultHook(nullptr);
    unlockItem(14);
    EXPECT_EQ(readFile(dir.gameDir() + "exp.summary"), le({2, 15, 150, 500, 2}));
    EXPECT_EQ(readFile(dir.gameDir() + "exp.dat").substr(13 * 16, 32),
              le({14, 50, 1, 1, 15, 100, 1, 1}));

    // A first start whose flush fails leaves only the directories, and the next start
    // registers the game as if it were the first.
    Lead first{dir, 0};
    first.run();
    CardTree fresh = restartedTree(dir);
    first.run();
    failingStep = CardFlush;
    failingPath = "/";
    setCardFaultHook(failingHook);
    runCardStage(dir, "first-start");
    setCardFaultHook(nullptr);
    EXPECT_EQ(treeOf(dir.gameDir()), (CardTree{{"saves/", ""}}));
    EXPECT_EQ(restartedTree(dir), fresh);

    // A file that cannot be created stays as it was; the rest of its batch is written.
    Lead{dir, 3}.run();
    mkdir((dir.gameDir() + "/saves/.results.dat.tmp").c_str(), 0777);
    runCardStage(dir, "win");
    EXPECT_EQ(readFile(dir.gameDir() + "exp.summary"), le({3, 15, 120, 500, 2}));
    EXPECT_FALSE(pathExists(dir.gameDir() + "/saves/results.dat"));
    resetGame();
}
