// The style popup and the Save and Delete buttons of the real dialog, driven by input scripts on
// the headless backend over a scratch style folder seeded with shipped styles.
#include "Backend.h"
#include "Dialogs.h"
#include "Files.h"
#include "LM_globals.h"
#include "LM_mac_stream.h"
#include "LM_test_support.h"
#include "PascalString.h"
#include "SettingsBytes.h"
#include "Snapshot.h"
#include "TestHost.h"
#include "Testing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

namespace fs = std::filesystem;

constexpr const char* kStylePopup = "choose @20 ";

LM_globals& globalsOf(const TestHost& host) {
    return *reinterpret_cast<LM_globals*>(host.GlobalsSlot());
}

std::vector<char> Bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The pixels that differ between two snapshots of the screen.
int ChangedPixels(const std::string& a, const std::string& b) {
    const Snapshot first(a), second(b);
    int changed = 0;
    for (std::size_t i = 0; i < first.pixels.size() && i < second.pixels.size(); ++i)
        changed += first.pixels[i] != second.pixels[i];
    return changed;
}

std::vector<std::uint32_t> Screen(const std::string& path, int* width) {
    int height = 0;
    std::vector<std::uint32_t> pixels;
    std::string error;
    EXPECT_TRUE(TBReadPNG(path, width, &height, &pixels, &error)) << error;
    return pixels;
}

struct Line {
    int v = 0, left = 0, length = 0;
};

// The longest run of black pixels in one row of a snapshot that the row below repeats (a band,
// not a frame line).
Line LongestBlackBand(const std::string& path) {
    int width = 0;
    const std::vector<std::uint32_t> pixels = Screen(path, &width);
    Line best, run;
    for (std::size_t i = 0; i + std::size_t(width) < pixels.size(); ++i) {
        const int h = int(i) % width;
        const bool black = (pixels[i] & 0xFFFFFF) == 0 && (pixels[i + std::size_t(width)] & 0xFFFFFF) == 0;
        if (h == 0 || !black)
            run = {int(i) / width, h + 1, 0};
        if (black && ++run.length > best.length)
            best = run;
    }
    return best;
}

// Whether rows near `row` that start black where it starts carry something light in the next 12
// pixels: a mark drawn inverted at the start of an inverted menu row.
bool MarkedRow(const std::string& path, const Line& row) {
    int width = 0;
    const std::vector<std::uint32_t> pixels = Screen(path, &width);
    const auto at = [&](int h, int v) { return pixels[std::size_t(v * width + h)] & 0xFFFFFF; };
    for (int v = row.v - 8; v <= row.v + 8; ++v)
        for (int h = row.left + 1; at(row.left, v) == 0 && h < row.left + 12; ++h)
            if ((at(h, v) & 0xFF) >= 0x80)
                return true;
    return false;
}

// Whether the snapshot shows `text` somewhere as DrawString draws it on white in that font and
// size: every pixel the text inks is found the same on the screen.
bool ShowsText(const std::string& snapshot, const std::string& text, std::int16_t font, std::int16_t size) {
    struct Ink {
        int h, v;
        std::uint32_t pixel;
    };
    std::vector<Ink> inks;
    GrafPtr saved;
    GetPort(&saved);
    const Rect box = {0, 0, 40, 400};
    GrafPtr port = TBNewOffscreenPort(&box, 32);
    SetPort(port);
    EraseRect(&box);
    TextFont(font);
    TextSize(size);
    MoveTo(4, 30);
    const PString name(text);
    DrawString(name.s);
    for (std::int16_t v = 0; v < box.bottom; ++v)
        for (std::int16_t h = 0; h < box.right; ++h)
            if ((TBGetPixel(port, h, v) & 0xFFFFFF) != 0xFFFFFF)
                inks.push_back({h, v, TBGetPixel(port, h, v) & 0xFFFFFF});
    SetPort(saved);
    TBDisposeOffscreenPort(port);
    int width = 0;
    const std::vector<std::uint32_t> screen = Screen(snapshot, &width);
    const int height = int(screen.size()) / std::max(width, 1);
    for (int y = 0; y + box.bottom <= height; ++y)
        for (int x = 0; x + box.right <= width; ++x)
            if (std::all_of(inks.begin(), inks.end(), [&](const Ink& ink) {
                    return (screen[std::size_t((y + ink.v) * width + x + ink.h)] & 0xFFFFFF) == ink.pixel;
                }))
                return !inks.empty();
    return false;
}

class StyleDialog : public ::testing::Test {
  protected:
    void SetUp() override {
        TBResetForTests();
        fs::remove_all(folder);
        fs::create_directories(folder);
    }

