// Input scripts replayed through the Event Manager: drags seen by tracking loops, timing, keys with
// their codes and modifiers held as the lines say, GetKeys, item positions and scripted pop-up choices.
#include "UiTestSupport.h"

#include <tuple>
#include <vector>

namespace {

class EventScript : public HeadlessTest {
  protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        const Rect bounds{50, 100, 250, 400};
        window = NewCWindow(nullptr, &bounds, PString("Test").s, true, movableDBoxProc,
                            reinterpret_cast<WindowPtr>(-1), false, 0);
        SetPort(window);
    }
    void TearDown() override {
        DisposeWindow(window);
        TBSetItemBoxResolver(nullptr);
        HeadlessTest::TearDown();
    }
    WindowPtr window = nullptr;
};

} // namespace

TEST_F(EventScript, ADragIsSeenPointByPointByAStillDownGetMouseLoop) {
    script("# drag from the corner\nmove 10,10\ndown 10,10 +shift\nmove 20,15 +option\nmove 30,20\n"
           "up 30,20 +command +control\n");
    // Positions are relative to the front window's content; btnState is clear while the button is down.
    EventRecord down = nextEvent(mDownMask | mUpMask);
    EXPECT_EQ((std::tuple{down.what, down.where.h, down.where.v,
                          down.modifiers & (btnState | shiftKey | optionKey)}),
              (std::tuple{mouseDown, 110, 60, int(shiftKey)}));
    // Each point with the modifier keys GetKeys shows for it: Shift, Option and Control bits.
    std::vector<std::tuple<int, int, std::uint32_t>> track;
    while (StillDown()) {
        Point pt;
        GetMouse(&pt);
        KeyMap keys;
        GetKeys(keys);
        track.emplace_back(pt.h, pt.v, keys[1] & 0x0Du);
    }
    const std::vector<std::tuple<int, int, std::uint32_t>> expected{{20, 15, 0x04u}, {30, 20, 0u}};
    EXPECT_EQ(track, expected);
    EventRecord up = nextEvent(mDownMask | mUpMask);
    EXPECT_EQ((std::tuple{up.what, up.where.h, up.modifiers & (btnState | cmdKey | controlKey | optionKey),
                          TBScriptFinished()}),
              (std::tuple{mouseUp, 130, btnState | cmdKey | controlKey, true}));
    EXPECT_FALSE(WaitNextEvent(everyEvent & ~updateMask, &up, 1000000, nullptr))
        << "waiting past the script's end returns instead of hanging";
    EXPECT_EQ(up.modifiers & (cmdKey | controlKey), 0) << "the ended script lets go of its keys";
}

TEST_F(EventScript, AScriptEndingWithTheButtonDownReleasesIt) {
    script("down 10,10\nmove 12,12\n");
    nextEvent(mDownMask);
    int polls = 0;
    while (StillDown() && polls < 100)
        ++polls;
    EXPECT_LT(polls, 100) << "the tracking loop ends";
    EXPECT_EQ(nextEvent(mUpMask).what, mouseUp);
}

// Back-to-back clicks: a tracking loop polling after the release must not see the next press.
TEST_F(EventScript, ANewGestureWaitsUntilTheApplicationAsksForAnEvent) {
    script("click 5,5\nclick 90,90\n");
    EXPECT_EQ(nextEvent(mDownMask).what, mouseDown);
    EventRecord e;
    for (int i = 0; i < 10; ++i)
        StillDown(), Button(), EventAvail(everyEvent, &e);
    Point pt;
    GetMouse(&pt);
    EXPECT_EQ(pt.h, 5) << "the release came, the next press did not";
    EXPECT_EQ(nextEvent(mUpMask).what, mouseUp);
    EXPECT_EQ(nextEvent(mDownMask).where.h, 190);
}

TEST_F(EventScript, WaitDelaysTheNextStepByItsTicks) {
    script("wait 500\nclick 5,5\n");
    const unsigned long start = TickCount();
    EventRecord e = nextEvent(mDownMask);
    EXPECT_EQ(e.what, mouseDown);
    EXPECT_TRUE(e.when - start >= 29u && e.when - start <= 32u) << "500 ms is 30 ticks: " << e.when - start;
}

