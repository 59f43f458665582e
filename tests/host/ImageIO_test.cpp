// Image files in and out: PNG depths and colour types, JPEG, sizes the record cannot address.
#include "CliSupport.h"

#include <tuple>

namespace {

class ImageFiles : public CliTest {
  protected:
    void SetUp() override {
        CliTest::SetUp();
        WriteBytes(Path("probe.block"), ProbeBlock(probeInvert));
    }
    // Inverts `in` with the probe into `out` (none: the options say where); returns the run.
    RunResult invert(const std::string& in, const std::string& out, std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {"apply", "@" + in, "--params", "@probe.block"};
        if (!out.empty())
            args.insert(args.end(), {"-o", "@" + out});
        args.insert(args.end(), extra.begin(), extra.end());
        return Probe(args);
    }
    // The samples read back, and the PNG's bit depth and colour type from its header.
    std::tuple<std::vector<std::uint8_t>, int, int> png(const std::string& name) const {
        const std::string bytes = ReadBytes(Path(name));
        return {ReadPng(Path(name)).samples, bytes[24], bytes[25]};
    }
};

using Samples = std::vector<std::uint8_t>;

TEST_F(ImageFiles, PngColourTypesBecomeRGBKeepingAlphaAndDepth) {
    // 16-bit samples k x 257 are exactly k in 8 bits; 0x1234 (4660) is 18.13 x 257, so 18. Lit in
    // 8 bits, written in 16 (as k x 257, which the reader turns back into k).
    WritePng16(Path("grey16.png"), 2, 2, 1, {0, 0x8080, 0xFFFF, 0x1234});
    const RunResult sixteen = invert("grey16.png", "a.png");
    EXPECT_EQ(sixteen.status, 0);
    EXPECT_EQ(sixteen.err, Expand("relight: lit in 8 bits, written in 16 (each value x 257): @a.png\n"));
    EXPECT_EQ(png("a.png"), std::tuple(Samples{255, 255, 255, 127, 127, 127, 0, 0, 0, 237, 237, 237}, 16, 2));
    WritePng16(Path("rgb16.png"), 1, 1, 3, {257 * 10, 257 * 200, 0x1234});
    ASSERT_EQ(invert("rgb16.png", "b.png").status, 0);
    EXPECT_EQ(ReadPng(Path("b.png")).samples, (Samples{245, 55, 237}));
    WritePalettePng(Path("palette.png"), 3, 1, {2, 0, 1}, {10, 20, 30, 40, 50, 60, 70, 80, 90});
    ASSERT_EQ(invert("palette.png", "c.png").status, 0);
    EXPECT_EQ(png("c.png"), std::tuple(Samples{185, 175, 165, 245, 235, 225, 215, 205, 195}, 8, 2));

    // Grey with alpha: three equal colour channels, the alpha a fourth channel (texture 4), and
    // written back untouched. Red: alpha up-left (edge-repeated), green: alpha here, blue: alpha
    // down-right.
    WritePng(Path("ga.png"), Pixels{2, 1, 2, {30, 200, 90, 7}});
    WriteBytes(Path("alpha.block"), ProbeBlock(probeInvert, 4));
    ASSERT_EQ(Probe({"apply", "@ga.png", "-o", "@d.png", "--params", "@alpha.block"}).status, 0);
    EXPECT_EQ(png("d.png"), std::tuple(Samples{200, 200, 7, 200, 200, 7, 7, 7}, 8, 6));

    // In place, what the file's format cannot hold again is lost only with --force.
    WriteBytes(Path("ga.jpg"), ReadBytes(Path("ga.png")));
    EXPECT_EQ(invert("ga.jpg", "", {"--in-place"}).status, 2);
    EXPECT_EQ(invert("ga.jpg", "", {"--in-place", "--force"}).status, 0);
}

TEST_F(ImageFiles, JpegInAndOut) {
    // Uniform blocks survive JPEG at quality 100 to within a few steps of rounding. Stray bytes
    // before a marker only make the decoder warn: the picture is whole.
    WriteJpeg(Path("grey.jpg"), Uniform(16, 16, {100}), 100);
    WriteJpeg(Path("colour.jpeg"), Uniform(16, 16, {200, 100, 50}), 100);
    std::string stray = ReadBytes(Path("grey.jpg"));
    WriteBytes(Path("stray.jpg"), stray.insert(stray.find("\xFF\xDA"), "\x00\x01\x02", 3));
    WritePng(Path("in.png"), Uniform(16, 16, {10, 120, 240}));
    ASSERT_EQ(invert("grey.jpg", "a.png").status, 0);
    ASSERT_EQ(invert("colour.jpeg", "b.PNG").status, 0);
    EXPECT_EQ(invert("stray.jpg", "c.png").status, 0);
    // The JPEG written is read back inverted once more, by the reader the first two cases check.
    ASSERT_EQ(invert("in.png", "out.jpg", {"--quality", "100"}).status, 0);
    ASSERT_EQ(invert("out.jpg", "back.png").status, 0);
    const Pixels results[] = {ReadPng(Path("a.png")), ReadPng(Path("b.PNG")), ReadPng(Path("back.png"))};
    const int expected[][4] = {{155, 155, 155, 1}, {55, 155, 205, 3}, {10, 120, 240, 3}}; // and the tolerance
    for (int i = 0; i < 3; ++i)
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(results[i].At(5, 5, c), expected[i][c], expected[i][3])
                << "result " << i << " channel " << c;

    WritePng(Path("busy.png"), Gradient(64, 64, 3));
    ASSERT_EQ(invert("busy.png", "low.jpg", {"--quality", "5"}).status, 0);
    ASSERT_EQ(invert("busy.png", "high.jpg", {"--quality=100"}).status, 0);
    EXPECT_LT(ReadBytes(Path("low.jpg")).size(), ReadBytes(Path("high.jpg")).size());
    EXPECT_EQ(invert("busy.png", "bad.jpg", {"--quality", "101"}).status, 2);
}

TEST_F(ImageFiles, TypeFromContentsInPipesOut) {
    WritePng(Path("in.png"), Gradient(24, 16, 3));
    ASSERT_EQ(invert("in.png", "ref.png").status, 0);
    const std::string expected = ReadBytes(Path("ref.png"));
    WriteBytes(Path("png.jpg"), ReadBytes(Path("in.png")));
    WriteBytes(Path("stdin"), ReadBytes(Path("in.png")));
    const std::vector<std::vector<std::string>> cases = {{"@png.jpg", "@a.png"},
                                                         {"-", "@b.png"},
                                                         {"@in.png", "@c.jpg", "--format", "png"},
                                                         {"@in.png", "-", "--format", "PNG"}};
    for (const std::vector<std::string>& c : cases) {
        SCOPED_TRACE(c[0] + " -> " + c[1]);
        std::vector<std::string> args = {"apply", c[0], "-o", c[1], "--params", "@probe.block", "--quiet"};
        args.insert(args.end(), c.begin() + 2, c.end());
        const RunResult r = Probe(args);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(c[1] == "-" ? r.out : ReadBytes(Expand(c[1])), expected);
    }
    const RunResult r = Probe({"apply", "@in.png", "-o", "-", "--params", "@probe.block"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "relight: writing to standard output needs --format (png, jpeg, tiff or webp)\n");
}

TEST_F(ImageFiles, ThePixelLimitIsInclusive) {
    WritePng(Path("edge.png"), Uniform(32767, 1, {0}));
    EXPECT_EQ(invert("edge.png", "edge-out.png").status, 0) << "32767 is still addressable";
}

} // namespace
