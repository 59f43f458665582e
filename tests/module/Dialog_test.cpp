// Dialog runs driven by input scripts. Positions are dialog-local; the slider bars run from x 508
// to 815 (ambient: to 771), and a press in the band just below a bar moves its indicator there.
#include "DialogRun.h"
#include "Dialogs.h"
#include "Memory.h"
#include "TestBlocks.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

const foo& blockOf(const std::vector<std::uint8_t>& bytes) {
    return *reinterpret_cast<const foo*>(bytes.data());
}

TEST_F(DialogRun, SlidersStoreTheirValuesAndOkWritesTheBlock) {
    Ok("click 508,247\n"                          // gloss: left end, 0
       "down 700,279\nmove 900,279\nup 900,279\n" // material: dragged past the right end, 256
       "click 660,311\n" // exposure: 152 of 307 pixels, (152*65536/307)*255 >> 16 = 126
       "click 641,343\n" // ambient: 133 of 263 pixels gives 128, stored minus 127
       "click 815,143\n" // intensity: 255, stored minus 127
       "click 508,175\n" // focus: 0
       "click 815,439\n" // texture height: disabled without a texture
       "click @1\n");
    const LM_globals& s = g();
    EXPECT_EQ(std::vector<int>({s.gloss, s.material, s.exposure, s.ambientBrightness, s.lights[0].intensity,
                                s.lights[0].spread, s.BumpAmplitude()}),
              std::vector<int>({0, 256, 126, 1, 128, 0, 128}));
    const std::vector<std::uint8_t> block = host.ParameterBlock();
    EXPECT_EQ(blockOf(block).ambient[0], 1 * 65535 / 64);
    EXPECT_EQ(host.Result().samples, ShadeWhole(host.Source(), block, host.Record().filterArea).samples)
        << "the final run shades that block";

    // What the sliders show reads back unchanged: ambient 1 shows as 128, 16 as 143, -127 as 0.
    for (const LM_sint16 ambient : {1, 16, -127}) {
        g().ambientBrightness = ambient;
        Ok("click @1\n");
        EXPECT_EQ((std::array<int, 3>{g().ambientBrightness, g().exposure, g().lights[0].intensity}),
                  (std::array<int, 3>{ambient, 126, 128}));
    }
}

TEST_F(DialogRun, CancelDiscardsAFirstRunAndRestoresALaterOne) {
    EXPECT_EQ(Run("click 508,247\nclick @2\n"), filterStop);
    EXPECT_EQ(host.GlobalsSlot(), 0) << "a cancelled first dialog leaves no object";
    EXPECT_EQ(host.Result().samples, host.Source().samples);

    Ok("click 508,247\nclick @1\n");
    ASSERT_EQ(g().gloss, 0);
    const Size heap = TBHeapLiveBytes();
    EXPECT_EQ(Run("click 815,247\nclick 815,279\nkey escape\n"), filterStop);
    EXPECT_EQ(TBHeapLiveBytes(), heap);
    EXPECT_EQ((std::array<int, 3>{g().gloss, g().material, blockOf(host.ParameterBlock()).gloss}),
              (std::array<int, 3>{0, 0, 0}));
}

// Pop-ups: light type at (530, 86), texture at (550, 382). The texture pop-up lists "No texture",
// the document's channels Red, Green and Blue, then its extra channels, and nothing more.
TEST_F(DialogRun, CheckBoxesAndPopupsChangeTheirSettings) {
    for (const auto& [entry, channel] : {std::pair{"Red", 1}, {"Green", 2}, {"Blue", 3}, {"No texture", 0}}) {
        Ok(std::string("choose 550,382 ") + entry + "\nclick @1\n");
        EXPECT_EQ(g().BumpChannel(), channel) << entry;
    }
    Run("choose 550,382 Channel 1\nclick @1\n");
    EXPECT_NE(TBScriptError().find("Channel 1"), std::string::npos) << TBScriptError();
    host.AddChannel(std::vector<std::uint8_t>(200 * 150, 7));
    Ok("choose 530,86 Omni\n"
       "choose 550,382 Channel 1\n"
       "click @10\n"
       "click 508,439\n" // texture height, now enabled: 0
       "click @29\n"
       "click @9\n"
       "click @1\n");
    EXPECT_GT(host.textureDeliveries, 0) << "the channel is captured for the preview";
    const LM_globals& s = g();
    EXPECT_EQ(std::vector<int>({s.lights[0].type, s.BumpChannel(), s.WhiteIsHigh(), s.BumpAmplitude(),
                                s.previewEnabled, s.lights[0].isOn}),
              std::vector<int>({lightTypeOmni, 4, 0, 0, 0, 0}));
    EXPECT_EQ(blockOf(host.ParameterBlock()).textureChannel, 4);
}

