// The SDL backend without a display: a window opens at 1x and 2x and fits its first window, polling and
// presenting work, and mouse and keys arrive mapped to Toolbox events. The dummy video driver is used because
// the offscreen one initialises EGL, which leaks inside the GL libraries and fails the sanitizer build.
#include "Backend.h"
#include "Events.h"
#include "Windows.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>

namespace {

void pushKey(SDL_Keycode sym, bool down) {
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.keysym.sym = sym;
    SDL_PushEvent(&e);
}

EventRecord next(EventMask mask) {
    EventRecord e{};
    for (int i = 0; i < 200 && !GetNextEvent(mask, &e); ++i)
        SDL_Delay(1);
    return e;
}

} // namespace

TEST(SdlBackend, OpensOffscreenPresentsAndMapsInput) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    for (int scale : {1, 2}) {
        TBBackendOptions o;
        o.kind = TBBackendKind::sdl;
        o.width = 320;
        o.height = 240;
        o.scale = scale;
        o.fitMargin = 10;
        std::string error;
        ASSERT_TRUE(TBInitBackend(o, &error)) << error;
        EXPECT_EQ(TBCurrentBackend(), TBBackendKind::sdl);
        const Rect bounds{40, 40, 140, 200};
        WindowPtr w = NewCWindow(nullptr, &bounds,
                                 reinterpret_cast<ConstStr255Param>("\x03"
                                                                    "SDL"),
                                 true, movableDBoxProc, reinterpret_cast<WindowPtr>(-1), false, 0);
        Rect screen, content;
        TBGetScreenBounds(&screen);
        TBGetWindowContentRect(w, &content);
        EXPECT_EQ((std::array{screen.right, screen.bottom, content.left, content.top}),
                  (std::array<std::int16_t, 4>{10 + 162 + 10, 10 + 122 + 10, 10 + 1, 10 + 20 + 1}))
            << "the frame (border 1, title bar 20) with 10 pixels all round";
        SetPort(w);
        PaintRect(&w->portRect);
        TBPresent();

        SDL_Event click{};
        click.type = SDL_MOUSEBUTTONDOWN;
        click.button.button = SDL_BUTTON_LEFT;
        click.button.x = 50 * scale;
        click.button.y = 60 * scale;
        SDL_PushEvent(&click);
        EventRecord e = next(mDownMask);
        EXPECT_EQ(e.what, mouseDown);
        EXPECT_EQ(e.where.h, 50) << "window pixels are divided by the scale";
        EXPECT_EQ(e.where.v, 60);
        EXPECT_TRUE(Button());

        pushKey(SDLK_LCTRL, true);
        pushKey(SDLK_BACKSPACE, true);
        e = next(keyDownMask);
        EXPECT_EQ((e.message & keyCodeMask) >> 8, 51) << "Backspace is Delete (51)";
        EXPECT_NE(e.modifiers & cmdKey, 0) << "Ctrl is Command";
        pushKey(SDLK_LCTRL, false);
        pushKey(SDLK_LALT, true);
        pushKey(SDLK_DELETE, true);
        pushKey(SDLK_TAB, true);
        e = next(keyDownMask);
        EXPECT_EQ((e.message & keyCodeMask) >> 8, 117);
        EXPECT_NE(e.modifiers & optionKey, 0) << "Alt is Option";
        e = next(keyDownMask);
        EXPECT_EQ((e.message & keyCodeMask) >> 8, 48);
        KeyMap keys;
        GetKeys(keys);
        EXPECT_EQ(keys[1] & 0x8004u, 0x0004u) << "Option held, Command released";
        const unsigned long before = TickCount();
        SDL_Delay(50);
        EXPECT_GE(TickCount() - before, 2u) << "ticks follow the real clock";

        DisposeWindow(w);
        TBShutdownBackend();
    }
}
