// Failures: one line naming cause and file, the documented exit status, and no file left behind.
// Damaged files, blocks and areas are in the bad-input matrix (badinput_test.cpp).
#include "CliSupport.h"

#include <algorithm>
#include <sys/stat.h>

namespace {

class Errors : public CliTest {
  protected:
    void SetUp() override {
        CliTest::SetUp();
        WritePng(Path("in.png"), Gradient(40, 24, 3));
        WriteBytes(Path("light.block"), LightingBlock());
        WriteBytes(Path("probe.block"), ProbeBlock(probeInvert));
        WriteBytes(Path("fail.block"), ProbeBlock(probeFail));
        WriteBytes(Path("stop.block"), ProbeBlock(probeInterrupt));
        before_ = Listing();
    }

    // Nothing but `also` was added to the work folder: no output, no temporary file.
    void expectNothingWritten(const std::vector<std::string>& also = {}) const {
        std::vector<std::string> expected = before_;
        expected.insert(expected.end(), also.begin(), also.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(Listing(), expected);
    }

    std::vector<std::string> before_;
};

TEST_F(Errors, BadInputIsRefusedWithStatusTwo) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"apply", Path("in.png"), "--params", Path("light.block")},
         "relight: no output file given (use -o OUT, or --in-place)\n"},
        {{"apply", Path("in.png"), "-o", Path("in.png"), "--params", Path("light.block")},
         "relight: the output would overwrite the input (use --in-place for that): " + Path("in.png") + "\n"},
        {{"apply", Path("in.png"), "-o", Path("x.png"), "--in-place", "--params", Path("light.block")},
         "relight: give either -o OUT or --in-place, not both\n"},
        {{"apply", Path("in.png"), "-o", Path("out.png"), "--area", "1,2,3"},
         "relight: --area wants X,Y,W,H, not '1,2,3'\n"},
        {{"apply", Path("in.png"), "-o", Path("out.png"), "--area", "1,2,3,x"},
         "relight: each value of --area must be a whole number from 0 to 32767, not 'x'\n"},
        {{"apply", Path("in.png"), "-o", Path("out.png"), "--frobnicate"},
         "relight: unknown option --frobnicate for relight apply (see relight apply --help)\n"},
        {{"apply", Path("in.png"), "-o"}, "relight: option -o needs a value (see relight apply --help)\n"},
        {{"apply", Path("in.png"), "-o", Path("out.png"), "--quiet=yes"},
         "relight: option --quiet takes no value (see relight apply --help)\n"},
        {{"apply", "-o", Path("out.png")}, "relight: no input image given (see relight apply --help)\n"},
        {{"apply", Path("in.png"), Path("other.png"), "-o", Path("out.png")},
         "relight: several images need a folder for the results (-o FOLDER/): " + Path("out.png") + "\n"},
        {{"edit", Path("in.png"), Path("other.png")},
         "relight: unexpected argument '" + Path("other.png") + "'"},
        {{"render", Path("in.png")}, "relight: unknown command 'render' (see relight --help)\n"},
    };
    for (const auto& [args, message] : cases) {
        const RunResult r = Relight(args);
        EXPECT_EQ(r.status, 2) << message;
        EXPECT_EQ(r.err.rfind(message, 0), 0u) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        expectNothingWritten();
    }
    EXPECT_EQ(ReadPng(Path("in.png")).samples, Gradient(40, 24, 3).samples) << "the input is never touched";
}

TEST_F(Errors, PluginAndFilterFailuresHaveStatusThree) {
    RunResult r = Relight({"apply", Path("in.png"), "-o", Path("out.png"), "--params", Path("light.block"),
                           "--plugin", Path("nowhere.so")});
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.err, "relight: plug-in not found: " + Path("nowhere.so") + "\n");
    r = Relight({"apply", Path("in.png"), "-o", Path("out.png"), "--params", Path("light.block"), "--plugin",
                 Path("in.png")});
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.err.rfind("relight: cannot load plug-in (", 0), 0u) << r.err;
    // The probe fails on its second tile, after the first was written into the result.
    r = Probe({"apply", Path("in.png"), "-o", Path("out.png"), "--params", Path("fail.block")});
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.err,
              "relight: filter failed at continue with code -108 (out of memory): " + Path("in.png") + "\n");
    expectNothingWritten();
}

TEST_F(Errors, CtrlCCancelsWithStatusOneAndLeavesTheOldOutput) {
    // The probe raises SIGINT after its first tile, as a user's Ctrl-C would, and stops at the
    // next abort query.
    WriteBytes(Path("out.png"), "the previous result");
    before_ = Listing();
    const RunResult r =
        Probe({"apply", Path("in.png"), "-o", Path("out.png"), "--params", Path("stop.block")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "relight: cancelled: " + Path("in.png") + "\n");
    EXPECT_EQ(ReadBytes(Path("out.png")), "the previous result");
    expectNothingWritten();
}

TEST_F(Errors, InPlaceIsTheOnlyWayToReplaceTheInput) {
    chmod(Path("in.png").c_str(), 0640);
    const RunResult r = Probe({"apply", Path("in.png"), "--in-place", "--params", Path("probe.block")});
    ASSERT_EQ(r.status, 0) << r.err;
    const Pixels in = Gradient(40, 24, 3);
    const Pixels out = ReadPng(Path("in.png"));
    for (std::size_t i = 0; i < in.samples.size(); ++i)
        ASSERT_EQ(out.samples[i], 255 - in.samples[i]) << "sample " << i;
    expectNothingWritten({"state"});
    struct stat written {};
    ASSERT_EQ(stat(Path("in.png").c_str(), &written), 0);
    EXPECT_EQ(written.st_mode & 0777, 0640u) << "the replaced file keeps its mode";
}

} // namespace
