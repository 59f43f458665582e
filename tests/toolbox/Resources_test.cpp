#include "Memory.h"
#include "QuickDraw.h"
#include "RezCompiler.h"
#include "Resources.h"
#include "UiTestSupport.h"

#include <tuple>

namespace {

std::vector<std::uint8_t> compileOne(const std::string& text) {
    std::vector<CompiledResource> out;
    std::string error;
    EXPECT_TRUE(CompileResources(text, "t.rsrc", &out, &error)) << error;
    return out.empty() ? std::vector<std::uint8_t>{} : out[0].data;
}

std::string compileError(const std::string& text) {
    std::vector<CompiledResource> out;
    std::string error;
    EXPECT_FALSE(CompileResources(text, "t.rsrc", &out, &error));
    return error;
}

using Bytes = std::vector<std::uint8_t>;

TEST(ResourceCompiler, LaysOutTemplatesBigEndian) {
    // DLOG: rect, procID, visible+filler, goAway+filler, refCon, itemsID, title, pad, position.
    EXPECT_EQ(
        compileOne("DLOG 7\n bounds 1 2 3 260\n proc 5\n visible no\n title \"Ab\"\n position centre\nend\n"),
        (Bytes{0, 1, 0, 2, 0, 3, 1, 4, 0, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 7, 2, 'A', 'b', 0, 0x28, 0x0A}));
    // CNTL: max before min.
    EXPECT_EQ(
        compileOne("CNTL 1\n bounds 0 0 10 20\n value 3\n min -1\n max 9\n proc 1008\n refcon 0x10002\n"
                   " title \"T\"\nend\n"),
        (Bytes{0, 0, 0, 0, 0, 10, 0, 20, 0, 3, 1, 0, 0, 9, 0xFF, 0xFF, 0x03, 0xF0, 0, 1, 0, 2, 1, 'T'}));
    // DITL: count-1, then placeholder, rect, type (+128 disabled), data, padding to even.
    EXPECT_EQ(
        compileOne("DITL 1\n button 1 2 3 4 \"OK\"\n user 5 6 7 8 disabled\n control 0 0 1 1 300\nend\n"),
        (Bytes{0, 2, 0, 0, 0, 0, 0,   1, 0, 2, 0, 3, 0, 4, 4, 2, 'O', 'K', 0, 0, 0, 0, 0, 5,
               0, 6, 0, 7, 0, 8, 128, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,   1,   0, 1, 7, 2, 1, 44}));
    // STR#: count then packed Pascal strings, escapes decoded.
    EXPECT_EQ(compileOne("STR# 1\n \"a\\x8E\"\n \"\"\nend\n"), (Bytes{0, 2, 2, 'a', 0x8E, 0}));
    // MENU: id, size, proc, filler, enable flags (bit 0 menu, bit n item n), title, items, end byte.
    EXPECT_EQ(compileOne("MENU 3\n title \"M\"\n item \"a\" key K\n item \"b\" disabled checked\nend\n"),
              (Bytes{0,   3, 0,   0, 0,   0, 0, 0, 0,   0, 0, 0,    0, 3, 1,
                     'M', 1, 'a', 0, 'K', 0, 0, 1, 'b', 0, 0, 0x12, 0, 0}));
}

TEST(ResourceCompiler, PixelArt) {
    // cicn: height, width, 0x00RRGGBB pixels, then mask bytes.
    EXPECT_EQ(compileOne("cicn 1\n palette . transparent\n palette g 00FF00\n pixels\n g.\nend\n"),
              (Bytes{0, 1, 0, 2, 0, 0, 0xFF, 0, 0, 0, 0, 0, 1, 0}));
    std::string cursor = "CURS 128\n hotspot 3 4\n pixels\n Xo~.............\n";
    for (int i = 1; i < 16; ++i)
        cursor += " ................\n";
    const Bytes curs = compileOne(cursor + "end\n");
    // Data: X and ~ in columns 0 and 2; mask: X and o in columns 0 and 1; the hot spot. The
    // module's own cursor is such a resource, read back big-endian.
    ASSERT_EQ(curs.size(), 68u);
    EXPECT_EQ((std::tuple{curs[0], curs[32], curs[65], curs[67]}), (std::tuple{0xA0, 0xC0, 3, 4}));
    const TBResourceEntry entry{FOUR_CHAR("CURS"), 128, "", curs.data(), long(curs.size())};
    TBResourceRegistration file("cursor", &entry, 1);
    const CursHandle c = GetCursor(128);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ((std::tuple{(**c).data[0], (**c).mask[0], (**c).hotSpot.v, (**c).hotSpot.h}),
              (std::tuple{0xA000, 0xC000, 3, 4}));
}

TEST(ResourceCompiler, ErrorsNameTheLine) {
    EXPECT_EQ(compileError("STR# 1\n \"a\"\n"), "t.rsrc:1: missing 'end'");
    EXPECT_EQ(compileError("\nWXYZ 1\nend\n"), "t.rsrc:2: unknown resource type 'WXYZ'");
    EXPECT_EQ(compileError("DLOG 1\n title \"x\"\nend\n"), "t.rsrc:1: missing bounds");
    EXPECT_EQ(compileError("DITL 1\n button 0 0 1 \"x\"\nend\n"), "t.rsrc:2: expected a number, found 'x'");
    EXPECT_EQ(compileError("STR 1\n \"caf\xE9\"\nend\n"), "t.rsrc:2: a string that is not UTF-8");
    EXPECT_EQ(compileError("STR 1\n \"a\"\nend\nSTR 1\n \"b\"\nend\n"),
              "t.rsrc:4: duplicate resource STR  1");
    EXPECT_EQ(compileError("cicn 1\n palette a 12\n pixels\n a\nend\n"),
              "t.rsrc:2: a palette colour is RRGGBB in hex or transparent");
}

std::string indString(std::int16_t id, std::int16_t index) {
    Str255 s;
    s[0] = 9;
    GetIndString(s, id, index);
    return pstr(s);
}

TEST(ResourceManager, FindsEmbeddedResourcesOnceAndNewerFilesFirst) {
    Handle dlog = GetResource(FOUR_CHAR("DLOG"), 300);
    ASSERT_NE(dlog, nullptr);
    EXPECT_EQ((std::tuple{ResError(), GetResource(FOUR_CHAR("DLOG"), 300)}), (std::tuple{noErr, dlog}))
        << "the same handle on every call";
    EXPECT_EQ((std::tuple{GetResource(FOUR_CHAR("DLOG"), 301), ResError()}),
              (std::tuple{nullptr, resNotFound}));
    // Purged data comes back with LoadResource.
    HPurge(dlog);
    PurgeMem(TBHeapLimit());
    ASSERT_EQ(*dlog, nullptr);
    LoadResource(dlog);
    ASSERT_NE(*dlog, nullptr);
    EXPECT_EQ(static_cast<unsigned char>((*dlog)[9]), 5) << "its procID";
    HNoPurge(dlog);

    static const unsigned char text[] = {0, 1, 5, 'n', 'e', 'w', 'e', 'r'};
    static const TBResourceEntry entries[] = {{FOUR_CHAR("STR#"), 200, "", text, sizeof text}};
    std::vector<std::string> seen;
    {
        TBResourceRegistration newer("newer", entries, 1);
        seen.push_back(indString(200, 1));
    }
    // Then the removed file no longer answers; out-of-range indices and missing lists give "".
    for (const auto& [id, index] : {std::pair{200, 1}, {200, 2}, {200, 0}, {200, 3}, {999, 1}})
        seen.push_back(indString(std::int16_t(id), std::int16_t(index)));
    EXPECT_EQ(seen, (std::vector<std::string>{"newer", "Dark", "Light \"bright\"", "", "", ""}));
}

} // namespace
