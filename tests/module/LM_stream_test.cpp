// Style bytes: the layout written, what reading makes of stored values, and the shipped styles;
// style files in the style folder, over the real File Manager in a scratch data folder.
#include "Files.h"
#include "LM_mac_stream.h"
#include "LM_stream.h"
#include "LM_test_support.h"
#include "PascalString.h"
#include "Resources.h"
#include "SettingsBytes.h"
#include "Testing.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

namespace {

namespace fs = std::filesystem;

// A record whose world unit is `unit` (half the preview width).
LM_GlobalsPtr record(LM_sint16 unit) {
    return MakeGlobals(unit, LM_sint16(2 * unit));
}

// Style bytes written field by field, as the format lays them out.
struct StyleBytes {
    std::vector<unsigned char> b;
    StyleBytes& u16s(std::initializer_list<int> values) {
        for (const int v : values)
            b.insert(b.end(), {std::uint8_t(v >> 8), std::uint8_t(v)});
        return *this;
    }
    // Header and fixed fields: channel 2, white-is-high as given, amplitude 77, ambient (1,2,3),
    // material 5, gloss 6, exposure 7, brightness -8.
    static StyleBytes fixed(int count, int current, int unit, int white = 1) {
        return StyleBytes().u16s(
            {0x4242, 0x5158, 0x4C4D, 0, 144, 2, white, 77, 1, 2, 3, 5, 6, 7, -8, count, current, unit});
    }
    // A light coded `type` (1 directional, 2 omni, 3 spot) at (x, y), its axes and radius given.
    StyleBytes& light(int type, int x, int y, int isOn = 1,
                      std::array<int, 5> shape = {30, -30, -15, -15, 40}) {
        return u16s(
            {65535, 100, 0, 50, 128, isOn, type, x, y, shape[0], shape[1], shape[2], shape[3], shape[4]});
    }
    StyleBytes& cut(std::size_t size) {
        b.resize(size);
        return *this;
    }
    StyleBytes& set(std::size_t at, unsigned char value) {
        b[at] = value;
        return *this;
    }
};

// `stored` lights of every type, on and off in turn, white low.
StyleBytes lights(int count, int current, int stored) {
    StyleBytes s = StyleBytes::fixed(count, current, 100, 0);
    for (int i = 0; i < stored; ++i)
        s.light(3 - i % 3, i, i, i % 2);
    return s;
}

// From any settings: only the texture channel and the run's state stay.
TEST(StyleStream, TheDefaultSetUpIsOneSpotlightIn64Bytes) {
    LM_GlobalsPtr g = record(100);
    for (int i = 0; i < 16; ++i)
        g->CreateNewLight(LM_sint16(100 + i), 60);
    ApplyLook(*g, kLooks[1]);
    g->SetWhiteIsHigh(false);
    g->SetBumpChannel(2);
    g->previewEnabled = false;
    g->SetStyleIndex(4);
    g->SetUseCurrentSettings(true);
    g->Default();
    EXPECT_EQ(std::tuple(g->BumpChannel(), g->previewEnabled, g->StyleIndex(), g->UseCurrentSettings()),
              std::tuple(LM_sint16(2), LM_bool(0), LM_sint16(4), LM_bool(1)));
    g->SetBumpChannel(0);
    // The mark and format tag; texture channel, white is high, amplitude, ambient colour, material,
    // gloss, exposure, ambient light, light count, current light, the writer's unit; the spotlight's
    // colour (yellow), intensity, spread, on, type, position, axes and radius.
    const std::vector<unsigned char> expected = {
        0x42, 0x42, 0x51, 0x58, 0x4C, 0x4D, 0,   0,   0, 0x90, 0,   0,   0, 1,   0, 128,
        255,  255,  255,  255,  255,  255,  0,   0,   0, 128,  0,   128, 0, 16,  0, 1,
        0,    0,    0,    100,  255,  255,  255, 255, 0, 0,    0,   127, 0, 128, 0, 1,
        0,    3,    0,    0,    0,    0,    0,   30,  0, 30,   255, 241, 0, 15,  0, 30};
    EXPECT_EQ(SettingsBytes(*g), expected);
}

// What a reader with a world unit of `unit` writes back after reading the stored bytes; refused
// bytes (nothing expected) leave every setting as it was.
TEST(StyleStream, ReadingKeepsWhatTheBytesHoldAndRefusesWhatTheyCannot) {
    const struct {
        const char* what;
        std::vector<unsigned char> stored;
        LM_sint16 unit;
        std::vector<unsigned char> written;
    } rows[] = {
        {"every type, on and off", lights(3, 2, 3).b, 100, lights(3, 2, 3).b},
        {"at most sixteen lights", lights(20, 0, 20).b, 100, lights(16, 0, 16).b},
        {"a cut file keeps its whole lights", lights(5, 1, 5).cut(36 + 28 * 3 + 10).b, 100,
         lights(3, 1, 3).b},
        {"stored codes as written",
         StyleBytes::fixed(4, 7, 100, 2).light(0, 0, 0).light(9, 0, 0).light(2, 0, 0, 2).light(1, 0, 0).b,
         100, StyleBytes::fixed(4, 0, 100).light(3, 0, 0).light(3, 0, 0).light(2, 0, 0, 0).light(1, 0, 0).b},
        // -7.5 rounds away from zero.
        {"lengths in the reader's unit", StyleBytes::fixed(1, 0, 100).light(3, 40, -20).b, 50,
         StyleBytes::fixed(1, 0, 50).light(3, 20, -10, 1, {15, -15, -8, -8, 20}).b},
        {"a writer's unit of 0", StyleBytes::fixed(1, 0, 0).light(3, 40, -20).b, 50,
         StyleBytes::fixed(1, 0, 50).light(3, 0, 0, 1, {0, 0, 0, 0, 0}).b},
        {"no lights", StyleBytes::fixed(0, 0, 100).b, 100, {}},
        {"the only light cut", lights(2, 0, 1).cut(36 + 27).b, 100, {}},
        {"another format tag", lights(1, 0, 1).set(9, 0x91).b, 100, {}},
        {"another mark", lights(1, 0, 1).set(0, 0x41).b, 100, {}},
        {"cut in the fixed fields", lights(1, 0, 1).cut(20).b, 100, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        LM_GlobalsPtr g = record(row.unit);
        g->Default();
        g->gloss = 99;
        g->AllocateCaches(10, 10, false);
        const std::vector<unsigned char> before = SettingsBytes(*g);
        LM_memory_istream in(row.stored.data(), row.stored.size());
        EXPECT_EQ(in.Open() && g->Read(in), !row.written.empty());
        EXPECT_EQ(SettingsBytes(*g), row.written.empty() ? before : row.written);
        EXPECT_EQ(g->posCache.Used(), row.written.empty()) << "a loaded style releases the caches";
        EXPECT_EQ(g->lights[g->lightCount - 1].anchor.x, g->previewCenter.x);
    }
}

TEST(StyleStream, EveryShippedStyleLoadsWhole) {
    int styles = 0;
    for (const auto& entry : fs::directory_iterator(RELIGHT_STYLES_DIR)) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), {}};
        LM_GlobalsPtr g = record(180); // written for a 360-pixel work area
        LM_memory_istream stream(bytes.data(), bytes.size());
        ASSERT_TRUE(stream.Open() && g->Read(stream)) << entry.path();
        EXPECT_EQ(SettingsBytes(*g), bytes) << entry.path();
        ++styles;
    }
    EXPECT_GE(styles, 10) << "the style dialog's tests ship the ones they name";
}

