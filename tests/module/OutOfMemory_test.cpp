// Out of memory at every allocation a dialog session and its final run make: the run ends with
// -108, nothing leaks, and the object (when it survives) serves the next run.
#include "Backend.h"
#include "Files.h"
#include "LM_globals.h"
#include "LM_mac_style_dialogs.h"
#include "Memory.h"
#include "TestBlocks.h"
#include "TestHost.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace {

namespace fs = std::filesystem;

struct HeapGuard {
    ~HeapGuard() { TBFailAllocation(0), TBFailClientAllocation(0), TBSetHeapLimit(Size(4) << 30); }
};

// A dialog session that touches every kind of buffer: a style is loaded, the texture is captured
// for the preview, a light is added (its caches), the gloss changes (the surface caches), the
// settings are saved as a style, and OK shades the image with the relief, two host calls a tile.
constexpr const char* kBusyDialog = "choose @20 Noon\nchoose 550,382 Channel 1\n"
                                    "down @21\nmove @6:0.3,0.3\nup @6:0.3,0.3\nclick 815,247\n"
                                    "click @4\ntype Swept\nclick @1\nclick @1\n";

class DialogOutOfMemory : public ::testing::TestWithParam<bool> {
  protected:
    static constexpr int kWidth = 70, kHeight = 40; // two tiles across: the tile loop steps

    void SetUp() override {
        fs::create_directories(folder);
        fs::copy_file(fs::path(RELIGHT_STYLES_DIR) / "Noon", folder / "Noon",
                      fs::copy_options::overwrite_existing);
    }
    void TearDown() override { fs::remove_all(folder); }

    // On a later run the object survives and a backup of its settings is made; its first run
    // sets the gloss to 0, which a failed later run must leave in force.
    std::unique_ptr<TestHost> MakeHost() const {
        // A failed keystroke saves the style under a shorter name: every run starts from Noon alone.
        for (const fs::directory_entry& entry : fs::directory_iterator(folder))
            if (entry.path().filename() != "Noon")
                fs::remove(entry.path());
        auto host = std::make_unique<TestHost>(MakeTestImage(kWidth, kHeight));
        host->AddChannel(std::vector<std::uint8_t>(std::size_t(kWidth) * kHeight, 90));
        EXPECT_TRUE(!GetParam() || host->RunWithDialog("click 508,247\nclick @1\n") == 0);
        return host;
    }
    // Bytes the host and the module keep between runs.
    static Size Kept(TestHost& host) {
        const Handle h = host.Record().parameterHandle;
        return (host.GlobalsSlot() ? Size(sizeof(LM_globals)) : 0) + (h ? GetHandleSize(h) : 0);
    }

    HeapGuard guard;
    const fs::path folder = fs::path(TBFilesRoot()) / "Lighting Styles";
};

// Every allocation of the process, the Toolbox's included, fails in turn. A failed allocation ends
// the run with -108, writes nothing and leaves the earlier settings in force, unless the session
// can go on (a cache left cold, a keystroke dropped, a save refused with its alert): then the image
// is the one a clean run makes.
TEST_P(DialogOutOfMemory, EveryAllocationFailsCleanly) {
    long clean = 0;
    std::vector<std::uint8_t> shaded;
    {
        // Also loads the dialog's resources, which stay cached from here on.
        auto host = MakeHost();
        const long before = TBAllocationCount();
        ASSERT_EQ(host->RunWithDialog(kBusyDialog), 0) << TBScriptError();
        clean = TBAllocationCount() - before;
        shaded = host->Result().samples;
        ASSERT_TRUE(fs::exists(folder / "Swept")) << "the session saves a style";
        // The alerts a failure shows load their resources once, to stay: not a leak of the sweep.
        LM_ShowStyleSaveError();
        LM_ShowStyleLoadError();
    }
    ASSERT_GT(clean, 5);
    int refused = 0;
    for (long nth = 1; nth <= clean; ++nth) {
        SCOPED_TRACE(testing::Message() << "failing allocation " << nth << " of " << clean);
        const Size startBytes = TBHeapLiveBytes();
        const long startBlocks = TBHeapLiveBlocks();
        {
            auto host = MakeHost();
            const Size settled = TBHeapLiveBytes() - Kept(*host);
            TBFailAllocation(nth);
            const std::int16_t result = host->RunWithDialog(kBusyDialog);
            TBFailAllocation(0);
            EXPECT_EQ(TBHeapLiveBytes() - Kept(*host), settled) << "leak";
            for (const fs::directory_entry& entry : fs::directory_iterator(folder))
                EXPECT_NE(entry.path().filename().string()[0], '.') << "a save left its temporary file";
            if (result == 0) {
                EXPECT_TRUE(host->Result().samples == shaded) << "a lost cache changed the image";
            } else {
                ++refused;
                EXPECT_EQ(result, filterMemFull);
                EXPECT_TRUE(host->Result().samples == host->Source().samples) << "written";
                const auto* g = reinterpret_cast<const LM_globals*>(host->GlobalsSlot());
                EXPECT_TRUE(!GetParam() || (g && g->gloss == 0)) << "the earlier settings stay";
            }
            EXPECT_EQ(host->RunWithDialog("click @1\n"), 0) << "the next run";
            EXPECT_TRUE(host->Result().samples != host->Source().samples) << "the next run";
        }
        EXPECT_EQ(std::pair(TBHeapLiveBytes(), TBHeapLiveBlocks()), std::pair(startBytes, startBlocks))
            << "leak";
    }
    EXPECT_GT(refused, 3) << "of " << clean << " failure points";
}

INSTANTIATE_TEST_SUITE_P(FirstAndLaterRun, DialogOutOfMemory, ::testing::Bool());

TEST(OutOfMemory, GuardedAllocatorKeepsPurgeableSpaceInReserve) {
    HeapGuard guard;
    TestHost host(MakeTestImage(8, 8));
    // Room for the object itself, but not for it plus the reserve of 16384 bytes.
    TBSetHeapLimit(TBHeapLiveBytes() + Size(sizeof(LM_globals)) + 16000);
    EXPECT_EQ(host.Call(selectorAbout), filterMemFull);
    EXPECT_EQ(host.GlobalsSlot(), 0);
    TBSetHeapLimit(TBHeapLiveBytes() + Size(sizeof(LM_globals)) + 16384);
    EXPECT_EQ(host.Call(selectorAbout), 0);
    EXPECT_NE(host.GlobalsSlot(), 0);
}

TEST(OutOfMemory, TextureCaptureGrowsItsMapOnlyWhenNeeded) {
    // A full tile's map fits the block allocated at start: a textured run makes no allocation per tile.
    const std::vector<std::uint8_t> block = MixedLightsBlock(4);
    TestHost host(MakeTestImage(200, 130));
    host.threads = 2;
    host.AddChannel(std::vector<std::uint8_t>(200 * 130, 10));
    host.SetParameterBlock(block.data(), block.size());
    const long before = TBAllocationCount();
    ASSERT_EQ(host.RunWithoutDialog(), 0);
    EXPECT_EQ(TBAllocationCount() - before, 3); // the object, the height map, the second thread's rows
}

} // namespace
