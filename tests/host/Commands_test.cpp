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
    const RunResult r = Probe({"about"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("relight ", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("plug-in: " + std::string(PROBE_PLUGIN) + "\n"), std::string::npos) << r.out;
    EXPECT_EQ(Relight({"about", "--plugin", Path("none.so")}).status, 3);
    // Without a display the module's about box is printed.
    EXPECT_NE(Relight({"about"}).out.find("\nLighting\n"), std::string::npos);

    // $RELIGHT_PLUGIN is the default; --plugin wins over it.
    const std::string fromEnvironment = "RELIGHT_PLUGIN=" + std::string(PROBE_PLUGIN);
    RunResult e = Relight({"about"}, {fromEnvironment});
    EXPECT_NE(e.out.find("plug-in: " + std::string(PROBE_PLUGIN) + "\n"), std::string::npos) << e.out;
    e = Relight({"about", "--plugin", "@other.so"}, {fromEnvironment});
    EXPECT_EQ(std::tuple(e.status, e.err), std::tuple(3, Expand("relight: plug-in not found: @other.so\n")));
}

TEST_F(Commands, ProgressBarOnATerminalNamesEachImageUnlessQuiet) {
    // 130 x 70 is three by two tiles of 64.
    WritePng(Path("in.png"), Gradient(130, 70, 3));
    WritePng(Path("two.png"), Gradient(130, 70, 3));
    WriteBytes(Path("light.block"), LightingBlock());
    const std::vector<std::string> run = {"apply", "@in.png",  "@two.png",    "-o",
                                          "@out/", "--params", "@light.block"};
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

TEST_F(Commands, KeepGoingLightsEveryGoodImageAndCountsTheFailures) {
    WritePng(Path("a.png"), Gradient(20, 10, 3));
    WriteBytes(Path("junk.png"), "not an image");
    WritePng(Path("c.png"), Gradient(20, 10, 3));
    WriteBytes(Path("light.block"), LightingBlock());
    std::vector<std::string> run = {"apply", Path("a.png"), Path("junk.png"), Path("c.png"),
                                    "-o",    Path("out/"),  "--params",       Path("light.block")};
    RunResult r = Relight(run);
    EXPECT_EQ(r.status, 2);
    EXPECT_FALSE(Exists("out/c.png")) << "without it the first failure stops the batch";
    run.push_back("--keep-going");
    r = Relight(run);
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(Exists("out/a.png") && Exists("out/c.png"));
    EXPECT_EQ(r.err, "relight: not an image relight reads (PNG, JPEG, TIFF or WebP): " + Path("junk.png") +
                         "\nrelight: 1 of 3 images failed\n");
}

} // namespace
