// Text: widths agree with what drawing does, font numbers pick the right faces, glyphs stay in
// their cell and honour the clip. Text is UTF-8: an accented letter is one glyph
// as wide as its plain letter (not a glyph for each of its bytes), its accent above the letter.
#include "PascalString.h"
#include "PortPicture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

namespace {

const PString kHello("Hello"), kE("e"), kEAcute("é"), kUUmlaut("ü");

// The box round what `text` drawn at (10, 20) inks on a white port, and the least red and green inked.
struct Ink {
    int top = 999, left = 999, bottom = 0, right = 0;
    std::uint32_t red = 255, green = 255;
};

Ink inkOf(GrafPtr port, ConstStr255Param text) {
    EraseRect(&port->portRect);
    MoveTo(10, 20);
    DrawString(text);
    Ink ink;
    for (int v = 0; v < port->portRect.bottom; ++v)
        for (int h = 0; h < port->portRect.right; ++h)
            if (const std::uint32_t px = TBGetPixel(port, std::int16_t(h), std::int16_t(v)); px != 0xFFFFFF)
                ink = {std::min(ink.top, v),
                       std::min(ink.left, h),
                       std::max(ink.bottom, v + 1),
                       std::max(ink.right, h + 1),
                       std::min(ink.red, px >> 16 & 0xFF),
                       std::min(ink.green, px >> 8 & 0xFF)};
    return ink;
}

} // namespace

TEST(Text, WidthsAreWholePixelsThatAddUpAndMatchThePenAdvanceInEachFace) {
    ScratchPort p(200, 40);
    TextFont(applFont);
    TextSize(12);
    EXPECT_EQ(StringWidth(PString("ab").s), CharWidth('a') + CharWidth('b'));
    EXPECT_EQ(TextWidth(kHello.s, 1, 2), CharWidth('H') + CharWidth('e'));
    EXPECT_EQ((std::tuple{StringWidth(kEAcute.s), StringWidth(kUUmlaut.s)}),
              (std::tuple{StringWidth(kE.s), CharWidth('u')}));
    MoveTo(10, 20);
    DrawString(kHello.s);
    EXPECT_EQ((std::tuple{p.get()->pnLoc.h, p.get()->pnLoc.v}), (std::tuple{10 + StringWidth(kHello.s), 20}))
        << "the pen advances along the baseline";
    const std::int16_t at12 = StringWidth(kHello.s);
    TextSize(9);
    FontInfo fi;
    GetFontInfo(&fi);
    EXPECT_TRUE(StringWidth(kHello.s) < at12 && fi.ascent >= 7 && fi.ascent + fi.descent <= 13);

    // The system font is the bold face of font 1, at 12 when the size is 0.
    TextFont(systemFont);
    TextSize(0);
    const std::int16_t system = StringWidth(kHello.s);
    FontInfo sys;
    GetFontInfo(&sys);
    TextSize(12);
    EXPECT_EQ(StringWidth(kHello.s), system);
    TextFont(applFont);
    const std::int16_t plain = StringWidth(kHello.s);
    TextFace(bold);
    EXPECT_EQ(StringWidth(kHello.s), system);
    EXPECT_TRUE(system > plain && sys.ascent >= 10 && sys.ascent <= 13 && sys.descent >= 2 &&
                sys.descent <= 4);
}

TEST(Text, GlyphsStayInTheirCellInTheForeColourAndTheClip) {
    ScratchPort p(120, 30);
    TextFont(applFont);
    TextSize(12);
    FontInfo fi;
    GetFontInfo(&fi);
    EXPECT_LT(inkOf(p.get(), kEAcute.s).top, inkOf(p.get(), kE.s).top);
    RGBColor red{0xFFFF, 0, 0};
    RGBForeColor(&red);
    const Ink hello = inkOf(p.get(), kHello.s);
    EXPECT_TRUE(hello.left >= 9 && hello.right <= 11 + StringWidth(kHello.s) && hello.top >= 20 - fi.ascent &&
                hello.bottom <= 20 + fi.descent);
    EXPECT_EQ((std::tuple{hello.red, hello.green < 0x40}), (std::tuple{0xFFu, true}))
        << "antialiased red keeps full red, and some pixel is well covered";

    EraseRect(&p.get()->portRect);
    Rect clip{0, 0, 30, 5};
    ClipRect(&clip);
    EXPECT_EQ(inkOf(p.get(), kHello.s).bottom, 0) << "text is clipped";
}
