// One loaded module through many runs of every kind, as a host session that never unloads it: the
// heap must come back to the same level after each finish. RELIGHT_SOAK_RUNS in the environment
// overrides the built-in count (smaller under the sanitizers).
#include "Backend.h"
#include "Memory.h"
#include "TestBlocks.h"
#include "TestHost.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>

#ifndef RELIGHT_SOAK_RUNS
#define RELIGHT_SOAK_RUNS 1000
#endif

namespace {

long soakRuns() {
    const char* text = std::getenv("RELIGHT_SOAK_RUNS");
    const long runs = text ? std::strtol(text, nullptr, 10) : 0;
    return runs > 0 ? runs : RELIGHT_SOAK_RUNS;
}

// A dialog run (its script), or a run of a stored block (flat or textured), and its result.
struct Kind {
    const char* script;
    bool textured;
    std::int16_t result;
};
constexpr Kind kCycle[] = {{"choose 550,382 Channel 1\nclick 600,247\nclick @1\n", false, 0},
                           {"click 508,279\nkey escape\n", false, filterStop},
                           {nullptr, false, 0},
                           {nullptr, true, 0},
                           {"choose 550,382 No texture\nclick 700,247\nclick @1\n", false, 0}};

class Soak : public ::testing::Test {
  protected:
    static constexpr int kWidth = 70, kHeight = 24;

    std::int16_t Once(const Kind& kind) {
        if (kind.script)
            return host.RunWithDialog(kind.script);
        const std::vector<std::uint8_t>& block = kind.textured ? texturedBlock : flatBlock;
        host.SetParameterBlock(block.data(), block.size());
        return host.RunWithoutDialog();
    }

    TestHost host{MakeTestImage(kWidth, kHeight)};
    const std::vector<std::uint8_t> flatBlock = MixedLightsBlock();
    const std::vector<std::uint8_t> texturedBlock = MixedLightsBlock(4);
};

TEST_F(Soak, ManyRunsOfEveryKindKeepTheHeapLevel) {
    host.AddChannel(std::vector<std::uint8_t>(std::size_t(kWidth) * kHeight, 170));
    // The first cycle loads the dialog's resources and creates the object and the block.
    for (const Kind& kind : kCycle)
        ASSERT_EQ(Once(kind), kind.result) << TBScriptError();
    const Size bytes = TBHeapLiveBytes();
    const long blocks = TBHeapLiveBlocks();
    const long runs = soakRuns();
    for (long run = 0; run < runs; ++run) {
        ASSERT_EQ(Once(kCycle[run % std::size(kCycle)]), kCycle[run % std::size(kCycle)].result)
            << "run " << run << TBScriptError();
        ASSERT_EQ(TBHeapLiveBytes(), bytes) << "run " << run;
        ASSERT_EQ(TBHeapLiveBlocks(), blocks) << "run " << run;
    }
    ASSERT_NE(host.GlobalsSlot(), 0);
    host.Unload();
    std::printf("soak: %ld runs, %ld live bytes in %ld blocks after each finish\n", runs, long(bytes),
                blocks);
}

} // namespace
