// The selection mask: each result blended with the original, 0 keeping it and 255 taking the
// filtered pixel.
#include "CliSupport.h"

namespace {

class Mask : public CliTest {
  protected:
    void SetUp() override {
        CliTest::SetUp();
        WriteBytes(Path("probe.block"), ProbeBlock(probeInvert));
        WriteBytes(Path("light.block"), LightingBlock());
    }
};

TEST_F(Mask, BlendsByTheMaskValue) {
    // Original 200, inverted 55; (200 x (255 - m) + 55 x m + 127) / 255:
    // m = 0: 200; 64: 41847 / 255 = 164; 128: 32567 / 255 = 127; 255: 55.
    WritePng(Path("in.png"), Uniform(4, 1, {200, 200, 200}));
    WritePng(Path("mask.png"), Pixels{4, 1, 1, {0, 64, 128, 255}});
    const RunResult r = Probe({"apply", Path("in.png"), "-o", Path("out.png"), "--params",
                               Path("probe.block"), "--mask", Path("mask.png")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadPng(Path("out.png")).samples,
              (std::vector<std::uint8_t>{200, 200, 200, 164, 164, 164, 127, 127, 127, 55, 55, 55}));
}

TEST_F(Mask, EmptyAndFullSelectionsWithTheLightingModule) {
    WritePng(Path("in.png"), Gradient(40, 24, 3));
    WritePng(Path("none.png"), Uniform(40, 24, {0}));
    WritePng(Path("all.png"), Uniform(40, 24, {255}));
    const std::vector<std::string> run = {"apply", Path("in.png"), "--params", Path("light.block"), "-o"};
    auto withArgs = [&](std::vector<std::string> extra) {
        std::vector<std::string> args = run;
        args.insert(args.end(), extra.begin(), extra.end());
        return Relight(args);
    };
    ASSERT_EQ(withArgs({Path("plain.png")}).status, 0);
    ASSERT_EQ(withArgs({Path("none-out.png"), "--mask", Path("none.png")}).status, 0);
    ASSERT_EQ(withArgs({Path("all-out.png"), "--mask", Path("all.png")}).status, 0);
    EXPECT_EQ(ReadPng(Path("none-out.png")).samples, Gradient(40, 24, 3).samples);
    EXPECT_EQ(ReadPng(Path("all-out.png")).samples, ReadPng(Path("plain.png")).samples);
}

} // namespace
