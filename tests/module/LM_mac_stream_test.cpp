// Style files in the style folder, over the real File Manager in a scratch data folder.
#include "Files.h"
#include "LM_globals.h"
#include "LM_mac_stream.h"
#include "LM_test_support.h"
#include "PascalString.h"
#include "Resources.h"
#include "Testing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

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

TEST_F(StyleFiles, SavedStylesLoadBackAndAreListedByName) {
    PString warm("Warm evening");
    ASSERT_TRUE(LM_SaveStyle(warm.s, *g));
    EXPECT_EQ(fs::file_size(folder() + "/Warm evening"), 64u);
    g->CreateNewLight(150, 120);
    g->gloss = 7;
    PString cold("cold morning");
    ASSERT_TRUE(LM_SaveStyle(cold.s, *g));
    std::ofstream(folder() + "/notes.txt") << "not a style"; // foreign files are not listed

    LM_GlobalsPtr loaded = MakeGlobals();
    loaded->previewCenter = {100, 100};
    ASSERT_TRUE(LM_LoadStyle(cold.s, *loaded));
    EXPECT_EQ(loaded->lightCount, 2);
    EXPECT_EQ(loaded->gloss, 7);
    EXPECT_EQ(listed(0), "cold morning"); // letter case ignored in the order
    EXPECT_EQ(listed(1), "Warm evening");
    EXPECT_EQ(listed(2), "<none>");
    EXPECT_TRUE(LM_style_istream::Exists(warm.s));
    PString missing("missing");
    EXPECT_FALSE(LM_style_istream::Exists(missing.s));
    EXPECT_FALSE(LM_LoadStyle(missing.s, *loaded));
}

// A style file is there whole or not at all: a failed overwrite leaves the old style; a save that
// dies leaves its temporary file behind, which is never listed, and the next save takes another
// name; a stream dropped before it is closed leaves nothing.
TEST_F(StyleFiles, AStyleFileIsThereWholeOrNotAtAll) {
    PString first("First");
    ASSERT_TRUE(LM_SaveStyle(first.s, *g));
    g->CreateNewLight(150, 120);
    TBFilesSetSpaceLimit(80); // less than the new file needs
    EXPECT_FALSE(LM_SaveStyle(first.s, *g));
    TBFilesSetSpaceLimit(-1);
    EXPECT_EQ(fs::file_size(folder() + "/First"), 64u) << "the failed save left the old style as it was";
    fs::copy_file(folder() + "/First", folder() + "/.saving-1");
    EXPECT_EQ(listed(0), "First");
    EXPECT_EQ(listed(1), "<none>");
    PString second("Second");
    ASSERT_TRUE(LM_SaveStyle(second.s, *g));
    EXPECT_GT(fs::file_size(folder() + "/Second"), 64u);
    EXPECT_TRUE(LM_SaveStyle(first.s, *g));
    EXPECT_GT(fs::file_size(folder() + "/First"), 64u) << "replaced once the new file was whole";

    PString third("Third");
    {
        LM_style_ostream out;
        ASSERT_TRUE(out.Open(third.s));
        EXPECT_FALSE(LM_style_istream::Exists(third.s)) << "not under its name while written";
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(folder()), fs::directory_iterator()), 3)
        << ".saving-1, First and Second";
}

TEST_F(StyleFiles, LongNamesAreCutWithoutSplittingACharacter) {
    PString forty("A forty character style name, really!!!!");
    ASSERT_EQ(forty.s[0], 40);
    ASSERT_TRUE(LM_SaveStyle(forty.s, *g));
    EXPECT_EQ(forty.s[0], 31); // cut in place
    EXPECT_TRUE(fs::exists(folder() + "/A forty character style name, r"));
    PString accented(std::string(30, 'x') + "\xC3\xA9"); // 30 + a two-byte character
    LM_CutStyleName(accented.s);
    EXPECT_EQ(accented.s[0], 30);
    PString exact(std::string(29, 'x') + "\xC3\xA9");
    LM_CutStyleName(exact.s);
    EXPECT_EQ(exact.s[0], 31);
}

TEST_F(StyleFiles, AFileInThePlaceOfTheFolderFailsEveryOperation) {
    std::ofstream(folder()) << "in the way";
    PString name("Any");
    std::int16_t volume = 0;
    long directory = 0;
    EXPECT_FALSE(LM_GetStyleFolder(volume, directory));
    EXPECT_FALSE(LM_SaveStyle(name.s, *g));
    EXPECT_EQ(listed(0), "<none>");
    EXPECT_FALSE(LM_style_ostream::IsLocked(name.s));
}

} // namespace

TEST_F(StyleFiles, FileSystemFaultsLeaveNoPartOfAStyleBehind) {
    PString name("Evening");
    // A full disk, at every byte of the 64-byte file and before the folder exists.
    for (long room : {0L, 1L, 2L, 6L, 35L, 36L, 63L}) {
        TBFilesSetSpaceLimit(room);
        EXPECT_FALSE(LM_SaveStyle(name.s, *g)) << room << " bytes free";
        TBFilesSetSpaceLimit(-1);
        EXPECT_FALSE(fs::exists(folder() + "/Evening")) << room << " bytes free";
        EXPECT_EQ(listed(0), "<none>");
    }
    ASSERT_TRUE(LM_SaveStyle(name.s, *g));
    const std::uintmax_t saved = fs::file_size(folder() + "/Evening");

    // A locked file is neither overwritten nor deleted, and still loads.
    fs::permissions(folder() + "/Evening",
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    EXPECT_TRUE(LM_style_ostream::IsLocked(name.s));
    EXPECT_FALSE(LM_SaveStyle(name.s, *g));
    EXPECT_FALSE(LM_style_ostream::Erase(name.s));
    EXPECT_EQ(fs::file_size(folder() + "/Evening"), saved);
    LM_GlobalsPtr loaded = MakeGlobals();
    EXPECT_TRUE(LM_LoadStyle(name.s, *loaded));

    // A read-only folder takes no new style and gives up none, for root as for anyone.
    fs::permissions(folder() + "/Evening", fs::perms::owner_write, fs::perm_options::add);
    fs::permissions(folder(), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    PString other("Morning");
    EXPECT_FALSE(LM_SaveStyle(other.s, *g));
    EXPECT_FALSE(LM_style_ostream::Erase(name.s));
    EXPECT_EQ(listed(0), "Evening");
    EXPECT_EQ(listed(1), "<none>");
    fs::permissions(folder(), fs::perms::owner_write, fs::perm_options::add);

    // A missing folder is made again.
    fs::remove_all(folder());
    EXPECT_TRUE(LM_SaveStyle(other.s, *g));
    EXPECT_EQ(listed(0), "Morning");
}