// With the light off its intensity, spread and colour box take no presses; on again, a
// spotlight's spread does.
TEST_F(DialogRun, ALightThatIsOffTakesNoChanges) {
    Ok("click @1\n");
    const LM_light_UI before = g().lights[0];
    host.SetColorService(0, {1, 2, 3});
    Ok("click @9\nsnapshot " + Shot("off") + "\nclick 815,143\nclick 508,175\nclick @7\nclick @1\n");
    // Inactive sliders and the disabled colour box have no line darker than grey. The dialog
    // (844 x 496) is centred on the screen below the title bar.
    const Snapshot shot(Shot("off"));
    const int left = (shot.width - 844) / 2,
              top = kTBTitleBarHeight + (shot.height - 496 - kTBTitleBarHeight) / 2;
    const auto darkest = [&](const Rect& r) {
        int darkest = 255;
        for (int v = r.top; v < r.bottom; ++v)
            for (int h = r.left; h < r.right; ++h)
                for (int shift : {0, 8, 16})
                    darkest = std::min(darkest, int(shot.At(left + h, top + v) >> shift & 0xFF));
        return darkest;
    };
    EXPECT_GE(darkest({124, 440, 154, 820}), 0x7F) << "intensity";
    EXPECT_GE(darkest({156, 440, 186, 820}), 0x7F) << "focus";
    for (const Rect edge : {Rect{102, 784, 103, 820}, Rect{102, 784, 122, 785}, Rect{121, 784, 122, 820},
                            Rect{102, 819, 122, 820}})
        EXPECT_EQ(darkest(edge), 0x7F) << "colour box frame";
    const LM_light_UI& light = g().lights[0];
    EXPECT_EQ((std::array<int, 3>{light.isOn, light.intensity, light.spread}),
              (std::array<int, 3>{0, before.intensity, before.spread}));
    EXPECT_TRUE(host.colorRequests.empty());
    Ok("click @9\nclick 508,175\nclick @1\n");
    EXPECT_EQ((std::array<int, 2>{light.isOn, light.spread}), (std::array<int, 2>{1, 0}));
}

TEST_F(DialogRun, ColoursComeFromTheHostOrThePicker) {
    host.SetColorService(0, {10, 20, 30});
    Ok("click @5\nclick @7\nclick @1\n");
    const auto ambient = [&] {
        return std::vector<int>{g().ambientColor.red, g().ambientColor.green, g().ambientColor.blue};
    };
    EXPECT_EQ(ambient(), (std::vector<int>{10 * 257, 20 * 257, 30 * 257}));
    EXPECT_EQ(g().lights[0].color.blue, 30 * 257);
    ASSERT_EQ(host.colorRequests.size(), 2u);
    EXPECT_EQ(host.colorRequests[0].infoSize, 36);
    EXPECT_EQ(host.colorRequests[0].colorComponents[0], 255) << "16-bit white shifted to 8 bits";
    EXPECT_EQ(host.colorRequests[1].colorComponents[2], 0) << "the default light has no blue";

    // A host that declines leaves the choice to the Toolbox picker: red typed as 0, the other
    // components keep their 16-bit values.
    host.SetColorService(filterServiceMissing, {});
    Ok("click @5\nclick @8\nkey delete\nkey delete\nkey delete\ntype 0\nclick @1\nclick @1\n");
    EXPECT_EQ(ambient(), (std::vector<int>{0, 20 * 257, 30 * 257}));

    // The host sees 8 bits: 300 goes out as 1 and, handed back, comes in as 257.
    g().ambientColor.red = 300;
    host.SetColorService(0, {1, 20, 30});
    Ok("click @5\nclick @1\n");
    EXPECT_EQ(host.colorRequests.back().colorComponents[0], 1);
    EXPECT_EQ(g().ambientColor.red, 257);

    // Any other answer is a cancel: nothing changes and no picker is shown.
    host.SetColorService(1, {0, 0, 0});
    Ok("click @5\nclick @1\n");
    EXPECT_EQ(ambient(), (std::vector<int>{257, 20 * 257, 30 * 257}));
}

// The abort queries made under the watch; the preview asks one a row while it renders.
int watchedQueries = 0;

bool showsWatch() {
    return std::memcmp(TBCurrentCursor(), *GetCursor(watchCursor), sizeof(Cursor)) == 0;
}

TEST_F(DialogRun, EveryChangeRedrawsThePreviewUnderTheWatch) {
    watchedQueries = 0;
    host.Record().abortQueryProc = [] {
        watchedQueries += showsWatch();
        return std::int16_t(0);
    };
    Ok("click @1\n");
    const int quiet = host.displays;
    Ok("click 815,247\nclick @29\nclick @1\n");
    EXPECT_EQ(host.displays - quiet, quiet + 2) << "once more for each change";
    EXPECT_GT(watchedQueries, 0) << "the watch while rendering";
    EXPECT_FALSE(showsWatch()) << "the arrow again afterwards";
}

} // namespace