    std::int16_t Run(const std::string& script) { return host.RunWithDialog((script)); }
    void Ship(const std::string& name) { fs::copy_file(fs::path(RELIGHT_STYLES_DIR) / name, folder / name); }
    // A style whose header is right and whose body is not: neither listed nor loaded.
    void ShipBroken() {
        const unsigned char broken[] = {0x42, 0x42, 0x51, 0x58, 0x4C, 0x4D, 0, 0, 0, 0x91, 0, 0, 0, 0};
        std::ofstream(folder / "Broken", std::ios::binary)
            .write(reinterpret_cast<const char*>(broken), sizeof broken);
    }
    // The settings the style gives in this host's preview, loaded straight from its file.
    LM_GlobalsPtr Expected(const std::string& style) {
        LM_GlobalsPtr g = MakeGlobals();
        g->previewCenter = globalsOf(host).previewCenter;
        g->previewOrigin = globalsOf(host).previewOrigin;
        g->Default();
        PString name(style);
        EXPECT_TRUE(LM_LoadStyle(name.s, *g)) << style;
        return g;
    }
    // The dialog holds the settings of `style`, selected as the popup's entry `index`.
    void ExpectStyle(const std::string& style, LM_sint16 index) {
        EXPECT_EQ(SettingsBytes(globalsOf(host)), SettingsBytes(*Expected(style))) << style;
        EXPECT_EQ(globalsOf(host).StyleIndex(), index) << style;
    }

    fs::path folder = fs::path(TBFilesRoot()) / "Lighting Styles";
    TestHost host{MakeTestImage(200, 150)};
};

TEST_F(StyleDialog, AFreshDialogLoadsTheFirstStyleAndDeleteFollowsTheSelection) {
    Ship("Noon");
    Ship("Night");
    std::ofstream(folder / "readme.txt") << "not a style";
    // Without the undeletable style, the folder's first style is loaded; Delete is enabled on it.
    ASSERT_EQ(Run("click @1\n"), 0) << TBScriptError();
    ExpectStyle("Night", 1);

    Ship("Soft Spotlight");
    host.Unload();
    ASSERT_EQ(Run("click @1\n"), 0) << TBScriptError();
    // the undeletable style is listed first
    ExpectStyle("Soft Spotlight", 1);
    // Delete is disabled on it: a click opens no confirmation (OK then ends the dialog) and leaves
    // the button as it was drawn.
    const std::string before = (folder.parent_path() / "before.png").string(),
                      after = (folder.parent_path() / "after.png").string();
    ASSERT_EQ(Run("snapshot " + before + "\nclick @23\nsnapshot " + after + "\nclick @1\n"), 0)
        << TBScriptError();
    EXPECT_EQ(ChangedPixels(before, after), 0);
    EXPECT_TRUE(fs::exists(folder / "Soft Spotlight"));
    // A later run keeps its settings and its selection, whatever the folder holds first.
    ASSERT_EQ(Run(std::string(kStylePopup) + "noon\nclick @1\n"), 0) << TBScriptError();
    ASSERT_EQ(Run("click @1\n"), 0) << TBScriptError();
    // Soft Spotlight, Night, Noon
    ExpectStyle("Noon", 3);
}

TEST_F(StyleDialog, AnEmptyOrBrokenFolderKeepsTheDefaults) {
    ASSERT_EQ(Run("click @23\nclick @4\nclick @2\nclick @1\n"), 0) << TBScriptError();
    const LM_globals& g = globalsOf(host);
    EXPECT_EQ(g.StyleIndex(), 0);
    EXPECT_EQ(g.lightCount, 1);
    EXPECT_TRUE(TBAlertLog().empty());

    // A folder of damaged styles lists nothing.
    ShipBroken();
    host.Unload();
    ASSERT_EQ(Run("click @1\n"), 0) << TBScriptError();
    EXPECT_EQ(globalsOf(host).StyleIndex(), 0);
    EXPECT_EQ(globalsOf(host).lightCount, 1);
    // A later run whose folder lists nothing keeps the index it had.
    Ship("Noon");
    host.Unload();
    ASSERT_EQ(Run("click @1\n"), 0) << TBScriptError();
    fs::remove(folder / "Noon");
    ASSERT_EQ(Run("click @1\n"), 0) << TBScriptError();
    EXPECT_EQ(globalsOf(host).StyleIndex(), 1);
}

