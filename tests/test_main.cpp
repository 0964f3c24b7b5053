#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // No test needs a display or a sound card.
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    // Never the player's own registry: a base that does not exist unless a test makes it.
    setenv("VESPERALIA_EXP_BASE", "/nonexistent/vesperalia-tests/exp/", 1);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
