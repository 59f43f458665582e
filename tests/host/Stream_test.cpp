// The image streams alongside the filter: source rows decoded ahead of the tiles, result rows
// written behind them. Every case must give what a whole-image read and write would.
#include "CliSupport.h"

#include <algorithm>

namespace {

class Streaming : public CliTest {
  protected:
    void SetUp() override {
        CliTest::SetUp();
        WriteBytes(Path("invert.block"), ProbeBlock(probeInvert));
    }

    RunResult invert(const std::string& in, const std::string& out, std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {"apply", "@" + in, "-o", "@" + out, "--params", "@invert.block"};
        args.insert(args.end(), extra.begin(), extra.end());
        return Probe(args);
    }
};

// Samples that do not compress: a cut file is damaged where it is cut.
Pixels noise(int width, int height) {
    Pixels p{width, height, 3, std::vector<std::uint8_t>(std::size_t(width * height * 3))};
    std::uint32_t state = 12345;
    for (std::uint8_t& s : p.samples) {
        state = state * 1664525u + 1013904223u;
        s = std::uint8_t(state >> 24);
    }
    return p;
}

// `in` with the pixels inside x0 <= x < x1, y0 <= y < y1 inverted, as the probe does.
Pixels invertedInside(Pixels in, int x0, int y0, int x1, int y1) {
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            for (int c = 0; c < 3; ++c) {
                std::uint8_t& s = in.samples[std::size_t((y * in.width + x) * 3 + c)];
                s = std::uint8_t(255 - s);
            }
    return in;
}

TEST_F(Streaming, EveryRowArrivesOnceInOrder) {
    // 203 rows: a last decoded band and a last tile row that are not full.
    const Pixels in = noise(70, 203);
    WritePng(Path("in.png"), in);
    ASSERT_EQ(invert("in.png", "out.png").status, 0);
    EXPECT_EQ(ReadPng(Path("out.png")).samples, invertedInside(in, 0, 0, 70, 203).samples);

    // Rows above and below the area are finished before and after the filter's.
    const RunResult area = invert("in.png", "area.png", {"--area", "5,37,30,101"});
    ASSERT_EQ(area.status, 0) << area.err;
    EXPECT_EQ(ReadPng(Path("area.png")).samples, invertedInside(in, 5, 37, 35, 138).samples);

    // Interlaced rows are whole only after the last pass.
    WriteInterlacedPng(Path("adam7.png"), in);
    ASSERT_EQ(invert("adam7.png", "adam7-out.png").status, 0);
    EXPECT_EQ(ReadPng(Path("adam7-out.png")).samples, invertedInside(in, 0, 0, 70, 203).samples);
}

TEST_F(Streaming, DamageFoundWhileFilteringStopsTheRunWithoutOutput) {
    WritePng(Path("whole.png"), noise(64, 400));
    const std::string bytes = ReadBytes(Path("whole.png"));
    WriteBytes(Path("cut.png"), bytes.substr(0, bytes.size() / 2));
    const std::vector<std::string> before = Listing();
    // The whole image, and an area that ends before the damage: the file is refused either way.
    for (const std::vector<std::string>& area : {std::vector<std::string>{}, {"--area", "0,0,64,16"}}) {
        const RunResult r = invert("cut.png", "out.png", area);
        EXPECT_EQ(r.status, 2) << r.err;
        EXPECT_EQ(r.err.rfind("relight: damaged PNG image (", 0), 0u) << r.err;
        EXPECT_TRUE(r.err.ends_with(Expand("): @cut.png\n")) && r.err.find('\n') == r.err.size() - 1)
            << r.err;
        EXPECT_EQ(Listing(), before) << "no output and no temporary file";
    }
}

TEST_F(Streaming, RowsHandedBackAgainReplaceWhatWasSent) {
    // The probe inverts every 16 x 16 tile, then hands the first back as it was delivered: the
    // rows it covers may be in the file already and must be sent again.
    const Pixels in = noise(40, 300);
    WritePng(Path("in.png"), in);
    WriteBytes(Path("rewrite.block"), ProbeBlock(probeRewrite));
    for (const std::string out : {"out.png", "out.jpg"}) {
        const RunResult r =
            Probe({"apply", "@in.png", "-o", "@" + out, "--params", "@rewrite.block", "--quality", "100"});
        ASSERT_EQ(r.status, 0) << r.err;
    }
    Pixels expected = invertedInside(in, 0, 0, 40, 300);
    expected = invertedInside(expected, 0, 0, 16, 16);
    EXPECT_EQ(ReadPng(Path("out.png")).samples, expected.samples);
    // The JPEG is the one a plain run gives for the same pixels, not two images run together.
    WritePng(Path("pre.png"), invertedInside(expected, 0, 0, 40, 300));
    ASSERT_EQ(invert("pre.png", "plain.jpg", {"--quality", "100"}).status, 0);
    EXPECT_EQ(ReadBytes(Path("out.jpg")), ReadBytes(Path("plain.jpg")));
}

} // namespace
