// The selection mask: each result blended with the original, 0 keeping it and 255 taking the
// filtered pixel.
#include "CliSupport.h"

namespace {

class Mask : public CliTest {};

TEST_F(Mask, BlendsByTheMaskValue) {
    // Original 200, inverted 55; (200 x (255 - m) + 55 x m + 127) / 255:
    // m = 0: 200; 64: 41847 / 255 = 164; 128: 32567 / 255 = 127; 255: 55.
    WritePng(Path("in.png"), Uniform(4, 1, {200, 200, 200}));
    WritePng(Path("mask.png"), Pixels{4, 1, 1, {0, 64, 128, 255}});
    WriteBytes(Path("probe.block"), ProbeBlock(probeInvert));
    const RunResult r =
        Probe({"apply", "@in.png", "-o", "@out.png", "--params", "@probe.block", "--mask", "@mask.png"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadPng(Path("out.png")).samples,
              (std::vector<std::uint8_t>{200, 200, 200, 164, 164, 164, 127, 127, 127, 55, 55, 55}));
}

TEST_F(Mask, EmptyAndFullSelectionsWithTheLightingModule) {
    WritePng(Path("in.png"), Gradient(40, 24, 3));
    WritePng(Path("none.png"), Uniform(40, 24, {0}));
    WritePng(Path("all.png"), Uniform(40, 24, {255}));
    WriteBytes(Path("light.block"), LightingBlock());
    for (const std::string mask : {"", "none", "all"}) {
        std::vector<std::string> args = {"apply",        "@in.png", "--params",
                                         "@light.block", "-o",      "@" + mask + "out.png"};
        if (!mask.empty())
            args.insert(args.end(), {"--mask", "@" + mask + ".png"});
        Succeeds(args);
    }
    EXPECT_EQ(ReadPng(Path("noneout.png")).samples, Gradient(40, 24, 3).samples);
    EXPECT_EQ(ReadPng(Path("allout.png")).samples, ReadPng(Path("out.png")).samples);
}

} // namespace
