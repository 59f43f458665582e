// The SDL window: the composed screen scaled 1x or 2x, mouse and keys mapped to the Toolbox's
// virtual key codes (Backspace 51, Delete 117, Tab 48, Alt = Option, Ctrl = Command), and the
// Toolbox cursor shown as a real cursor.
#include "BackendState.h"
#include "EventState.h"
#include "QuickDraw.h"
#include "WindowState.h"

#include <SDL.h>
#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

struct Sdl {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    SDL_Cursor* cursor = nullptr;
    Cursor shown{};
    Uint64 lastPresent = 0;
    int scale = 1;
};

Sdl& sdl() {
    static Sdl s;
    return s;
}

struct SpecialKey {
    SDL_Keycode sym;
    std::uint8_t code;
    std::uint8_t ch;
};

const SpecialKey kSpecialKeys[] = {
    {SDLK_BACKSPACE, kVKDelete, 0x08},
    {SDLK_DELETE, kVKForwardDelete, 0x7F},
    {SDLK_TAB, kVKTab, 0x09},
    {SDLK_RETURN, kVKReturn, 0x0D},
    {SDLK_KP_ENTER, kVKKeypadEnter, 0x03},
    {SDLK_ESCAPE, kVKEscape, 0x1B},
    {SDLK_LEFT, kVKLeftArrow, 0x1C},
    {SDLK_RIGHT, kVKRightArrow, 0x1D},
    {SDLK_UP, kVKUpArrow, 0x1E},
    {SDLK_DOWN, kVKDownArrow, 0x1F},
    {SDLK_LALT, kVKOption, 0},
    {SDLK_RALT, kVKOption, 0},
    {SDLK_LCTRL, kVKCommand, 0},
    {SDLK_RCTRL, kVKCommand, 0},
    {SDLK_LSHIFT, kVKShift, 0},
    {SDLK_RSHIFT, kVKShift, 0},
    {SDLK_CAPSLOCK, kVKCapsLock, 0},
};

bool mapKey(SDL_Keycode sym, std::uint8_t* code, std::uint8_t* ch) {
    for (const SpecialKey& k : kSpecialKeys)
        if (k.sym == sym) {
            *code = k.code;
            *ch = k.ch;
            return true;
        }
    bool shift;
    if (sym < 32 || sym > 126 || !tbev::keyForChar(char(sym), code, &shift))
        return false;
    *ch = std::uint8_t(tbev::charForKey(*code, tbev::keyHeld(kVKShift)));
    return true;
}

Point toGlobal(int x, int y) {
    return Point{std::int16_t(y / sdl().scale), std::int16_t(x / sdl().scale)};
}

void handle(const SDL_Event& e) {
    switch (e.type) {
    case SDL_MOUSEMOTION:
        TBInputMouseMove(toGlobal(e.motion.x, e.motion.y));
        if (tbev::buttonDown())
            tbback::recordPointer("move", tbev::mouse(), tbev::now());
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        if (e.button.button != SDL_BUTTON_LEFT)
            break;
        TBInputMouseMove(toGlobal(e.button.x, e.button.y));
        TBInputMouseButton(e.type == SDL_MOUSEBUTTONDOWN);
        tbback::recordPointer(e.type == SDL_MOUSEBUTTONDOWN ? "down" : "up", tbev::mouse(), tbev::now());
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        std::uint8_t code, ch;
        if (!mapKey(e.key.keysym.sym, &code, &ch))
            break;
        TBInputKey(code, ch, e.type == SDL_KEYDOWN);
        if (e.type == SDL_KEYDOWN && ch)
            tbback::recordKey(code, ch, tbev::now());
        break;
    }
    case SDL_TEXTINPUT: {
        // ASCII arrives as key presses above; anything else only as text.
        const std::string text = e.text.text;
        if (std::all_of(text.begin(), text.end(), [](char c) { return std::uint8_t(c) < 0x80; }))
            break;
        TBInputText(text);
        tbback::recordText(text, tbev::now());
        break;
    }
    case SDL_QUIT:
        // Closing the window cancels, as Command-period does.
        TBInputKey(kVKCommand, 0, true);
        TBInputKey(47, '.', true);
        TBInputKey(47, '.', false);
        TBInputKey(kVKCommand, 0, false);
        break;
    default:
        break;
    }
}

void showCursor() {
    const Cursor* c = TBCurrentCursor();
    if (sdl().cursor && std::memcmp(c, &sdl().shown, sizeof(Cursor)) == 0)
        return;
    Uint8 data[32], mask[32];
    for (int r = 0; r < 16; ++r) {
        data[2 * r] = Uint8(c->data[r] >> 8);
        data[2 * r + 1] = Uint8(c->data[r]);
        mask[2 * r] = Uint8(c->mask[r] >> 8);
        mask[2 * r + 1] = Uint8(c->mask[r]);
    }
    SDL_Cursor* made = SDL_CreateCursor(data, mask, 16, 16, c->hotSpot.h, c->hotSpot.v);
    if (!made)
        return;
    SDL_SetCursor(made);
    if (sdl().cursor)
        SDL_FreeCursor(sdl().cursor);
    sdl().cursor = made;
    sdl().shown = *c;
}

