// Every shipped style compiles to a file the module reads back whole.
#include "LM_globals.h"
#include "LM_stream.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

namespace {

namespace fs = std::filesystem;

struct Deleter {
    void operator()(LM_globals* g) const { LM_globals::Delete(g); }
};

TEST(ShippedStyles, EveryStyleLoads) {
    int styles = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(RELIGHT_STYLES_DIR)) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), {}};
        std::unique_ptr<LM_globals, Deleter> g(LM_globals::New());
        g->previewCenter = {180, 180};
        LM_memory_istream stream(bytes.data(), bytes.size());
        ASSERT_TRUE(stream.Open() && g->Read(stream)) << entry.path();
        EXPECT_EQ(bytes.size(), 36u + 28u * g->lightCount) << entry.path();
        EXPECT_EQ(bytes[34] * 256 + bytes[35], 180) << entry.path(); // written for a 360-pixel work area
        ++styles;
    }
    EXPECT_GE(styles, 10);
    EXPECT_TRUE(fs::exists(fs::path(RELIGHT_STYLES_DIR) / "Soft Spotlight"));
}

} // namespace
