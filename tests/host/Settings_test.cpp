// Settings that outlive a run: the last accepted block, --save-params, --last across processes.
#include "CliSupport.h"

namespace {

class Settings : public CliTest {};

TEST_F(Settings, LastAcceptedBlockIsKeptForTheNextProcess) {
    WritePng(Path("in.png"), Gradient(40, 24, 3));
    const std::string block = LightingBlock();
    WriteBytes(Path("light.block"), block);
    const RunResult r = Relight({"apply", "@in.png", "-o", "@a.png"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err,
              Expand("relight: no last settings yet (use --params FILE, or accept the dialog of relight "
                     "edit): @state/relight/last.block\n"));
    Succeeds(
        {"apply", "@in.png", "-o", "@a.png", "--params", "@light.block", "--save-params", "@saved.block"});
    EXPECT_TRUE(ReadBytes(Path("state/relight/last.block")) == block) << "the last block differs";
    EXPECT_TRUE(ReadBytes(Path("saved.block")) == block) << "the saved block differs";
    // A second process repeats the same settings, by default and with --last.
    Succeeds({"apply", "@in.png", "-o", "@b.png"});
    Succeeds({"apply", "@in.png", "-o", "@c.png", "--params", "@nothing.block", "--last"});
    const Pixels first = ReadPng(Path("a.png"));
    EXPECT_EQ(ReadPng(Path("b.png")).samples, first.samples);
    EXPECT_EQ(ReadPng(Path("c.png")).samples, first.samples);
    EXPECT_NE(first.samples, Gradient(40, 24, 3).samples);
}

} // namespace
