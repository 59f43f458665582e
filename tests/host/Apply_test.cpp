// relight apply: several images, in place, the record the plug-in sees, the selection mask, and document
// channels (their order, delivery by absolute index, and texture blocks past the edges). That a style applies
// as the dialog does is in Settings_test.
#include "CliSupport.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <tuple>

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

class Mask : public Apply {};

TEST_F(Apply, SeveralImagesGoIntoAFolderUnderTheirNamesAndFailuresAreCounted) {
    WritePng(Path("b.png"), Gradient(17, 9, 3));
    Succeeds({"apply", "@in.png", "@b.png", "-o", "@lit/", "--style", "Neon", "--quiet"});
    for (const std::string name : {"in.png", "b.png"}) {
        Succeeds({"apply", "@" + name, "-o", "@one.png", "--style", "Neon"});
        EXPECT_EQ(ReadBytes(Path("lit/" + name)), ReadBytes(Path("one.png"))) << name;
    }
    // An existing folder takes the result even of one image.
    Succeeds({"apply", "@b.png", "-o", "@lit", "--params", "@probe.block", "--plugin", PROBE_PLUGIN});
    EXPECT_EQ(ReadPng(Path("lit/b.png")).samples[0], 255 - Gradient(17, 9, 3).samples[0]);

    WriteBytes(Path("junk.png"), "not an image");
    std::vector<std::string> run = {"apply", "@in.png", "@junk.png", "@b.png",
                                    "-o",    "@out/",   "--params",  "@light.block"};
    EXPECT_EQ(Relight(run).status, 2);
    EXPECT_FALSE(Exists("out/b.png")) << "without --keep-going the first failure stops the batch";
    run.push_back("--keep-going");
    const RunResult r = Relight(run);
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(Exists("out/in.png") && Exists("out/b.png"));
    EXPECT_EQ(r.err, Expand("relight: not an image relight reads (PNG, JPEG, TIFF or WebP): @junk.png\n"
                            "relight: 1 of 3 images failed\n"));
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
    EXPECT_EQ(std::filesystem::status(Path("in.png")).permissions(), std::filesystem::perms(0640))
        << "the replaced file keeps its mode";
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

TEST_F(Mask, BlendsByTheMaskValue) {
    // Original 200, inverted 55; (200 x (255 - m) + 55 x m + 127) / 255:
    // m = 0: 200; 64: 41847 / 255 = 164; 128: 32567 / 255 = 127; 255: 55.
    WritePng(Path("in.png"), Uniform(4, 1, {200, 200, 200}));
    WritePng(Path("mask.png"), Pixels{4, 1, 1, {0, 64, 128, 255}});
    const RunResult r =
        Probe({"apply", "@in.png", "-o", "@out.png", "--params", "@probe.block", "--mask", "@mask.png"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadPng(Path("out.png")).samples,
              (std::vector<std::uint8_t>{200, 200, 200, 164, 164, 164, 127, 127, 127, 55, 55, 55}));
}

constexpr int kWidth = 40, kHeight = 24;

Pixels greyOf(const std::function<int(int, int)>& value) {
    Pixels p{kWidth, kHeight, 1, {}};
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            p.samples.push_back(std::uint8_t(value(x, y) % 256));
    return p;
}

class Channels : public CliTest {
  protected:
    void SetUp() override {
        CliTest::SetUp();
        WritePng(Path("in.png"), rgba_);
        WritePng(Path("first.png"), first_);
        WritePng(Path("second.png"), second_);
    }

    // Document channel `index` (1-based) at (x, y): Red, Green, Blue, Alpha, first, second.
    int channel(int index, int x, int y) const {
        if (index <= 4)
            return rgba_.At(x, y, index - 1);
        return (index == 5 ? first_ : second_).At(x, y, 0);
    }

    Pixels rgba_ = Gradient(kWidth, kHeight, 4);
    Pixels first_ = greyOf([](int x, int y) { return x * 3 + y * 5 + 100; });
    Pixels second_ = greyOf([](int x, int y) { return x * 11 + y; });
};

TEST_F(Channels, EachAbsoluteIndexDeliversItsChannelWithEdgesRepeated) {
    for (int index = 1; index <= 6; ++index) {
        WriteBytes(Path("probe.block"), ProbeBlock(probeInvert, index));
        const RunResult r = Probe({"apply", "@in.png", "-o", "@out.png", "--params", "@probe.block",
                                   "--channel", "first=@first.png", "--channel", "second=@second.png"});
        ASSERT_EQ(r.status, 0) << "channel " << index << ": " << r.err;
        const Pixels out = ReadPng(Path("out.png"));
        // Red, green, blue: the channel 3 pixels up-left, at the pixel, 3 pixels down-right, the
        // nearest edge pixel where that lies outside the image.
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                for (int c = 0; c < 3; ++c)
                    ASSERT_EQ(out.At(x, y, c), channel(index, std::clamp(x + 3 * c - 3, 0, kWidth - 1),
                                                       std::clamp(y + 3 * c - 3, 0, kHeight - 1)))
                        << "channel " << index << " x=" << x << " y=" << y << " c=" << c;
    }
}

TEST_F(Channels, AreaTexturesReachOutsideTheAreaButNotOutsideTheImage) {
    // A 2 x 2 area at 20,10: its block reads real pixels around it, not repeated area edges.
    WriteBytes(Path("probe.block"), ProbeBlock(probeInvert, 5));
    const RunResult r = Probe({"apply", "@in.png", "-o", "@out.png", "--params", "@probe.block", "--area",
                               "20,10,2,2", "--channel", "first=@first.png"});
    ASSERT_EQ(r.status, 0) << r.err;
    const Pixels out = ReadPng(Path("out.png"));
    EXPECT_EQ((std::tuple{out.At(20, 10, 0), out.At(21, 11, 2), out.At(19, 10, 0)}),
              (std::tuple{channel(5, 17, 7), channel(5, 24, 14), rgba_.At(19, 10, 0)}))
        << "the last outside the area";
}

} // namespace
