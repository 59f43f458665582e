// FreeType faces and a glyph cache. Advances are whole pixels so that StringWidth, DrawString and
// the pen's movement always agree.
#include "QDFonts.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdio>
#include <map>
#include <mutex>
#include <tuple>

namespace qdraw {

namespace {

const char* const kFontDir = "/usr/share/fonts/truetype/dejavu/";
const char* const kFaceFiles[4] = {"DejaVuSans.ttf", "DejaVuSans-Bold.ttf", "DejaVuSans-Oblique.ttf",
                                   "DejaVuSans-BoldOblique.ttf"};

// Mac Roman 0x80..0xFF as Unicode.
const std::uint16_t kMacRoman[128] = {
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1, 0x00E0, 0x00E2, 0x00E4, 0x00E3, 0x00E5,
    0x00E7, 0x00E9, 0x00E8, 0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3, 0x00F2, 0x00F4,
    0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC, 0x2020, 0x00B0, 0x00A2, 0x00A3, 0x00A7, 0x2022, 0x00B6,
    0x00DF, 0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8, 0x221E, 0x00B1, 0x2264, 0x2265,
    0x00A5, 0x00B5, 0x2202, 0x2211, 0x220F, 0x03C0, 0x222B, 0x00AA, 0x00BA, 0x03A9, 0x00E6, 0x00F8, 0x00BF,
    0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x2206, 0x00AB, 0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5,
    0x0152, 0x0153, 0x2013, 0x2014, 0x201C, 0x201D, 0x2018, 0x2019, 0x00F7, 0x25CA, 0x00FF, 0x0178, 0x2044,
    0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02, 0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1,
    0x00CB, 0x00C8, 0x00CD, 0x00CE, 0x00CF, 0x00CC, 0x00D3, 0x00D4, 0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9,
    0x0131, 0x02C6, 0x02DC, 0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7};

struct Fonts {
    std::mutex lock;
    FT_Library library = nullptr;
    FT_Face faces[4] = {};
    std::map<std::tuple<int, int, std::uint8_t>, Glyph> glyphs;
    std::map<std::pair<int, int>, FontMetrics> metrics;
};

Fonts& fonts() {
    static Fonts f;
    return f;
}

FT_Face faceFor(Fonts& f, int index) {
    if (!f.library && FT_Init_FreeType(&f.library) != 0) {
        std::fprintf(stderr, "toolbox: FreeType cannot start\n");
        return nullptr;
    }
    if (!f.faces[index]) {
        std::string path = std::string(kFontDir) + kFaceFiles[index];
        if (FT_New_Face(f.library, path.c_str(), 0, &f.faces[index]) != 0) {
            std::fprintf(stderr, "toolbox: font %s missing (install fonts-dejavu-core)\n", path.c_str());
            return nullptr;
        }
    }
    return f.faces[index];
}

int ceil26(long v) {
    return int((v + 63) >> 6);
}

} // namespace

TextStyle textStyleOf(const GrafPort& port) {
    TextStyle s;
    s.size = port.txSize > 0 ? port.txSize : 12;
    bool boldFace = port.txFont == systemFont || (port.txFace & bold);
    s.face = (boldFace ? 1 : 0) + ((port.txFace & italic) ? 2 : 0);
    return s;
}

std::uint32_t unicodeOf(std::uint8_t ch) {
    return ch < 0x80 ? ch : kMacRoman[ch - 0x80];
}

const Glyph& glyphOf(const TextStyle& style, std::uint8_t ch) {
    Fonts& f = fonts();
    std::lock_guard g(f.lock);
    auto key = std::make_tuple(style.face, style.size, ch);
    auto it = f.glyphs.find(key);
    if (it != f.glyphs.end())
        return it->second;
    Glyph glyph;
    FT_Face face = faceFor(f, style.face);
    if (face && FT_Set_Pixel_Sizes(face, 0, FT_UInt(style.size)) == 0 &&
        FT_Load_Char(face, unicodeOf(ch), FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT) == 0) {
        const FT_GlyphSlot slot = face->glyph;
        glyph.advance = int((slot->advance.x + 32) >> 6);
        glyph.left = slot->bitmap_left;
        glyph.top = slot->bitmap_top;
        glyph.width = int(slot->bitmap.width);
        glyph.height = int(slot->bitmap.rows);
        glyph.coverage.resize(std::size_t(glyph.width) * std::size_t(glyph.height));
        for (int y = 0; y < glyph.height; ++y)
            for (int x = 0; x < glyph.width; ++x)
                glyph.coverage[std::size_t(y * glyph.width + x)] =
                    slot->bitmap.buffer[y * slot->bitmap.pitch + x];
    }
    return f.glyphs.emplace(key, std::move(glyph)).first->second;
}

FontMetrics metricsOf(const TextStyle& style) {
    Fonts& f = fonts();
    std::lock_guard g(f.lock);
    auto key = std::make_pair(style.face, style.size);
    auto it = f.metrics.find(key);
    if (it != f.metrics.end())
        return it->second;
    FontMetrics m{style.size, 0, style.size, 0};
    FT_Face face = faceFor(f, style.face);
    if (face && FT_Set_Pixel_Sizes(face, 0, FT_UInt(style.size)) == 0) {
        const FT_Size_Metrics& sm = face->size->metrics;
        m.ascent = ceil26(sm.ascender);
        m.descent = ceil26(-sm.descender);
        m.widMax = ceil26(sm.max_advance);
        m.leading = std::max(0, ceil26(sm.height) - m.ascent - m.descent);
    }
    f.metrics.emplace(key, m);
    return m;
}

} // namespace qdraw
