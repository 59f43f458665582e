// Text: widths agree with what drawing does, font numbers pick the right faces, glyphs stay in
// their cell and honour the text mode and the clip.
#include "PortPicture.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {
const unsigned char kHello[] = "\x05Hello";
const unsigned char kAb[] = "\x02"
                            "ab";
} // namespace

TEST(Text, WidthsAreWholePixelsThatAddUpAndMatchThePenAdvanceInEachFace) {
    ScratchPort p(200, 40);
    TextFont(applFont);
    TextSize(12);
    EXPECT_EQ(StringWidth(kAb), CharWidth('a') + CharWidth('b'));
    EXPECT_EQ(TextWidth(kHello, 1, 2), CharWidth('H') + CharWidth('e'));
    MoveTo(10, 20);
    DrawString(kHello);
    EXPECT_EQ((std::tuple{p.get()->pnLoc.h, p.get()->pnLoc.v}), (std::tuple{10 + StringWidth(kHello), 20}))
        << "the pen advances along the baseline";
    const std::int16_t at12 = StringWidth(kHello);
    TextSize(9);
    FontInfo fi;
    GetFontInfo(&fi);
    EXPECT_TRUE(StringWidth(kHello) < at12 && fi.ascent >= 7 && fi.ascent + fi.descent <= 13);

    // The system font is the bold face of font 1, at 12 when the size is 0.
    TextFont(systemFont);
    TextSize(0);
    const std::int16_t system = StringWidth(kHello);
    FontInfo sys;
    GetFontInfo(&sys);
    TextSize(12);
    EXPECT_EQ(StringWidth(kHello), system);
    TextFont(applFont);
    const std::int16_t plain = StringWidth(kHello);
    TextFace(bold);
    EXPECT_EQ(StringWidth(kHello), system);
    EXPECT_TRUE(system > plain && sys.ascent >= 10 && sys.ascent <= 13 && sys.descent >= 2 &&
                sys.descent <= 4);
}

TEST(Text, GlyphsStayInTheirCellInTheForeColourAndRespectModeAndClip) {
    ScratchPort p(120, 30);
    TextFont(applFont);
    TextSize(12);
    FontInfo fi;
    GetFontInfo(&fi);
    RGBColor red{0xFFFF, 0, 0};
    RGBForeColor(&red);
    MoveTo(10, 20);
    DrawString(kHello);
    const std::int16_t right = std::int16_t(10 + StringWidth(kHello));
    bool sawRed = false;
    for (std::int16_t v = 0; v < 30; ++v)
        for (std::int16_t h = 0; h < 120; ++h) {
            const std::uint32_t px = TBGetPixel(p.get(), h, v);
            if (px == 0xFFFFFF)
                continue;
            EXPECT_TRUE(h >= 9 && h <= right && v >= 20 - fi.ascent && v < 20 + fi.descent) << h << "," << v;
            EXPECT_EQ((px >> 16) & 0xFF, 0xFFu) << "antialiased red keeps full red at " << h << "," << v;
            sawRed = sawRed || ((px >> 8) & 0xFF) < 0x40; // a well-covered pixel
        }
    EXPECT_TRUE(sawRed);

    EraseRect(&p.get()->portRect);
    RGBColor blue{0, 0, 0xFFFF};
    RGBBackColor(&blue);
    TextMode(srcCopy);
    MoveTo(10, 20);
    DrawString(kAb);
    EXPECT_EQ((std::tuple{TBGetPixel(p.get(), 10, std::int16_t(20 - fi.ascent)), TBGetPixel(p.get(), 9, 20)}),
              (std::tuple{0x0000FFu, 0xFFFFFFu}))
        << "srcCopy paints the cell";

    TextMode(srcOr);
    EraseRect(&p.get()->portRect);
    RGBColor white{0xFFFF, 0xFFFF, 0xFFFF};
    RGBBackColor(&white);
    EraseRect(&p.get()->portRect);
    Rect clip{0, 0, 30, 5};
    ClipRect(&clip);
    MoveTo(10, 20);
    DrawString(kHello);
    EXPECT_EQ(p.countNonWhite(), 0) << "text is clipped";
}

// Text is UTF-8: an accented letter is one glyph as wide as its plain letter (not a glyph for each
// of its bytes), and its accent inks above the plain letter's top.
TEST(Text, Utf8CharactersAreOneGlyphEach) {
    ScratchPort p(40, 40);
    TextFont(applFont);
    TextSize(12);
    const unsigned char e[] = "\x01"
                              "e",
                        eAcute[] = "\x02\xC3\xA9", uUmlaut[] = "\x02\xC3\xBC";
    EXPECT_EQ(StringWidth(eAcute), StringWidth(e));
    EXPECT_EQ(StringWidth(uUmlaut), CharWidth('u'));
    const auto topInk = [&](ConstStr255Param text) {
        const Rect all = {0, 0, 40, 40};
        EraseRect(&all);
        MoveTo(10, 30);
        DrawString(text);
        for (std::int16_t v = 0; v < 40; ++v)
            for (std::int16_t h = 0; h < 40; ++h)
                if ((TBGetPixel(p.get(), h, v) & 0xFFFFFF) != 0xFFFFFF)
                    return v;
        return std::int16_t(40);
    };
    EXPECT_LT(topInk(eAcute), topInk(e));
}