// Delete follows the selection after each action: a press on it either asks (and the second press
// confirms the deletion) or does nothing (and the second press is the dialog's Cancel).
TEST_F(StyleDialog, DeleteIsEnabledExactlyWhenTheSelectedStyleMayGo) {
    Ship("Soft Spotlight");
    Ship("Noon");
    Ship("Night");
    const std::string deleteAndConfirm = "click @23\nclick @2\n";
    const struct {
        const char* after;
        std::string script;
        std::int16_t result;
        const char* gone;
    } rows[] = {
        {"Save", "click @4\ntype Mine\nclick @1\n" + deleteAndConfirm + "click @1\n", 0, "Mine"},
        {"Select the default", std::string(kStylePopup) + "Soft Spotlight\n" + deleteAndConfirm, filterStop,
         ""},
        {"Select another", std::string(kStylePopup) + "Noon\n" + deleteAndConfirm + "click @1\n", 0, "Noon"},
        {"Delete", std::string(kStylePopup) + "Night\n" + deleteAndConfirm + deleteAndConfirm, filterStop,
         "Night"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Run(row.script), row.result) << row.after << ": " << TBScriptError();
        EXPECT_FALSE(*row.gone && fs::exists(folder / row.gone)) << row.after;
        EXPECT_TRUE(fs::exists(folder / "Soft Spotlight")) << row.after;
    }
}

TEST_F(StyleDialog, ChoosingAStyleLoadsItAndRedrawsThePreview) {
    Ship("Soft Spotlight");
    Ship("Noon");
    Ship("Stage Trio");
    const std::string before = (folder.parent_path() / "before.png").string(),
                      after = (folder.parent_path() / "after.png").string();
    ASSERT_EQ(
        Run("snapshot " + before + "\n" + kStylePopup + "Stage Trio\nsnapshot " + after + "\nclick @1\n"), 0)
        << TBScriptError();
    ExpectStyle("Stage Trio", 3);
    EXPECT_GT(ChangedPixels(before, after), 20000) << "the preview is shaded anew";

    // Held open over the chosen entry, the menu is as wide as the popup's box (its inverted row is
    // the longest black band on the screen) and that entry, the third, is checked.
    const std::string open = (folder.parent_path() / "open.png").string();
    ASSERT_EQ(Run("down 550,22\nsnapshot " + open + "\nup 550,22\nclick @1\n"), 0) << TBScriptError();
    const Line row = LongestBlackBand(open);
    EXPECT_EQ(row.length, 219);
    EXPECT_EQ(globalsOf(host).StyleIndex(), 3);
    EXPECT_TRUE(MarkedRow(open, row)) << "the chosen entry's check mark, inverted with its row";

    // A style damaged after it was listed (rewritten in place: the folder did not change) is refused
    // as it is chosen, by the check the listing makes: the load alert, and the session goes on with
    // its settings.
    std::ifstream shipped(folder / "Noon", std::ios::binary);
    std::string noon{std::istreambuf_iterator<char>(shipped), {}};
    noon[10] = noon[11] = char(0xFF); // texture channel -1
    std::ofstream(folder / "Noon", std::ios::binary) << noon;
    ASSERT_EQ(Run(std::string(kStylePopup) + "Noon\nkey return\nclick @1\n"), 0) << TBScriptError();
    EXPECT_EQ(TBAlertLog(), std::vector<std::int16_t>{16008});
    // unchanged
    ExpectStyle("Stage Trio", 3);
}

TEST_F(StyleDialog, SavingAsksForANameAndConfirmsAnOverwrite) {
    Ship("Soft Spotlight");
    Ship("Noon");
    const std::vector<char> noon = Bytes(folder / "Noon");
    // A new name; a leading period becomes an asterisk, a later one stays; a name of spaces is
    // not taken (the dialog stays up for the next try).
    ASSERT_EQ(Run("click 508,247\n" // gloss 0
                  "click @4\nkey space\nkey space\nclick @1\ntype .warm.v2\nclick @1\nclick @1\n"),
              0)
        << TBScriptError();
    EXPECT_TRUE(fs::exists(folder / "*warm.v2"));
    EXPECT_FALSE(fs::exists(folder / "  "));
    EXPECT_EQ(globalsOf(host).StyleIndex(), 2) << "after Soft Spotlight, before Noon";
    EXPECT_EQ(Expected("*warm.v2")->gloss, 0);

    // An existing name: Keep, Escape, Return and Command-period in the confirmation keep the old
    // file and ask for a name again (Cancel there ends the save); in the confirmation of a
    // deletion they keep the file as well.
    for (const char* keep : {"click @1", "key escape", "key return", "key . +command"}) {
        ASSERT_EQ(Run("click @4\ntype Noon\nclick @1\n" + std::string(keep) + "\nclick @2\n" + kStylePopup +
                      "Noon\nclick @23\n" + keep + "\nclick @1\n"),
                  0)
            << keep << ": " << TBScriptError();
        EXPECT_EQ(Bytes(folder / "Noon"), noon) << keep;
    }
    // Replace writes the current settings over it.
    ASSERT_EQ(Run("click 508,247\nclick @4\ntype Noon\nclick @1\nclick @2\nclick @1\n"), 0)
        << TBScriptError();
    EXPECT_NE(Bytes(folder / "Noon"), noon);
    EXPECT_EQ(Expected("Noon")->gloss, 0);
    EXPECT_TRUE(TBAlertLog().empty());

    // A full disk: the save alert, and neither the style nor a temporary file is left.
    TBFilesSetSpaceLimit(20);
    const std::int16_t result = Run("click @4\ntype Full\nclick @1\nkey return\nclick @1\n");
    TBFilesSetSpaceLimit(-1);
    ASSERT_EQ(result, 0) << TBScriptError();
    EXPECT_EQ(TBAlertLog(), std::vector<std::int16_t>{16007});
    EXPECT_FALSE(fs::exists(folder / "Full"));
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        EXPECT_NE(entry.path().filename().string()[0], '.') << "no temporary file is left";
}

