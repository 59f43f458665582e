// Dialog runs list and load styles from the data folder: every run in this program gets a scratch
// one, so that nobody's own styles change what a test sees, and no test writes into them.
#include "Files.h"
#include "Testing.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

struct ScratchDataFolder : ::testing::Environment {
    void SetUp() override {
        char pattern[] = "/tmp/relight-integration-XXXXXX";
        root_ = mkdtemp(pattern);
        TBFilesSetRoot(root_, "Scratch");
    }
    void TearDown() override {
        TBResetForTests();
        std::filesystem::remove_all(root_);
    }
    std::string root_;
};

const auto* const kScratch = ::testing::AddGlobalTestEnvironment(new ScratchDataFolder);

} // namespace
