// relight apply: several images, in place, the record the plug-in sees, and the real module over a
// texture. That a style applies as the dialog does is in Settings_test.
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

TEST_F(Apply, SeveralImagesGoIntoAFolderUnderTheirNames) {
    WritePng(Path("b.png"), Gradient(17, 9, 3));
    Succeeds({"apply", "@in.png", "@b.png", "-o", "@lit/", "--style", "Neon", "--quiet"});
    for (const std::string name : {"in.png", "b.png"}) {
        Succeeds({"apply", "@" + name, "-o", "@one.png", "--style", "Neon"});
        EXPECT_EQ(ReadBytes(Path("lit/" + name)), ReadBytes(Path("one.png"))) << name;
    }
    // An existing folder takes the result even of one image.
    Succeeds({"apply", "@b.png", "-o", "@lit", "--params", "@probe.block", "--plugin", PROBE_PLUGIN});
    EXPECT_EQ(ReadPng(Path("lit/b.png")).samples[0], 255 - Gradient(17, 9, 3).samples[0]);
}

TEST_F(Apply, InPlaceIsTheOnlyWayToReplaceTheInput) {
    chmod(Path("in.png").c_str(), 0640);
    const std::vector<std::string> expected = Listing();
    const RunResult r = Probe({"apply", "@in.png", "--in-place", "--params", "@probe.block"});
    ASSERT_EQ(r.status, 0) << r.err;
    Pixels inverted = Gradient(40, 24, 3);
    for (std::uint8_t& s : inverted.samples)
        s = std::uint8_t(255 - s);
    EXPECT_EQ(ReadPng(Path("in.png")).samples, inverted.samples);
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
    const RunResult r = Probe({"apply", "@rgba.png", "-o", "@out.png", "--params", "@report.block", "--area",
                               "2,1,30,20", "--channel", "height=@h.png", "--mask", "@sel.png"});
    ASSERT_EQ(r.status, 0) << r.err;
    // filterArea is top, left, bottom, right; each name's handle is released through the host's
    // procs; delivered at once from the height channel (all 9), no map to show; a masked-out pixel
    // leaves the port's white.
    for (const std::string line :
         {"area 1,2,21,32 signature VLMK mode 3 absolute 1 mask 1,1 colour-services none",
          "channels 5: Red,Green,Blue,Alpha,height, 0 handles left",
          "deliver-now 0 byte 9 show-pixels -30900", "show-pixels 0: ffffff 0a141e ffffff"})
        EXPECT_NE(r.err.find("probe: " + line + "\n"), std::string::npos) << r.err;
}

TEST_F(Apply, UniformTextureGivesExactlyTheFlatResult) {
    WritePng(Path("flat.png"), Uniform(40, 24, {77}));
    WritePng(Path("bumps.png"), Gradient(40, 24, 1));
    WriteBytes(Path("texture.block"), LightingBlock(4));
    Succeeds({"apply", "@in.png", "-o", "@plain.png", "--params", "@light.block"});
    Succeeds(
        {"apply", "@in.png", "-o", "@uniform.png", "--params", "@texture.block", "--channel", "h=@flat.png"});
    Succeeds(
        {"apply", "@in.png", "-o", "@relief.png", "--params", "@texture.block", "--channel", "h=@bumps.png"});
    EXPECT_EQ(ReadPng(Path("uniform.png")).samples, ReadPng(Path("plain.png")).samples);
    EXPECT_NE(ReadPng(Path("relief.png")).samples, ReadPng(Path("plain.png")).samples);
}

} // namespace
