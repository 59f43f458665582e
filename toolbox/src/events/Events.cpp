// The event queue, mouse and keyboard state, and the calls that read them.
#include "Backend.h"
#include "EventState.h"
#include "QuickDraw.h"
#include "WindowState.h"

#include <deque>

namespace {

struct EventState {
    std::deque<EventRecord> queue;
    Point mouse{0, 0};
    bool button = false;
    std::uint8_t held[16] = {}; // key code k: byte k >> 3, bit k & 7
    unsigned long ticks = 0;
};

EventState& st() {
    static EventState s;
    return s;
}

bool inMask(EventKind what, EventMask mask) {
    return what < 16 && (mask & (1u << what));
}

EventRecord nullRecord() {
    return EventRecord{nullEvent, 0, tbev::now(), tbev::mouse(), tbev::modifiers()};
}

// The queued event of a kind in mask, else an update event, else null. Removes a queued one when
// `take` is set; update events stay until the window is updated.
Boolean findEvent(EventMask mask, EventRecord* event, bool take) {
    auto& q = st().queue;
    for (auto it = q.begin(); it != q.end(); ++it) {
        if (!inMask(it->what, mask))
            continue;
        *event = *it;
        if (take)
            q.erase(it);
        return true;
    }
    if (mask & updateMask)
        if (WindowPtr w = tbwm::windowNeedingUpdate()) {
            *event = nullRecord();
            event->what = updateEvt;
            event->message = reinterpret_cast<long>(w);
            return true;
        }
    *event = nullRecord();
    return false;
}

bool mouseEventQueued() {
    for (const EventRecord& e : st().queue)
        if (e.what == mouseDown || e.what == mouseUp)
            return true;
    return false;
}

} // namespace

namespace tbev {

Point mouse() {
    return st().mouse;
}
bool buttonDown() {
    return st().button;
}
bool keyHeld(std::uint8_t k) {
    return k < 128 && (st().held[k >> 3] >> (k & 7)) & 1;
}

EventModifiers modifiers() {
    EventModifiers m = st().button ? 0 : btnState;
    if (keyHeld(kVKCommand))
        m |= cmdKey;
    if (keyHeld(kVKShift))
        m |= shiftKey;
    if (keyHeld(kVKCapsLock))
        m |= alphaLock;
    if (keyHeld(kVKOption))
        m |= optionKey;
    if (keyHeld(kVKControl))
        m |= controlKey;
    return m;
}

void post(EventKind what, long message, EventModifiers extra) {
    st().queue.push_back(EventRecord{what, message, now(), mouse(), EventModifiers(modifiers() | extra)});
}

unsigned long now() {
    return st().ticks;
}
void setNow(unsigned long ticks) {
    st().ticks = ticks;
}
void reset() {
    st() = EventState{};
}

} // namespace tbev

void TBInputMouseMove(Point global) {
    st().mouse = global;
}

void TBInputMouseButton(bool down) {
    if (down == st().button)
        return;
    st().button = down;
    tbev::post(down ? mouseDown : mouseUp, 0);
}

void TBInputText(const std::string& text) {
    for (char byte : text)
        tbev::post(keyDown, long(std::uint8_t(byte)) | (long(kVKText) << 8));
}

void TBInputKey(std::uint8_t keyCode, std::uint8_t charCode, bool down) {
    if (keyCode == kVKText && down)
        TBInputText(std::string(1, char(charCode)));
    if (keyCode >= kVKText)
        return;
    const bool isModifier = keyCode >= kVKCommand && keyCode <= kVKControl;
    if (down)
        st().held[keyCode >> 3] |= std::uint8_t(1u << (keyCode & 7));
    else
        st().held[keyCode >> 3] &= std::uint8_t(~(1u << (keyCode & 7)));
    if (!isModifier)
        tbev::post(down ? keyDown : keyUp, long(charCode) | (long(keyCode) << 8));
}

void TBAdvanceTicks(unsigned long ticks) {
    st().ticks += ticks;
}

Boolean GetNextEvent(EventMask mask, EventRecord* event) {
    tbev::poll(findEvent(mask, event, false) ? tbev::Input::none : tbev::Input::gesture);
    return findEvent(mask, event, true);
}

Boolean WaitNextEvent(EventMask mask, EventRecord* event, unsigned long sleep, RgnHandle) {
    const unsigned long until = tbev::now() + sleep;
    for (;;) {
        if (GetNextEvent(mask, event))
            return true;
        if (tbev::now() >= until || !tbev::moreInputComing() || TBStopRequested())
            return false;
        tbev::idle();
    }
}

Boolean EventAvail(EventMask mask, EventRecord* event) {
    tbev::poll(tbev::Input::tracking);
    return findEvent(mask, event, false);
}

void FlushEvents(EventMask mask, EventMask stopMask) {
    auto& q = st().queue;
    for (auto it = q.begin(); it != q.end();) {
        if (inMask(it->what, stopMask))
            break;
        it = inMask(it->what, mask) ? q.erase(it) : it + 1;
    }
}

// Reading the mouse lets time pass but takes no script step, so a tracking loop of StillDown and
// GetMouse sees every scripted move.
void GetMouse(Point* pt) {
    tbev::poll(tbev::Input::none);
    *pt = st().mouse;
    if (qd.thePort)
        GlobalToLocal(pt);
}

Boolean StillDown() {
    tbev::poll(tbev::Input::tracking);
    return st().button && !mouseEventQueued();
}

void GetKeys(KeyMap keys) {
    for (int word = 0; word < 4; ++word) {
        std::uint32_t w = 0;
        for (int byte = 0; byte < 4; ++byte)
            w |= std::uint32_t(st().held[word * 4 + byte]) << (8 * (3 - byte));
        keys[word] = w;
    }
}

unsigned long TickCount() {
    tbev::poll(tbev::Input::none);
    return tbev::now();
}
