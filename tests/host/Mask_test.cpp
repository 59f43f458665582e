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

} // namespace
