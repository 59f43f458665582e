// Settings that outlive a run: what an accepted dialog keeps, what the next dialog opens with, the
// runs that leave them alone, and --save-params and --save-style.
#include "CliSupport.h"

namespace {

const std::string kOk = "wait 100\nclick @1\n";
// Stage Trio with its second light made current and changed (a press on the intensity slider).
const std::string kTrioChanged =
    "wait 100\nchoose @20 Stage Trio\nkey tab\nclick @17:0.3,0.6\nwait 100\nclick @1\n";

class Settings : public CliTest {
  protected:
    void SetUp() override {
        CliTest::SetUp();
        WritePng(Path("in.png"), Gradient(40, 24, 3));
    }

    // `relight COMMAND in.png -o out.png ARGS`, expecting success; the output's bytes.
    std::string Run(const std::string& command, std::vector<std::string> args) const {
        args.insert(args.begin(), {command, Path("in.png"), "-o", Path("out.png"), "--quiet"});
        const RunResult r = Relight(args);
        EXPECT_EQ(r.status, 0) << r.err;
        return ReadBytes(Path("out.png"));
    }
    // `relight edit` on the headless screen with `script`.
    std::string Edit(const std::string& script, std::vector<std::string> args = {}) const {
        WriteBytes(Path("script.txt"), script);
        args.insert(args.end(), {"--headless", "--script", Path("script.txt")});
        return Run("edit", args);
    }
    std::string Apply(const std::vector<std::string>& args) const { return Run("apply", args); }
    std::string Kept() const {
        return ReadBytes(Path("state/relight/last.style")) + ReadBytes(Path("state/relight/last.block"));
    }
};

TEST_F(Settings, TheDialogOpensWithWhatTheLastAcceptedDialogKept) {
    ExpectRefused({"apply", Path("in.png"), "-o", Path("a.png")}, "no last settings yet");
    const std::string noLight2 =
        Edit("wait 100\nchoose @20 Stage Trio\nkey tab\nkey delete\nclick @1\n", {"--defaults"});
    const std::string soft = Apply({"--style", "Soft Spotlight"});
    const std::string changed = Edit(kTrioChanged, {"--defaults"});
    const std::string kept = Kept();

    // Runs that never change what is kept; --save-params and --save-style keep copies on request.
    WriteBytes(Path("light.block"), LightingBlock());
    Apply({"--params", Path("light.block"), "--save-params", Path("saved.block")});
    EXPECT_EQ(ReadBytes(Path("saved.block")), LightingBlock());
    const std::string neon = Apply({"--style", "Neon", "--save-style", "Copy of Neon"});
    EXPECT_EQ(Relight({"edit", Path("in.png"), "-o", Path("x.png"), "--headless"}).status, 1);
    EXPECT_EQ(Kept(), kept);
    EXPECT_EQ(Apply({"--style", "copy of neon"}), neon);

    // In order: each accepted dialog keeps what the next one opens with.
    const struct {
        std::string what, script;
        std::vector<std::string> options;
        std::string expected;
    } rows[] = {
        {"the last settings", kOk, {}, changed},
        // Choosing the style the popup shows is no change.
        {"the style they came from", "wait 100\nchoose @20 Stage Trio\nwait 100\nclick @1\n", {}, changed},
        {"their current light", "wait 100\nkey delete\nclick @1\n", {}, noLight2},
        {"a style", kOk, {"--style", " neon"}, neon},
        {"the default style", kOk, {"--defaults"}, soft},
        {"the last settings, kept as a style too", kOk, {"--save-style", "Mine"}, soft},
    };
    for (const auto& row : rows)
        EXPECT_TRUE(Edit(row.script, row.options) == row.expected) << "the dialog opens with " << row.what;
    EXPECT_EQ(Apply({"--style", "Mine"}), soft);
    EXPECT_EQ(Apply({}), soft);
    ExpectRefused({"apply", Path("in.png"), "-o", Path("b.png"), "--style", "Night", "--save-style", "mine"},
                  "a style named 'mine' exists already (--force replaces it)");
    EXPECT_FALSE(Exists("b.png"));

    // Damaged kept settings are left alone with a warning until a dialog is accepted.
    WriteBytes(Path("state/relight/last.style"), "damaged");
    WriteBytes(Path("script.txt"), "");
    const RunResult r = Relight({"edit", Path("in.png"), "-o", Path("x.png"), "--headless"});
    EXPECT_EQ(r.err,
              "relight: warning: the last settings are not used (not a style file (its first six bytes "
              "are not a style's)): " +
                  Path("state/relight/last.style") + "\nrelight: cancelled: " + Path("in.png") + "\n");
    EXPECT_EQ(ReadBytes(Path("state/relight/last.style")), "damaged");
    Apply({"--style", "Night"});
    EXPECT_EQ(ReadBytes(Path("state/relight/last.style")), "damaged");
    EXPECT_EQ(Edit(kOk), soft);
    EXPECT_NE(ReadBytes(Path("state/relight/last.style")), "damaged");
}

} // namespace
