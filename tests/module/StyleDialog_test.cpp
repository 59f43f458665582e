// The style popup and the Save and Delete buttons of the real dialog, over a scratch style folder
// seeded with shipped styles.
#include "DialogRun.h"
#include "Dialogs.h"
#include "LM_mac_stream.h"
#include "LM_test_support.h"
#include "PascalString.h"
#include "SettingsBytes.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

namespace fs = std::filesystem;

const std::string kStylePopup = "choose @20 ";

std::string Bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

struct Line {
    int v = 0, left = 0, length = 0;
};

// The longest run of black pixels in one row of a snapshot that the row below repeats (a band,
// not a frame line).
Line LongestBlackBand(const Snapshot& shot) {
    Line best, run;
    for (int v = 0; v + 1 < shot.height; ++v)
        for (int h = 0; h < shot.width; ++h) {
            const bool black = shot.At(h, v) == 0 && shot.At(h, v + 1) == 0;
            if (h == 0 || !black)
                run = {v, h + 1, 0};
            if (black && ++run.length > best.length)
                best = run;
        }
    return best;
}

// Whether rows near `row` that start black where it starts carry something light in the next 12
// pixels: a mark drawn inverted at the start of an inverted menu row.
bool MarkedRow(const Snapshot& shot, const Line& row) {
    for (int v = row.v - 8; v <= row.v + 8; ++v)
        for (int h = row.left + 1; shot.At(row.left, v) == 0 && h < row.left + 12; ++h)
            if ((shot.At(h, v) & 0xFF) >= 0x80)
                return true;
    return false;
}

// Whether the snapshot shows `text` as DrawString draws it in that font and size.
bool ShowsText(const std::string& snapshot, const std::string& text, std::int16_t font, std::int16_t size) {
    const auto draw = [&] {
        TextFont(font);
        TextSize(size);
        MoveTo(4, 30);
        DrawString(PString(text).s);
    };
    const Stamp ink = StampOf(400, 40, draw, [](auto overWhite, auto) { return overWhite != 0xFFFFFF; });
    return Snapshot(snapshot).Find(ink).has_value();
}

