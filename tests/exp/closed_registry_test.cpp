#include <gtest/gtest.h>

#include <filesystem>

#include "tests/exp/exp_fixture.h"

// Before the registry is open there is no game directory: registrations and descriptions are
// refused rather than written into the working directory.
TEST(ExpClosed, RegistrationsAndDescriptionsWaitForTheOpening) {
    RegistryDir dir;
    ScopedChdir cd(dir.root);
    EXPECT_EQ(registerItem(1, 10, 0) + setDescription(1, "Name", "Text", "en"), 0);
    EXPECT_TRUE(registry.items.empty() && registry.descriptions.empty());
    EXPECT_TRUE(std::filesystem::is_empty(dir.root + "/exp"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.root),
                            std::filesystem::directory_iterator()),
              1); // only exp/
}
