// The SDL backend without a display, at 1x and 2x: pointer positions divided by the scale, and the
// keys a PC keyboard has for Delete, forward delete and the modifiers. (The program's 2x snapshot
// covers the screen fitted to the first window, and the module's recorded window session presses,
// moves and held modifier keys at 1x.) The dummy video driver is used because the offscreen one
// initialises EGL, which leaks inside the GL libraries and fails the sanitizer build.
#include "UiTestSupport.h"

#include <SDL.h>

#include <cstdlib>
#include <tuple>

namespace {

void push(SDL_EventType type, SDL_Keycode sym) {
    SDL_Event e{};
    e.type = type;
    e.key.keysym.sym = sym;
    SDL_PushEvent(&e);
}

} // namespace

TEST(SdlBackend, MapsPointerAndKeysAtEitherScale) {
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
        const Rect bounds{40, 40, 140, 200};
        WindowPtr w = NewCWindow(nullptr, &bounds, nullptr, true, movableDBoxProc, WindowPtr(-1), false, 0);
        TBPresent();
        SDL_Event click{};
        click.type = SDL_MOUSEBUTTONDOWN;
        click.button.button = SDL_BUTTON_LEFT;
        click.button.x = 50 * scale;
        click.button.y = 60 * scale;
        SDL_PushEvent(&click);
        EventRecord e = nextEvent(mDownMask);
        EXPECT_EQ((std::tuple{e.what, e.where.h, e.where.v}), (std::tuple{mouseDown, 50, 60})) << scale;

        // Backspace is Delete (51) and Ctrl is Command; the Delete key is forward delete (117) and
        // Alt is Option.
        const struct {
            SDL_Keycode modifier, key;
            long code;
            EventModifiers held;
        } keys[] = {{SDLK_LCTRL, SDLK_BACKSPACE, 51, cmdKey}, {SDLK_LALT, SDLK_DELETE, 117, optionKey}};
        for (const auto& k : keys) {
            push(SDL_KEYDOWN, k.modifier);
            push(SDL_KEYDOWN, k.key);
            e = nextEvent(keyDownMask);
            EXPECT_EQ((std::tuple{(e.message & keyCodeMask) >> 8, e.modifiers & (cmdKey | optionKey)}),
                      (std::tuple{k.code, int(k.held)}));
            push(SDL_KEYUP, k.key);
            push(SDL_KEYUP, k.modifier);
        }
        DisposeWindow(w);
        TBShutdownBackend();
    }
}