class StyleDialog : public DialogRun {
  protected:
    void SetUp() override {
        DialogRun::SetUp();
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void Ship(std::initializer_list<const char*> styles) {
        for (const char* style : styles)
            fs::copy_file(fs::path(RELIGHT_STYLES_DIR) / style, folder / style);
    }
    // The settings the style gives in this host's preview, loaded straight from its file.
    LM_GlobalsPtr Expected(const std::string& style) {
        LM_GlobalsPtr expected = MakeGlobals();
        expected->previewCenter = g().previewCenter;
        expected->previewOrigin = g().previewOrigin;
        expected->Default();
        EXPECT_TRUE(LM_LoadStyle(PString(style).s, *expected)) << style;
        return expected;
    }
    // The dialog holds the settings of `style`, selected as the popup's entry `index`.
    void ExpectStyle(const std::string& style, LM_sint16 index) {
        EXPECT_EQ(SettingsBytes(g()), SettingsBytes(*Expected(style))) << style;
        EXPECT_EQ(g().StyleIndex(), index) << style;
    }

    fs::path folder = fs::path(TBFilesRoot()) / "Lighting Styles";
};

// A fresh dialog loads the first style the folder lists (the undeletable one first, on which Delete
// does nothing: no confirmation, the button drawn as it was), or keeps the defaults when the folder
// lists none; a later run keeps its settings and its selection, whatever the folder holds.
TEST_F(StyleDialog, AFreshDialogLoadsTheFirstStyleAndDeleteFollowsTheSelection) {
    // A style whose header is right and whose body is not: neither listed nor loaded.
    std::ofstream(folder / "Broken", std::ios::binary) << std::string("BBQXLM\0\0\0\x91\0\0\0\0", 14);
    Ok("click @23\nclick @4\nclick @2\nclick @1\n");
    EXPECT_EQ(g().StyleIndex(), 0);
    EXPECT_EQ(g().lightCount, 1);
    EXPECT_TRUE(TBAlertLog().empty());

    Ship({"Noon", "Night"});
    host.Unload();
    Ok("click @1\n");
    ExpectStyle("Night", 1);

    Ship({"Soft Spotlight"});
    host.Unload();
    Ok("snapshot " + Shot("before") + "\nclick @23\nsnapshot " + Shot("after") + "\nclick @1\n");
    ExpectStyle("Soft Spotlight", 1);
    EXPECT_EQ(Snapshot(Shot("before")).Changed(Snapshot(Shot("after"))), 0);
    Ok(kStylePopup + "noon\nclick @1\n");
    Ok("click @1\n");
    ExpectStyle("Noon", 3);
    for (const char* style : {"Soft Spotlight", "Night", "Noon"})
        fs::remove(folder / style);
    Ok("click @1\n");
    EXPECT_EQ(g().StyleIndex(), 3) << "a folder that lists nothing";
}

// Delete follows the selection after each action: a press on it either asks (and the second press
// confirms the deletion; a script that ends in the question leaves it as a cancel would) or does
// nothing (and the second press is the dialog's Cancel). After a deletion the dialog loads the first
// style and looks as it does on that style chosen by hand: the Delete button's grey label is drawn
// once, not over itself.
TEST_F(StyleDialog, DeleteIsEnabledExactlyWhenTheSelectedStyleMayGo) {
    Ship({"Soft Spotlight", "Noon", "Night"});
    const std::string deleteAndConfirm = "click @23\nclick @2\n";
    const std::string deleteNoon = kStylePopup + "Soft Spotlight\nsnapshot " + Shot("first") + "\n" +
                                   kStylePopup + "Noon\n" + deleteAndConfirm + "snapshot " + Shot("deleted") +
                                   "\nclick @1\n";
    const struct {
        const char* after;
        std::string script;
        std::int16_t result;
        const char* gone;
        const char* kept = "Soft Spotlight";
    } rows[] = {
        {"Ask only", kStylePopup + "Noon\nclick @23\n", filterStop, "", "Noon"},
        {"Save", "click @4\ntype Mine\nclick @1\n" + deleteAndConfirm + "click @1\n", 0, "Mine"},
        {"Select the default", kStylePopup + "Soft Spotlight\n" + deleteAndConfirm, filterStop, ""},
        {"Select another", deleteNoon, 0, "Noon"},
        {"Delete", kStylePopup + "Night\n" + deleteAndConfirm + deleteAndConfirm, filterStop, "Night"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Run(row.script), row.result) << row.after << ": " << TBScriptError();
        EXPECT_FALSE(*row.gone && fs::exists(folder / row.gone)) << row.after;
        EXPECT_TRUE(fs::exists(folder / row.kept)) << row.after;
    }
    EXPECT_EQ(Snapshot(Shot("first")).Changed(Snapshot(Shot("deleted"))), 0);
    ExpectStyle("Soft Spotlight", 1);
    EXPECT_TRUE(TBAlertLog().empty());
}

TEST_F(StyleDialog, ChoosingAStyleLoadsItAndRedrawsThePreview) {
    Ship({"Soft Spotlight", "Noon", "Stage Trio"});
    Ok("snapshot " + Shot("before") + "\n" + kStylePopup + "Stage Trio\nsnapshot " + Shot("after") +
       "\nclick @1\n");
    ExpectStyle("Stage Trio", 3);
    EXPECT_GT(Snapshot(Shot("before")).Changed(Snapshot(Shot("after"))), 20000)
        << "the preview is shaded anew";

    // Held open over the chosen entry, the menu is as wide as the popup's box (its inverted row is
    // the longest black band on the screen) and that entry, the third, is checked.
    Ok("down 550,22\nsnapshot " + Shot("open") + "\nup 550,22\nclick @1\n");
    const Snapshot open(Shot("open"));
    const Line row = LongestBlackBand(open);
    EXPECT_EQ(row.length, 219);
    EXPECT_EQ(g().StyleIndex(), 3);
    EXPECT_TRUE(MarkedRow(open, row)) << "the chosen entry's check mark, inverted with its row";

    // A style damaged after it was listed (rewritten in place: the folder did not change) is refused
    // as it is chosen, by the check the listing makes: the load alert, and the settings stay.
    std::string noon = Bytes(folder / "Noon");
    noon[10] = noon[11] = char(0xFF); // texture channel -1
    std::ofstream(folder / "Noon", std::ios::binary) << noon;
    Ok(kStylePopup + "Noon\nkey return\nclick @1\n");
    EXPECT_EQ(TBAlertLog(), std::vector<std::int16_t>{16008});
    ExpectStyle("Stage Trio", 3);
}

TEST_F(StyleDialog, SavingAsksForANameAndConfirmsAnOverwrite) {
    Ship({"Soft Spotlight", "Noon"});
    const std::string noon = Bytes(folder / "Noon");
    // A new name; a leading period becomes an asterisk, a later one stays; a name of spaces is
    // not taken (the dialog stays up for the next try). Gloss 0 tells the saved style apart.
    Ok("click 508,247\nclick @4\nkey space\nkey space\nclick @1\ntype .warm.v2\nclick @1\nclick @1\n");
    EXPECT_TRUE(fs::exists(folder / "*warm.v2"));
    EXPECT_FALSE(fs::exists(folder / "  "));
    EXPECT_EQ(g().StyleIndex(), 2) << "after Soft Spotlight, before Noon";
    EXPECT_EQ(Expected("*warm.v2")->gloss, 0);

    // An existing name: Keep, Escape, Return and Command-period in the confirmation keep the old
    // file and ask for a name again (Cancel there ends the save); in the confirmation of a
    // deletion they keep the file as well.
    for (const std::string keep : {"click @1", "key escape", "key return", "key . +command"}) {
        Ok("click @4\ntype Noon\nclick @1\n" + keep + "\nclick @2\n" + kStylePopup + "Noon\nclick @23\n" +
           keep + "\nclick @1\n");
        EXPECT_EQ(Bytes(folder / "Noon"), noon) << keep;
    }
    // Replace writes the current settings over it.
    Ok("click 508,247\nclick @4\ntype Noon\nclick @1\nclick @2\nclick @1\n");
    EXPECT_EQ(Expected("Noon")->gloss, 0);
    EXPECT_TRUE(TBAlertLog().empty());

    // A full disk: the save alert (that nothing of the style is left is the style files' test).
    TBFilesSetSpaceLimit(20);
    const std::int16_t result = Run("click @4\ntype Full\nclick @1\nkey return\nclick @1\n");
    TBFilesSetSpaceLimit(-1);
    EXPECT_EQ(result, 0) << TBScriptError();
    EXPECT_EQ(TBAlertLog(), std::vector<std::int16_t>{16007});
}

// A name with accented letters: typed whole in the Save dialog (its surrounding spaces dropped),
// saved under its UTF-8 bytes, and drawn as such in the name field and the popup. Locked, the file
// is neither replaced nor deleted, and the alerts name it.
TEST_F(StyleDialog, NamesAreUtf8AndLockedFilesAreReportedAndKept) {
    Ship({"Soft Spotlight"});
    const std::string name = "Café Grüße ñø";
    Ok("click @4\ntype " + name + "  \nsnapshot " + Shot("field") + "\nclick @1\nsnapshot " + Shot("popup") +
       "\nclick @1\n");
    ASSERT_TRUE(fs::exists(folder / name));
    EXPECT_TRUE(ShowsText(Shot("field"), name, systemFont, 0));
    EXPECT_TRUE(ShowsText(Shot("popup"), name, applFont, 9));

    fs::permissions(folder / name, fs::perms::owner_read);
    const std::string saved = Bytes(folder / name);
    // Replace: the alert, then the name is asked again; Delete: the alert.
    Ok("click 508,247\nclick @4\ntype " + name + "\nclick @1\nclick @2\nkey return\nclick @2\n" +
       kStylePopup + "café grüße ÑØ\nclick @23\nsnapshot " + Shot("alert") + "\nkey return\nclick @1\n");
    EXPECT_EQ(TBAlertLog(), (std::vector<std::int16_t>{16010, 16009}));
    EXPECT_NE(TBAlertTextLog().at(0).find(name), std::string::npos);
    EXPECT_TRUE(ShowsText(Shot("alert"), "“" + name + "”", systemFont, 0));
    EXPECT_EQ(Bytes(folder / name), saved);
}

} // namespace
