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
}

} // namespace
