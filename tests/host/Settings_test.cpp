// Settings that outlive a run: the last accepted block, --save-params, --last across processes.
#include "CliSupport.h"

namespace {

class Settings : public CliTest {
  protected:
    void SetUp() override {
        CliTest::SetUp();
        WritePng(Path("in.png"), Gradient(40, 24, 3));
        block_ = LightingBlock();
        WriteBytes(Path("light.block"), block_);
    }

    std::string block_;
};

TEST_F(Settings, LastAcceptedBlockIsKeptForTheNextProcess) {
    const std::string last = Path("state/relight/last.block");
    RunResult r = Relight({"apply", Path("in.png"), "-o", Path("a.png")});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err,
              "relight: no last settings yet (use --params FILE, or accept the dialog of relight edit): " +
                  last + "\n");

    r = Relight({"apply", Path("in.png"), "-o", Path("a.png"), "--params", Path("light.block"),
                 "--save-params", Path("saved.block")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(ReadBytes(last) == block_) << "the last block differs from the one applied";
    EXPECT_TRUE(ReadBytes(Path("saved.block")) == block_) << "the saved block differs from the one applied";

    // A second process repeats the same settings, by default and with --last.
    r = Relight({"apply", Path("in.png"), "-o", Path("b.png")});
    ASSERT_EQ(r.status, 0) << r.err;
    r = Relight({"apply", Path("in.png"), "-o", Path("c.png"), "--params", Path("nothing.block"), "--last"});
    ASSERT_EQ(r.status, 0) << r.err;
    const Pixels first = ReadPng(Path("a.png"));
    EXPECT_EQ(ReadPng(Path("b.png")).samples, first.samples);
    EXPECT_EQ(ReadPng(Path("c.png")).samples, first.samples);
    EXPECT_NE(first.samples, Gradient(40, 24, 3).samples);
}

} // namespace
