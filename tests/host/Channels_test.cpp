// Document channels: their order, delivery by absolute index, and texture blocks past the edges.
#include "CliSupport.h"

#include <algorithm>
#include <functional>
#include <tuple>

namespace {

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
