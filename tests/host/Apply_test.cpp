// relight apply: the run over the whole image or an area, with the probe and the real module.
#include "CliSupport.h"

#include <algorithm>
#include <sys/stat.h>

namespace {

class Apply : public CliTest {
  protected:
    void SetUp() override {
        CliTest::SetUp();
        WritePng(Path("in.png"), Gradient(40, 24, 3));
        WriteBytes(Path("probe.block"), ProbeBlock(probeInvert));
        WriteBytes(Path("light.block"), LightingBlock());
    }
};

TEST_F(Apply, ProbeInvertsEveryPixelOfTheWholeImageOrOnlyTheArea) {
    const Pixels in = Gradient(40, 24, 3);
    RunResult r = Probe({"apply", Path("in.png"), "-o", Path("out.png"), "--params", Path("probe.block")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const Pixels whole = ReadPng(Path("out.png"));
    ASSERT_EQ(whole.width, 40);
    ASSERT_EQ(whole.height, 24);
    for (std::size_t i = 0; i < in.samples.size(); ++i)
        ASSERT_EQ(whole.samples[i], 255 - in.samples[i]) << "sample " << i;

    // Area 5,3,20,17: columns 5..24, rows 3..19 change; the rest stays.
    r = Probe({"apply", Path("in.png"), "-o", Path("area.png"), "--params", Path("probe.block"), "--area",
               "5,3,20,17"});
    ASSERT_EQ(r.status, 0) << r.err;
    const Pixels area = ReadPng(Path("area.png"));
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 40; ++x) {
            const bool inside = x >= 5 && x < 25 && y >= 3 && y < 20;
            const int c = (x + y) % 3;
            EXPECT_EQ(area.At(x, y, c), inside ? 255 - in.At(x, y, c) : in.At(x, y, c))
                << "x=" << x << " y=" << y;
        }
}

TEST_F(Apply, SeveralImagesGoIntoAFolderUnderTheirNames) {
    WritePng(Path("b.png"), Gradient(17, 9, 3));
    RunResult r =
        Relight({"apply", Path("in.png"), Path("b.png"), "-o", Path("lit/"), "--style", "Neon", "--quiet"});
    ASSERT_EQ(r.status, 0) << r.err;
    for (const std::string name : {"in.png", "b.png"}) {
        r = Relight({"apply", Path(name), "-o", Path("one.png"), "--style", "Neon"});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(ReadBytes(Path("lit/" + name)), ReadBytes(Path("one.png"))) << name;
    }
    // An existing folder takes the result even of one image.
    r = Relight({"apply", Path("b.png"), "-o", Path("lit"), "--params", Path("probe.block"), "--plugin",
                 PROBE_PLUGIN});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadPng(Path("lit/b.png")).samples[0], 255 - Gradient(17, 9, 3).samples[0]);
}

// The dialog, driven by a script, chooses the style and presses OK: apply --style gives the same bytes.
TEST_F(Apply, StyleGivesExactlyWhatTheDialogGives) {
    RunResult r = Relight({"apply", Path("in.png"), "-o", Path("applied.png"), "--style", "Stage Trio"});
    ASSERT_EQ(r.status, 0) << r.err;
    WriteBytes(Path("choose.txt"), "wait 100\nchoose @20 Stage Trio\nwait 100\nclick @1\n");
    r = Relight(
        {"edit", Path("in.png"), "-o", Path("edited.png"), "--headless", "--script", Path("choose.txt")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadBytes(Path("applied.png")), ReadBytes(Path("edited.png")));
    r = Relight({"apply", Path("in.png"), "-o", Path("night.png"), "--style", "Night"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(ReadBytes(Path("night.png")), ReadBytes(Path("applied.png"))) << "the style is what changes";
}

TEST_F(Apply, InPlaceIsTheOnlyWayToReplaceTheInput) {
    chmod(Path("in.png").c_str(), 0640);
    const std::vector<std::string> expected = Listing();
    const RunResult r = Probe({"apply", Path("in.png"), "--in-place", "--params", Path("probe.block")});
    ASSERT_EQ(r.status, 0) << r.err;
    const Pixels in = Gradient(40, 24, 3);
    const Pixels out = ReadPng(Path("in.png"));
    for (std::size_t i = 0; i < in.samples.size(); ++i)
        ASSERT_EQ(out.samples[i], 255 - in.samples[i]) << "sample " << i;
    struct stat written {};
    ASSERT_EQ(stat(Path("in.png").c_str(), &written), 0);
    EXPECT_EQ(written.st_mode & 0777, 0640u) << "the replaced file keeps its mode";
    EXPECT_EQ(Listing(), expected) << "no temporary file is left";
}

TEST_F(Apply, RecordIsFilledHonestly) {
    WritePng(Path("rgba.png"), Gradient(40, 24, 4));
    WritePng(Path("h.png"), Uniform(40, 24, {9}));
    WritePng(Path("sel.png"), Uniform(40, 24, {255}));
    WriteBytes(Path("report.block"), ProbeBlock(probeReport));
    const RunResult r =
        Probe({"apply", Path("rgba.png"), "-o", Path("out.png"), "--params", Path("report.block"), "--area",
               "2,1,30,20", "--channel", "height=" + Path("h.png"), "--mask", Path("sel.png")});
    ASSERT_EQ(r.status, 0) << r.err;
    // filterArea is top, left, bottom, right.
    EXPECT_NE(
        r.err.find("probe: area 1,2,21,32 signature VLMK mode 3 absolute 1 mask 1,1 colour-services none\n"),
        std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("probe: channels 5: Red,Green,Blue,Alpha,height\n"), std::string::npos) << r.err;
    // Delivered at once from the height channel (all 9); no map to show.
    EXPECT_NE(r.err.find("probe: deliver-now 0 byte 9 show-pixels -30900\n"), std::string::npos) << r.err;
    // A masked-out pixel leaves the port's white.
    EXPECT_NE(r.err.find("probe: show-pixels 0: ffffff 0a141e ffffff\n"), std::string::npos) << r.err;
}

TEST_F(Apply, LightingModuleLightsTheAreaAndLeavesTheRest) {
    const Pixels in = Gradient(40, 24, 3);
    const RunResult r = Relight({"apply", Path("in.png"), "-o", Path("out.png"), "--params",
                                 Path("light.block"), "--area", "8,4,20,12"});
    ASSERT_EQ(r.status, 0) << r.err;
    const Pixels out = ReadPng(Path("out.png"));
    int changed = 0;
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 40; ++x)
            for (int c = 0; c < 3; ++c) {
                const bool inside = x >= 8 && x < 28 && y >= 4 && y < 16;
                if (!inside)
                    ASSERT_EQ(out.At(x, y, c), in.At(x, y, c)) << "x=" << x << " y=" << y;
                else if (out.At(x, y, c) != in.At(x, y, c))
                    ++changed;
            }
    EXPECT_GT(changed, 0);
}

TEST_F(Apply, UniformTextureGivesExactlyTheFlatResult) {
    WritePng(Path("flat.png"), Uniform(40, 24, {77}));
    WritePng(Path("bumps.png"), Gradient(40, 24, 1));
    WriteBytes(Path("texture.block"), LightingBlock(4));
    RunResult r =
        Relight({"apply", Path("in.png"), "-o", Path("plain.png"), "--params", Path("light.block")});
    ASSERT_EQ(r.status, 0) << r.err;
    r = Relight({"apply", Path("in.png"), "-o", Path("uniform.png"), "--params", Path("texture.block"),
                 "--channel", "h=" + Path("flat.png")});
    ASSERT_EQ(r.status, 0) << r.err;
    r = Relight({"apply", Path("in.png"), "-o", Path("relief.png"), "--params", Path("texture.block"),
                 "--channel", "h=" + Path("bumps.png")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadPng(Path("uniform.png")).samples, ReadPng(Path("plain.png")).samples);
    EXPECT_NE(ReadPng(Path("relief.png")).samples, ReadPng(Path("plain.png")).samples);
}

} // namespace
