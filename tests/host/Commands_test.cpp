// The commands besides apply: help, about, and batches as a terminal shows them. What edit keeps and
// repeats is in Settings_test, its cancellations in BadInput_test.
#include "CliSupport.h"

#include <tuple>

namespace {

class Commands : public CliTest {};

TEST_F(Commands, HelpForEachCommand) {
    // Each command's help, and the program's own with no arguments, "--help" or "help".
    for (const std::string command : {"", "--help", "help", "apply", "edit", "about", "styles"}) {
        const bool own = command.empty() || command.find("help") != std::string::npos;
        std::vector<std::string> args = {command, "--help"};
        args.resize(command.empty() ? 0 : own ? 1 : 2);
        const RunResult r = Relight(args);
        EXPECT_EQ(std::tuple(r.status, r.err), std::tuple(0, "")) << command;
        EXPECT_EQ(r.out.rfind(own ? "relight: " : "relight " + command, 0), 0u) << r.out;
        EXPECT_NE(r.out.find(own ? "Usage:" : "Example"), std::string::npos) << r.out;
    }
}

TEST_F(Commands, AboutNamesTheProgramAndItsPlugin) {
    // Without a display the module's about box is printed.
    EXPECT_NE(Relight({"about"}).out.find("\nLighting\n"), std::string::npos);
    // $RELIGHT_PLUGIN is the default; --plugin wins over it.
    const std::string fromEnvironment = "RELIGHT_PLUGIN=" + std::string(PROBE_PLUGIN);
    RunResult e = Relight({"about"}, {fromEnvironment});
    EXPECT_EQ(e.status, 0) << e.err;
    EXPECT_EQ(e.out.rfind("relight ", 0), 0u) << e.out;
    EXPECT_NE(e.out.find("plug-in: " + std::string(PROBE_PLUGIN) + "\n"), std::string::npos) << e.out;
    e = Relight({"about", "--plugin", "@other.so"}, {fromEnvironment});
    EXPECT_EQ(std::tuple(e.status, e.err), std::tuple(3, Expand("relight: plug-in not found: @other.so\n")));
}

TEST_F(Commands, ProgressBarOnATerminalNamesEachImageUnlessQuiet) {
    // 130 x 70 is three by two tiles of 64.
    WritePng(Path("in.png"), Gradient(130, 70, 3));
    WritePng(Path("two.png"), Gradient(130, 70, 3));
    const std::vector<std::string> run = {"apply", "@in.png", "@two.png", "-o", "@out/", "--style", "Neon"};
    RunResult r = RelightOnTerminal(run);
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("\rrelight 1/2 in.png [" + std::string(40, '#') + "] 100%"), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("\rrelight 2/2 two.png [" + std::string(40, '#') + "] 100%"), std::string::npos);
    EXPECT_NE(r.out.find("]  50%"), std::string::npos) << "three of six tiles: " << r.out;
    std::vector<std::string> quiet = run;
    quiet.push_back("--quiet");
    r = RelightOnTerminal(quiet);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
}

TEST_F(Commands, TheScreenFitsTheDialogAndDoublesEachPixelAt2x) {
    WritePng(Path("in.png"), Gradient(40, 30, 3));
    // The option and the variable each choose the scale.
    for (const std::string scale : {"1", "2"}) {
        WriteBytes(Path("script.txt"), Expand("wait 300\nsnapshot @" + scale + "x.png\n"));
        std::vector<std::string> args = {"edit",     "@in.png",     "-o",      "@out.png", "--headless",
                                         "--script", "@script.txt", "--scale", "1"};
        args.resize(scale == "1" ? 9 : 7);
        EXPECT_EQ(Relight(args, {"RELIGHT_SCALE=2"}).status, 1);
    }
    const Pixels one = ReadPng(Path("1x.png")), two = ReadPng(Path("2x.png"));
    // The dialog's 844 x 496 content, its one-pixel border and 20-pixel title bar, 16 pixels all round.
    EXPECT_EQ((std::pair{one.width, one.height}), (std::pair{2 + 844 + 2 * 16, 20 + 2 + 496 + 2 * 16}));
    ASSERT_EQ((std::pair{two.width, two.height}), (std::pair{2 * one.width, 2 * one.height}));
    std::vector<std::uint8_t> doubled;
    for (int y = 0; y < two.height; ++y)
        for (int x = 0; x < two.width; ++x)
            for (int c = 0; c < 3; ++c)
                doubled.push_back(one.At(x / 2, y / 2, c));
    EXPECT_TRUE(two.samples == doubled);
}

} // namespace
