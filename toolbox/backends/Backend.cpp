// Backend selection and the polling step every Event Manager call begins with.
#include "BackendState.h"
#include "EventState.h"
#include "QuickDraw.h"

namespace {

struct BackendState {
    TBBackendOptions options;
    bool sdlOpen = false;
};

BackendState& st() {
    static BackendState s;
    return s;
}

void describeScreen(const TBBackendOptions& o) {
    qd.screenBits.bounds = Rect{0, 0, o.height, o.width};
    qd.screenBits.pixelSize = o.depth;
}

} // namespace

namespace tbback {
const TBBackendOptions& options() {
    return st().options;
}

bool resizeScreen(std::int16_t width, std::int16_t height) {
    TBBackendOptions resized = st().options;
    resized.width = width;
    resized.height = height;
    if (st().sdlOpen && !sdlResize(resized))
        return false;
    st().options = resized;
    describeScreen(resized);
    return true;
}

int screenScale() {
    if (st().sdlOpen)
        return sdlScale();
    return st().options.scale == 2 ? 2 : 1;
}
} // namespace tbback

bool TBInitBackend(const TBBackendOptions& options, std::string* error) {
    TBShutdownBackend();
    if (options.depth != 8 && options.depth != 32)
        return *error = "screen depth must be 8 or 32", false;
    if (options.width <= 0 || options.height <= 0)
        return *error = "screen size must be positive", false;
    st().options = options;
    describeScreen(options);
    if (options.kind == TBBackendKind::sdl) {
        if (!tbback::sdlOpen(options, error)) {
            st().options = TBBackendOptions{};
            describeScreen(st().options);
            return false;
        }
        st().sdlOpen = true;
    }
    return true;
}

void TBShutdownBackend() {
    if (st().sdlOpen)
        tbback::sdlClose();
    st() = BackendState{};
    describeScreen(st().options);
    tbback::scriptReset();
    tbev::reset();
}

TBBackendKind TBCurrentBackend() {
    return st().options.kind;
}

void TBGetScreenBounds(Rect* bounds) {
    *bounds = Rect{0, 0, st().options.height, st().options.width};
}
std::int16_t TBScreenDepth() {
    return st().options.depth;
}

namespace {

TBStopCheck& stopCheck() {
    static TBStopCheck check = nullptr;
    return check;
}

} // namespace

void TBSetStopCheck(TBStopCheck check) {
    stopCheck() = check;
}

bool TBStopRequested() {
    return stopCheck() && stopCheck()();
}

void TBPresent() {
    if (st().sdlOpen)
        tbback::sdlPresent(true);
}

namespace tbev {

void poll(Input level) {
    if (st().sdlOpen) {
        tbback::sdlPump();
        setNow(tbback::sdlTicks());
        tbback::sdlPresent(false);
        return;
    }
    setNow(now() + 1);
    if (level != Input::none)
        tbback::scriptStep(level);
}

bool moreInputComing() {
    return st().sdlOpen || tbback::scriptHasSteps();
}

void idle() {
    if (st().sdlOpen)
        tbback::sdlIdle();
    else
        tbback::scriptIdle();
}

} // namespace tbev