TEST_F(EventScript, KeysCarryCodesCharactersAndModifiersAndShowInGetKeys) {
    script("key a +shift +command\ntype Hi!\nkey delete\nkey tab\nkey forward-delete\nkey escape\n");
    // Command bit 15 and Shift bit 0 of the second word, key A (code 0) in the first, the modifiers
    // held until the next line.
    const auto keyMap = [] {
        KeyMap keys;
        GetKeys(keys);
        return std::vector<std::uint32_t>(keys, keys + 4);
    };
    EventRecord e = nextEvent(keyDownMask);
    EXPECT_EQ((std::tuple{e.message & charCodeMask, (e.message & keyCodeMask) >> 8,
                          e.modifiers & (cmdKey | shiftKey | optionKey), keyMap()}),
              (std::tuple{long('a'), 0L, cmdKey | shiftKey,
                          std::vector<std::uint32_t>{0x01000000u, 0x8001u, 0, 0}}));
    nextEvent(keyUpMask);
    EXPECT_EQ(keyMap(), (std::vector<std::uint32_t>{0, 0x8001u, 0, 0})) << "A released";
    const struct {
        int ch, code;
        bool shift;
    } typed[] = {{'H', 4, true}, {'i', 34, false},   {'!', 18, true},  {8, 51, false},
                 {9, 48, false}, {0x7F, 117, false}, {0x1B, 53, false}};
    for (const auto& t : typed) {
        e = nextEvent(keyDownMask);
        EXPECT_EQ((std::tuple{e.message & charCodeMask, (e.message & keyCodeMask) >> 8,
                              e.modifiers & (shiftKey | cmdKey)}),
                  (std::tuple{long(t.ch), long(t.code), t.shift ? int(shiftKey) : 0}));
    }
}

TEST(GetKeys, MasksMatchTheBigEndianWordView) {
    const struct {
        std::uint8_t code;
        int word;
        std::uint32_t mask;
    } cases[] = {{kVKReturn, 1, 0x10000000},  {kVKSpace, 1, 0x00000200},     {kVKEscape, 1, 0x00002000},
                 {kVKCommand, 1, 0x00008000}, {kVKShift, 1, 0x00000001},     {kVKOption, 1, 0x00000004},
                 {kVKControl, 1, 0x00000008}, {kVKLeftArrow, 3, 0x00000008}, {kVKUpArrow, 3, 0x00000040}};
    for (const auto& c : cases) {
        TBInputKey(c.code, 0, true);
        KeyMap keys;
        GetKeys(keys);
        for (int w = 0; w < 4; ++w)
            EXPECT_EQ(keys[w], w == c.word ? c.mask : 0u) << "key " << int(c.code) << " word " << w;
        TBInputKey(c.code, 0, false);
    }
    TBShutdownBackend();
}

TEST_F(EventScript, ItemPositionsAndChoicesGoThroughTheDialogHooks) {
    script("click @3\n");
    nextEvent(mDownMask);
    EXPECT_TRUE(TBScriptError().find("line 1") != std::string::npos && TBScriptFinished())
        << "no resolver: the step fails; " << TBScriptError();

    TBSetItemBoxResolver([](WindowPtr, std::int16_t item, Rect* box) {
        *box = Rect{10, 20, 30, 60};
        return item == 3;
    });
    script("move @3\nchoose @3:0.9,0.7 Spot light\nclick @4\n");
    EventRecord e = nextEvent(mDownMask);
    std::string text, again;
    // 0.9 of the box's width; the choice is taken once.
    EXPECT_EQ(
        (std::tuple{e.where.h, e.where.v, TBTakeScriptedChoice(&text), text, TBTakeScriptedChoice(&again)}),
        (std::tuple{100 + 56, 50 + 24, true, "Spot light", false}));
    nextEvent(mUpMask);
    nextEvent(mDownMask);
    EXPECT_NE(TBScriptError().find("line 3"), std::string::npos) << TBScriptError();
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