// STR# 138: the style folder's name, as the module's resources give it.
const unsigned char kFolderStrings[] = {0, 1, 6, 'S', 't', 'y', 'l', 'e', 's'};
const TBResourceEntry kEntries[] = {
    {FOUR_CHAR("STR#"), 138, "folder", kFolderStrings, sizeof kFolderStrings}};

class StyleFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/relight-styles-XXXXXX";
        root = mkdtemp(pattern);
        TBResetForTests();
        TBFilesSetRoot(root, "Styles");
        g->previewOrigin = {0, 0};
        g->previewCenter = {100, 100};
        g->Default();
    }
    void TearDown() override {
        TBResetForTests();
        fs::remove_all(root);
    }
    std::string folder() const { return root + "/Styles"; }
    std::string listed(std::int16_t index) {
        PString n("");
        return LM_style_istream::IndexedInfo(index, n.s) ? pstr(n.s) : "<none>";
    }

    TBResourceRegistration resources{"style-test", kEntries, 1};
    std::string root;
    LM_GlobalsPtr g = MakeGlobals();
};

TEST_F(StyleFiles, LongNamesAreCutWithoutSplittingACharacter) {
    PString forty("A forty character style name, really!!!!");
    ASSERT_EQ(forty.s[0], 40);
    ASSERT_TRUE(LM_SaveStyle(forty.s, *g));
    EXPECT_EQ(forty.s[0], 31); // cut in place
    EXPECT_TRUE(fs::exists(folder() + "/A forty character style name, r"));
    for (const int before : {30, 29}) { // then a two-byte character
        PString name(std::string(std::size_t(before), 'x') + "\xC3\xA9");
        LM_CutStyleName(name.s);
        EXPECT_EQ(name.s[0], before == 30 ? 30 : 31);
    }
}