bool asked(const char* variable) {
    const char* value = std::getenv(variable);
    return value && *value;
}

// A driver that shows nothing, chosen only because no display answered: a window nobody sees
// would wait for ever. Asking for it by name (as tests do) is fine.
bool invisibleUnasked() {
    const char* driver = SDL_GetCurrentVideoDriver();
    return !asked("SDL_VIDEODRIVER") && driver &&
           (std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0);
}

} // namespace

namespace tbback {

// 2 on a display whose density calls for it: a high DPI, or room for the screen at twice its size.
static int densityScale(const TBBackendOptions& opts) {
    float dpi = 0;
    SDL_DisplayMode mode{};
    if (SDL_GetDisplayDPI(0, &dpi, nullptr, nullptr) == 0 && dpi >= 144)
        return 2;
    const bool roomy = SDL_GetDesktopDisplayMode(0, &mode) == 0 && mode.w >= 2 * opts.width &&
                       mode.h >= 2 * (opts.height + 40); // the desktop's own bars
    return roomy ? 2 : 1;
}

static int scaleFor(const TBBackendOptions& opts) {
    return opts.scale == 0 ? densityScale(opts) : opts.scale == 2 ? 2 : 1;
}

static SDL_Texture* screenTexture(const TBBackendOptions& opts) {
    return SDL_CreateTexture(sdl().renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, opts.width,
                             opts.height);
}

bool sdlOpen(const TBBackendOptions& opts, std::string* error) {
    if (!asked("SDL_VIDEODRIVER") && !asked("DISPLAY") && !asked("WAYLAND_DISPLAY"))
        return *error = "no display: DISPLAY and WAYLAND_DISPLAY are not set", false;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return *error = std::string("cannot start SDL video: ") + SDL_GetError(), false;
    if (invisibleUnasked()) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return *error = "no display", false;
    }
    Sdl& s = sdl();
    s.scale = scaleFor(opts);
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    // A screen that fits its first window shows once it has that window's size.
    s.window = SDL_CreateWindow(opts.title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                opts.width * s.scale, opts.height * s.scale,
                                opts.fitMargin > 0 ? SDL_WINDOW_HIDDEN : 0);
    s.renderer = s.window ? SDL_CreateRenderer(s.window, -1, 0) : nullptr;
    if (!s.renderer)
        s.renderer = s.window ? SDL_CreateRenderer(s.window, -1, SDL_RENDERER_SOFTWARE) : nullptr;
    s.texture = s.renderer ? screenTexture(opts) : nullptr;
    if (!s.texture) {
        *error = std::string("cannot open the window: ") + SDL_GetError();
        sdlClose();
        return false;
    }
    SDL_StartTextInput();
    return true;
}

bool sdlResize(const TBBackendOptions& opts) {
    Sdl& s = sdl();
    SDL_Texture* texture = screenTexture(opts);
    if (!texture)
        return false;
    SDL_DestroyTexture(s.texture);
    s.texture = texture;
    s.scale = scaleFor(opts);
    SDL_SetWindowSize(s.window, opts.width * s.scale, opts.height * s.scale);
    SDL_SetWindowPosition(s.window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    SDL_ShowWindow(s.window);
    return true;
}

int sdlScale() {
    return sdl().scale;
}

void sdlClose() {
    Sdl& s = sdl();
    if (s.cursor)
        SDL_FreeCursor(s.cursor);
    if (s.texture)
        SDL_DestroyTexture(s.texture);
    if (s.renderer)
        SDL_DestroyRenderer(s.renderer);
    if (s.window)
        SDL_DestroyWindow(s.window);
    s = Sdl{};
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0)
        SDL_Quit(); // releases what SDL keeps beyond the subsystems
}

void sdlPump() {
    for (SDL_Event e; SDL_PollEvent(&e);)
        handle(e);
}

// Presents at most about 60 times a second unless forced.
void sdlPresent(bool force) {
    Sdl& s = sdl();
    const Uint64 t = SDL_GetTicks64();
    if (!force && t - s.lastPresent < 16)
        return;
    s.lastPresent = t;
    const TBBackendOptions& o = options();
    const std::vector<std::uint32_t> pixels = TBComposeScreen();
    SDL_UpdateTexture(s.texture, nullptr, pixels.data(), o.width * 4);
    SDL_RenderClear(s.renderer);
    SDL_RenderCopy(s.renderer, s.texture, nullptr, nullptr);
    SDL_RenderPresent(s.renderer);
    showCursor();
}

unsigned long sdlTicks() {
    return static_cast<unsigned long>(SDL_GetTicks64() * 60 / 1000);
}
void sdlIdle() {
    SDL_Delay(5);
}

} // namespace tbback