TEST_F(StyleDialog, LockedFilesAreReportedAndKept) {
    Ship("Soft Spotlight");
    Ship("Noon");
    fs::permissions(folder / "Noon", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const std::vector<char> noon = Bytes(folder / "Noon");
    ASSERT_EQ(Run("click @4\ntype Noon\nclick @1\nclick @2\n" // replace: locked, alert, name again
                  "key return\nclick @2\n" +
                  std::string(kStylePopup) +
                  "Noon\nclick @23\n" // delete: locked, alert
                  "key return\nclick @1\n"),
              0)
        << TBScriptError();
    EXPECT_EQ(TBAlertLog(), (std::vector<std::int16_t>{16010, 16009}));
    ASSERT_EQ(TBAlertTextLog().size(), 2u);
    EXPECT_NE(TBAlertTextLog()[0].find("Noon"), std::string::npos) << TBAlertTextLog()[0];
    EXPECT_NE(TBAlertTextLog()[1].find("Noon"), std::string::npos) << TBAlertTextLog()[1];
    EXPECT_EQ(Bytes(folder / "Noon"), noon);
}

TEST_F(StyleDialog, DeletingConfirmsThenLoadsTheFirstStyle) {
    Ship("Soft Spotlight");
    Ship("Noon");
    Ship("Night");
    // A script that ends in the confirmation leaves it as a cancel would: the file stays.
    EXPECT_EQ(Run(std::string(kStylePopup) + "Noon\nclick @23\n"), filterStop) << TBScriptError();
    EXPECT_TRUE(fs::exists(folder / "Noon"));
    // After the deletion the dialog looks as it does on the first style chosen by hand: the Delete
    // button's grey label is drawn once, not over itself.
    const std::string first = (folder.parent_path() / "first.png").string(),
                      deleted = (folder.parent_path() / "deleted.png").string();
    ASSERT_EQ(Run(std::string(kStylePopup) + "Soft Spotlight\nsnapshot " + first + "\n" + kStylePopup +
                  "Noon\nclick @23\nclick @2\nsnapshot " + deleted + "\nclick @1\n"),
              0)
        << TBScriptError();
    EXPECT_EQ(ChangedPixels(first, deleted), 0);
    EXPECT_FALSE(fs::exists(folder / "Noon"));
    ExpectStyle("Soft Spotlight", 1);
    EXPECT_TRUE(TBAlertLog().empty());
}

} // namespace

// A name with accented letters: typed whole in the Save dialog (its surrounding spaces dropped),
// saved under its UTF-8 bytes, and drawn as such in the name field, the popup and the locked-file
// alert.
TEST_F(StyleDialog, NamesAreUtf8Throughout) {
    Ship("Soft Spotlight");
    const std::string name = "Café Grüße ñø";
    const fs::path shots = folder.parent_path();
    ASSERT_EQ(Run("click @4\ntype " + name + "  \nsnapshot " + (shots / "field.png").string() +
                  "\nclick @1\nsnapshot " + (shots / "popup.png").string() + "\nclick @1\n"),
              0)
        << TBScriptError();
    ASSERT_TRUE(fs::exists(folder / name));
    EXPECT_TRUE(ShowsText((shots / "field.png").string(), name, systemFont, 0));
    EXPECT_TRUE(ShowsText((shots / "popup.png").string(), name, applFont, 9));

    fs::permissions(folder / name, fs::perms::owner_read);
    ASSERT_EQ(Run(std::string(kStylePopup) + "café grüße ÑØ\nclick @23\nsnapshot " +
                  (shots / "alert.png").string() + "\nkey return\nclick @1\n"),
              0)
        << TBScriptError();
    EXPECT_EQ(TBAlertLog(), std::vector<std::int16_t>{16009});
    EXPECT_TRUE(ShowsText((shots / "alert.png").string(), "“" + name + "”", systemFont, 0));
}
