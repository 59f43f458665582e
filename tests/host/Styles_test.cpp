// relight styles and apply --style: the style folder seeded from the shipped styles, its listing,
// import, export and delete, and a style applied exactly as the dialog applies it.
#include "CliSupport.h"

#include <algorithm>
#include <filesystem>
#include <regex>
#include <sys/stat.h>
#include <tuple>

namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kShippedOrder = {"Soft Spotlight", "Candle",     "Cool Lamps", "Embossed",
                                                "Gallery",        "Low Sun",    "Neon",       "Night",
                                                "Noon",           "Stage Trio", "Twin Spots", "Warm Lamp"};

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        out.push_back(text.substr(start, end - start));
    return out;
}

std::string shipped(const std::string& name) {
    return ReadBytes(std::string(SHIPPED_STYLES) + "/" + name);
}

class Styles : public CliTest {
  protected:
    std::string Folder() const { return Path("relight/Lighting Styles"); }
    // Runs `relight styles ARGS`, expecting success; its output.
    std::string Styles_(std::vector<std::string> args) const {
        args.insert(args.begin(), "styles");
        const RunResult r = Relight(args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");
        return r.out;
    }
    std::vector<std::string> List() const { return lines(Styles_({"list"})); }
    long Listed(const std::string& name) const { return std::ranges::count(List(), name); }
    // How many temporary files the style folder holds.
    long Leftovers() const {
        return std::ranges::count_if(fs::directory_iterator(Folder()), [](const fs::directory_entry& entry) {
            return entry.path().filename().string().find(".relight-") != std::string::npos;
        });
    }
};

TEST_F(Styles, SeedingNeverReplacesWhatTheUserHasAndListingSkipsWhatIsNoStyle) {
    // The listing puts the default first, then sorts without letter case, skipping what is no style.
    const std::string folder = Folder();
    EXPECT_EQ(List(), kShippedOrder);
    for (const std::string& name : kShippedOrder)
        EXPECT_EQ(ReadBytes(folder + "/" + name), shipped(name)) << name;
    WriteBytes(folder + "/Aardvark notes", "not a style at all");
    WriteBytes(folder + "/almost", "BBQXL"); // cut inside the magic
    WriteBytes(folder + "/aa mine", shipped("Night"));
    std::vector<std::string> expected = kShippedOrder;
    expected.insert(expected.begin() + 1, "aa mine");
    EXPECT_EQ(List(), expected);

    // The user's own files under shipped names: a foreign file, a locked one, another style, and one
    // whose name differs only in letter case.
    fs::remove_all(folder);
    fs::create_directories(folder);
    const std::pair<std::string, std::string> own[] = {{"Night", "my notes"},
                                                       {"Noon", shipped("Candle")},
                                                       {"Candle", shipped("Neon")},
                                                       {"warm lamp", shipped("Gallery")}};
    for (const auto& [name, bytes] : own)
        WriteBytes(folder + "/" + name, bytes);
    chmod((folder + "/Noon").c_str(), 0444);
    const std::vector<std::string> listed = List();
    for (const auto& [name, bytes] : own)
        EXPECT_EQ(ReadBytes(folder + "/" + name), bytes) << name;
    EXPECT_FALSE(fs::exists(folder + "/Warm Lamp") &&
                 fs::equivalent(folder + "/Warm Lamp", folder + "/warm lamp"));
    EXPECT_EQ(std::ranges::count(listed, "Night"), 0) << "a foreign file is no style";
    EXPECT_EQ(ReadBytes(folder + "/Stage Trio"), shipped("Stage Trio")) << "free names are seeded";
    // A shipped style the user deleted stays deleted.
    Styles_({"delete", "Stage Trio"});
    EXPECT_EQ(Listed("Stage Trio"), 0);
}

TEST_F(Styles, ShowSummarisesTheStyle) {
    // Values as the dialog's sliders show them: gloss 40 of 255 is 40 * 200 / 255 - 100 = -69,
    // intensity 44 is slider value 171, shown 34.
    EXPECT_EQ(Styles_({"show", "Night"}),
              "Night\n"
              "surface: gloss -69, material -100, exposure -13\n"
              "ambient: colour #3646A4, brightness 9\n"
              "texture: none\n"
              "lights: 1 (current 1; positions in hundredths of half the preview's width, from its centre)\n"
              // (55, -35) of 180 pixels is (30.6, -19.4) hundredths.
              "  1: spot at 31,-19, colour #94BBFF, intensity 34, focus 64, on\n");
    const std::string embossed = Styles_({"show", "  embossed "});
    EXPECT_NE(embossed.find("\ntexture: channel 2, height 66, white is high\nlights: 1 "), std::string::npos);
    EXPECT_NE(embossed.find(")\n  1: directional at 0,0, "), std::string::npos) << embossed;
}

TEST_F(Styles, ImportChecksTheFileAndKeepsWhatIsThere) {
    WriteBytes(Path("dusk.style"), shipped("Low Sun"));
    EXPECT_EQ(Styles_({"import", "@dusk.style"}), "imported 'dusk'\n");
    EXPECT_EQ(Styles_({"import", "@dusk.style", "--name", "Dusk/Evening"}), "imported 'Dusk/Evening'\n");
    const std::string folder = Folder();
    EXPECT_EQ(ReadBytes(folder + "/Dusk:Evening"), shipped("Low Sun")) << "'/' is kept as ':' on disk";
    EXPECT_EQ(Listed("Dusk/Evening"), 1);

    // A name in use is replaced only with --force, and a locked file never.
    WriteBytes(Path("night.style"), shipped("Night"));
    ExpectRefused({"styles", "import", "@night.style", "--name", "dusk/EVENING"},
                  "a style named 'dusk/EVENING' exists already (--force replaces it)");
    EXPECT_EQ(ReadBytes(folder + "/Dusk:Evening"), shipped("Low Sun"));
    Styles_({"import", "@night.style", "--name", "Dusk/Evening", "--force"});
    EXPECT_EQ(ReadBytes(folder + "/Dusk:Evening"), shipped("Night"));
    chmod((folder + "/Noon").c_str(), 0444);
    ExpectRefused({"styles", "import", "@night.style", "--name", "Noon", "--force"},
                  "the style file is locked and cannot be replaced");
    EXPECT_EQ(ReadBytes(folder + "/Noon"), shipped("Noon"));

    // A leading period becomes an asterisk; nothing left after trimming is refused.
    Styles_({"import", "@night.style", "--name", ".hidden"});
    EXPECT_TRUE(fs::exists(folder + "/*hidden"));
    ExpectRefused({"styles", "import", "@night.style", "--name", "   "}, "a style name must not be empty");
    EXPECT_EQ(Leftovers(), 0) << "no temporary file stays behind";
}

// Export writes the style's bytes, or its JSON; the JSON the shipped styles are written in imports
// to the shipped bytes, and what export writes imports and exports again unchanged.
TEST_F(Styles, ExportWritesBytesOrJsonThatImportsUnchangedAndKeepsAnExistingFile) {
    Styles_({"export", "gallery", "@g.style"});
    EXPECT_EQ(ReadBytes(Path("g.style")), shipped("Gallery"));
    ExpectRefused({"styles", "export", "Neon", "@g.style"}, "the file exists already (--force replaces it)");
    EXPECT_EQ(ReadBytes(Path("g.style")), shipped("Gallery"));
    Styles_({"export", "Neon", "@g.style", "--force"});
    EXPECT_EQ(ReadBytes(Path("g.style")), shipped("Neon"));
    const std::regex named(R"re("name"\s*:\s*"([^"]*)")re");
    for (const auto& entry : fs::directory_iterator(SHIPPED_STYLE_SOURCES)) {
        if (entry.path().extension() != ".json")
            continue;
        std::smatch name;
        const std::string source = ReadBytes(entry.path().string());
        ASSERT_TRUE(std::regex_search(source, name, named)) << entry.path();
        Styles_({"import", entry.path().string(), "--name", "from json"});
        EXPECT_EQ(ReadBytes(Folder() + "/from json"), shipped(name[1])) << entry.path();
        Styles_({"delete", "from json"});
    }
    const std::string json = Styles_({"export", "Stage Trio", "-"});
    EXPECT_EQ(json, Styles_({"show", "Stage Trio", "--json"}));
    WriteBytes(Path("trio.json"), json);
    Styles_({"delete", "Stage Trio"});
    EXPECT_EQ(Styles_({"import", Path("trio.json")}), "imported 'Stage Trio'\n") << "the name the JSON gives";
    EXPECT_EQ(ReadBytes(Folder() + "/Stage Trio"), shipped("Stage Trio"));
    Styles_({"export", "Stage Trio", Path("again.json")});
    EXPECT_EQ(ReadBytes(Path("again.json")), json);
}

TEST_F(Styles, DeleteKeepsTheDefaultUnlessForced) {
    ExpectRefused({"styles", "delete", "soft spotlight"}, "'soft spotlight' is the default style");
    EXPECT_EQ(List(), kShippedOrder);
    EXPECT_EQ(Styles_({"delete", "Candle"}), "deleted 'Candle'\n");
    EXPECT_EQ(Styles_({"delete", "Soft Spotlight", "--force"}), "deleted 'Soft Spotlight'\n");
    EXPECT_EQ(List(), std::vector(kShippedOrder.begin() + 2, kShippedOrder.end()));
    ExpectRefused({"styles", "frobnicate"}, "unknown action 'frobnicate'");
    ExpectRefused({"styles", "show"}, "usage: relight styles show NAME");
}

// "night" names none of them exactly: the first in order ("NIGHT", upper case sorting first) is the
// one, for show, apply and the dialog's popup alike.
TEST_F(Styles, NamesDifferingOnlyInCasePickTheExactFileElseTheFirst) {
    WritePng(Path("in.png"), Gradient(24, 16, 3));
    const auto applied = [&](const std::string& style) {
        EXPECT_EQ(Relight({"apply", "@in.png", "-o", "@out.png", "--style", style}).status, 0);
        return ReadBytes(Path("out.png"));
    };
    const std::string night = applied("Night"), candle = applied("Candle");
    const std::string nightShown = Styles_({"show", "Night"}), candleShown = Styles_({"show", "Candle"});
    const std::string candleBody = candleShown.substr(candleShown.find('\n'));
    WriteBytes(Folder() + "/NIGHT", shipped("Candle"));
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"Night", night, nightShown},
        {"NIGHT", candle, "NIGHT" + candleBody},
        {"night", candle, "night" + candleBody}};
    for (const auto& [typed, image, shown] : cases) {
        SCOPED_TRACE(typed);
        EXPECT_EQ(applied(typed), image);
        EXPECT_EQ(Styles_({"show", typed}), shown);
    }
    Styles_({"delete", "NIGHT"});
    EXPECT_EQ(ReadBytes(Folder() + "/Night"), shipped("Night"));
}

// Two programs import a style under one name at the same moment, many times over: one wins and
// the other is refused, or with --force each replaces the file whole; never a mixture, never a
// temporary file left in the folder.
TEST_F(Styles, TwoProgramsSavingOneNameAtOnceLeaveOneWholeFile) {
    const std::string a = shipped("Low Sun"), b = shipped("Stage Trio");
    WriteBytes(Path("a.style"), a);
    WriteBytes(Path("b.style"), b);
    List(); // seeds the folder first, so that both programs only save
    for (int round = 0; round < 8; ++round) {
        const bool force = round % 2 == 1;
        const auto importing = [&](const std::string& file) {
            std::vector<std::string> args = {"styles", "import", file, "--name", "Raced", "--force"};
            args.resize(force ? 6 : 5);
            return args;
        };
        RunResult other;
        const RunResult one = RelightMeanwhile(importing("@a.style"), {},
                                               [&](pid_t) { other = Relight(importing("@b.style")); });
        SCOPED_TRACE(std::string(force ? "forced" : "plain") + " round " + std::to_string(round));
        // Plain, one wins. Forced, both usually do; but a name that appears between a program's
        // look and its save is still refused, which loses nothing.
        const int won = (one.status == 0) + (other.status == 0);
        EXPECT_TRUE(force ? won >= 1 : won == 1) << "[" << one.err << "] [" << other.err << "]";
        for (const RunResult& r : {one, other})
            EXPECT_TRUE(r.status == 0 ||
                        (r.status == 2 && r.err.starts_with("relight: a style named 'Raced' ")))
                << "[" << r.err << "]";
        const std::string saved = ReadBytes(Folder() + "/Raced");
        EXPECT_TRUE(saved == a || saved == b) << "a mixture of " << saved.size() << " bytes";
        EXPECT_EQ(Leftovers(), 0);
        Styles_({"delete", "Raced"});
    }
}

} // namespace