// A style file is there whole or not at all, and a locked one stays as it is (the dialog's alerts
// for it are in StyleDialog_test.cpp).
TEST_F(StyleFiles, FileSystemFaultsLeaveNoPartOfAStyleBehind) {
    PString name("Evening");
    // A full disk, at every byte of the 64-byte file and before the folder exists.
    for (long room : {0L, 1L, 2L, 6L, 35L, 36L, 63L}) {
        TBFilesSetSpaceLimit(room);
        EXPECT_FALSE(LM_SaveStyle(name.s, *g)) << room << " bytes free";
        TBFilesSetSpaceLimit(-1);
        EXPECT_FALSE(fs::exists(folder() + "/Evening")) << room << " bytes free";
    }
    ASSERT_TRUE(LM_SaveStyle(name.s, *g));
    // A failed overwrite leaves the old style as it was.
    g->CreateNewLight(150, 120);
    TBFilesSetSpaceLimit(80);
    EXPECT_FALSE(LM_SaveStyle(name.s, *g));
    TBFilesSetSpaceLimit(-1);
    EXPECT_EQ(fs::file_size(folder() + "/Evening"), 64u);
    // A save that died leaves its temporary file, never listed; the next save takes another name.
    fs::copy_file(folder() + "/Evening", folder() + "/.saving-1");
    ASSERT_TRUE(LM_SaveStyle(name.s, *g));
    EXPECT_GT(fs::file_size(folder() + "/Evening"), 64u);
    // A stream dropped before it is closed leaves nothing, not even under its name meanwhile.
    PString dropped("Dropped");
    {
        LM_style_ostream out;
        ASSERT_TRUE(out.Open(dropped.s));
        EXPECT_FALSE(LM_style_istream::Exists(dropped.s));
    }
    // A read-only folder takes no new style and gives up none, for root as for anyone.
    const fs::perms writable = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    fs::permissions(folder(), writable, fs::perm_options::remove);
    PString other("Morning");
    EXPECT_FALSE(LM_SaveStyle(other.s, *g));
    EXPECT_FALSE(LM_style_ostream::Erase(name.s));
    fs::permissions(folder(), fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(std::vector<std::string>({listed(0), listed(1)}),
              std::vector<std::string>({"Evening", "<none>"}));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder()), fs::directory_iterator()), 2)
        << ".saving-1, Evening";
    // A missing folder is made again.
    fs::remove_all(folder());
    EXPECT_TRUE(LM_SaveStyle(other.s, *g));
    EXPECT_EQ(listed(0), "Morning");
    // A file in the folder's place fails every operation.
    fs::remove_all(folder());
    std::ofstream(folder()) << "in the way";
    std::int16_t volume = 0;
    long directory = 0;
    EXPECT_FALSE(LM_GetStyleFolder(volume, directory));
    EXPECT_FALSE(LM_SaveStyle(other.s, *g));
    EXPECT_EQ(listed(0), "<none>");
    EXPECT_FALSE(LM_style_ostream::IsLocked(other.s));
}

} // namespace
