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

struct Fonts {
    std::mutex lock;
    FT_Library library = nullptr;
    FT_Face faces[4] = {};
    std::map<std::tuple<int, int, std::uint32_t>, Glyph> glyphs;
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

const Glyph& glyphOf(const TextStyle& style, std::uint32_t ch) {
    Fonts& f = fonts();
    std::lock_guard g(f.lock);
    auto key = std::make_tuple(style.face, style.size, ch);
    auto it = f.glyphs.find(key);
    if (it != f.glyphs.end())
        return it->second;
    Glyph glyph;
    FT_Face face = faceFor(f, style.face);
    if (face && FT_Set_Pixel_Sizes(face, 0, FT_UInt(style.size)) == 0 &&
        FT_Load_Char(face, ch, FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT) == 0) {
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
