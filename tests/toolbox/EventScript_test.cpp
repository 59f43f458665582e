// Input scripts replayed through the Event Manager: a script ending with the button down, timing,
// and the lines a script refuses. The dialog tests of the module drive the rest (back-to-back
// clicks, whose next press waits until the application asks for an event; drags with modifiers read
// through GetKeys, keys, item positions and pop-up choices) through the real dialog.
#include "UiTestSupport.h"

namespace {

class EventScript : public HeadlessTest {
  protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        SetPort(window({50, 100, 250, 400}));
    }
};

} // namespace

TEST_F(EventScript, AScriptEndingWithTheButtonDownReleasesIt) {
    script("down 10,10\nmove 12,12\n");
    nextEvent(mDownMask);
    int polls = 0;
    while (StillDown() && polls < 100)
        ++polls;
    EXPECT_LT(polls, 100) << "the tracking loop ends";
    EXPECT_EQ(nextEvent(mUpMask).what, mouseUp);
}

TEST_F(EventScript, WaitDelaysTheNextStepByItsTicks) {
    script("wait 500\nclick 5,5\n");
    const unsigned long start = TickCount();
    EventRecord e = nextEvent(mDownMask);
    EXPECT_EQ(e.what, mouseDown);
    EXPECT_TRUE(e.when - start >= 29u && e.when - start <= 32u) << "500 ms is 30 ticks: " << e.when - start;
}

TEST(InputScripts, BadLinesAreRefusedNamingTheLine) {
    std::string error;
    for (const auto& [text, named] : {std::pair{"move 1,2\njump 3,4\n", "line 2"},
                                      {"key banana\n", "banana"},
                                      {"click 1;2\n", "line 1"},
                                      {"down 1,2 +shift +alt\n", "+alt"},
                                      {"wait soon\n", "line 1"}}) {
        EXPECT_FALSE(TBLoadInputScript(text, &error)) << text;
        EXPECT_NE(error.find(named), std::string::npos) << error;
    }
    for (const char* outOfRange : {"wait 1e300\n", "wait -1\n", "move 99999,0\n", "click 1,nan\n",
                                   "click @3:1.5,0.5\n", "click @0\n", "down 1,2\nmove 1e300,1e300\n"})
        EXPECT_FALSE(TBLoadInputScript(outOfRange, &error)) << outOfRange;
    EXPECT_TRUE(TBLoadInputScript("wait 86400000\nmove -16383,16383\nclick @3:1,0\n", &error)) << error;
    EXPECT_FALSE(TBLoadInputScriptFile("/nonexistent/script.txt", &error));
    EXPECT_TRUE(TBLoadInputScript("# only a comment\n\n", &error));
    EXPECT_TRUE(TBScriptFinished());
}
