// relight apply --style: the real dialog chooses the style and accepts, unseen, over one image or
// several.
#include "CliSupport.h"

namespace {

class ApplyStyle : public CliTest {
  protected:
    void SetUp() override {
        CliTest::SetUp();
        WritePng(Path("in.png"), Gradient(48, 32, 3));
        WritePng(Path("two.png"), Gradient(20, 36, 3));
    }
    // The dialog, driven by a script: choose `style`, press OK.
    RunResult EditChoosing(const std::string& style, const std::string& out) const {
        WriteBytes(Path("choose.txt"), "wait 100\nchoose @20 " + style + "\nwait 100\nclick @1\n");
        return Relight({"edit", Path("in.png"), "-o", out, "--headless", "--script", Path("choose.txt")});
    }
};
TEST_F(ApplyStyle, GivesExactlyWhatTheDialogGives) {
    RunResult r = Relight({"apply", Path("in.png"), "-o", Path("applied.png"), "--style", "Stage Trio"});
    ASSERT_EQ(r.status, 0) << r.err;
    r = EditChoosing("Stage Trio", Path("edited.png"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadBytes(Path("applied.png")), ReadBytes(Path("edited.png")));
    r = Relight({"apply", Path("in.png"), "-o", Path("night.png"), "--style", "Night"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(ReadBytes(Path("night.png")), ReadBytes(Path("applied.png"))) << "the style is what changes";
}

TEST_F(ApplyStyle, LightsSeveralImagesIntoAFolder) {
    RunResult r = Relight({"apply", Path("in.png"), Path("two.png"), "-o", Path("lit/"), "--style", "Neon"});
    ASSERT_EQ(r.status, 0) << r.err;
    for (const std::string name : {"in.png", "two.png"}) {
        r = Relight({"apply", Path(name), "-o", Path("one-" + name), "--style", "Neon"});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(ReadBytes(Path("lit/" + name)), ReadBytes(Path("one-" + name))) << name;
    }
    ExpectRefused({"apply", Path("in.png"), Path("two.png"), "-o", Path("out.png"), "--style", "Neon"},
                  "several images need a folder for the results (-o FOLDER/)");
    ExpectRefused({"apply", Path("in.png"), Path("in.png"), "-o", Path("lit2/"), "--style", "Neon"},
                  "two images would write the same result");
    EXPECT_FALSE(Exists("lit2"));
}

TEST_F(ApplyStyle, UnknownStyleIsRefusedBeforeAnythingRuns) {
    ExpectRefused({"apply", Path("in.png"), "-o", Path("out.png"), "--style", "Dusk"},
                  "no style named 'Dusk'");
    ExpectRefused({"apply", Path("in.png"), Path("two.png"), "-o", Path("lit/"), "--style", "Dusk"},
                  "no style named 'Dusk'");
    EXPECT_FALSE(Exists("out.png"));
    EXPECT_FALSE(Exists("lit"));
    EXPECT_FALSE(Exists("state/relight/last.block"));
    ExpectRefused({"apply", Path("in.png"), "-o", Path("out.png"), "--style", "Noon", "--params", Path("x")},
                  "give either --style NAME or --params FILE, not both");
}

} // namespace
