// Control records, the window's control list, and the calls that read and change a control. All
// drawing and hit testing is the definition's: every call to it goes through
// TBCallControlDefinition, which sets the owner's port around it.
#include "Controls.h"

#include "CodeResources.h"
#include "ControlDefs.h"
#include "Memory.h"
#include "Resources.h"
#include "Windows.h"
#include "Scopes.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

namespace {

constexpr std::uint8_t kVisible = 255;

std::map<WindowPtr, ControlHandle>& lists() {
    static std::map<WindowPtr, ControlHandle> l;
    return l;
}

bool visibleIn(ControlHandle c) {
    auto* w = reinterpret_cast<WindowPeek>((**c).contrlOwner);
    return (**c).contrlVis && w && w->visible;
}

void unlink(ControlHandle c) {
    ControlHandle& head = lists()[(**c).contrlOwner];
    if (head == c) {
        head = (**c).nextControl;
    } else {
        for (ControlHandle p = head; p; p = (**p).nextControl)
            if ((**p).nextControl == c) {
                (**p).nextControl = (**c).nextControl;
                break;
            }
    }
    if (!head)
        lists().erase((**c).contrlOwner);
}

// Erases the control's area in its window (the definition draws it again when asked).
void eraseArea(ControlHandle c) {
    PortScope port((**c).contrlOwner);
    EraseRect(&(**c).contrlRect);
}

void redrawValue(ControlHandle c) {
    if (visibleIn(c))
        TBCallControlDefinition(c, drawCntl, inThumb);
}

} // namespace

long TBCallControlDefinition(ControlHandle control, std::int16_t message, long param) {
    PortScope port((**control).contrlOwner);
    return TBCallCode<long, std::int16_t, ControlHandle, std::int16_t, long>(
        (**control).contrlDefProc, (**control).contrlVariant, control, message, param);
}

ControlHandle NewControl(WindowPtr window, const Rect* bounds, ConstStr255Param title, Boolean visible,
                         std::int16_t value, std::int16_t min, std::int16_t max, std::int16_t procID,
                         long refCon) {
    TBRegisterStandardControlDefinitions();
    Handle def = GetResource(FOUR_CHAR("CDEF"), std::int16_t(procID >> 4));
    if (!def || !window)
        return nullptr;
    auto c = reinterpret_cast<ControlHandle>(NewHandleClear(sizeof(ControlRecord)));
    auto aux = reinterpret_cast<AuxCtlHandle>(NewHandleClear(sizeof(AuxCtlRec)));
    if (!c || !aux) {
        DisposeHandle(reinterpret_cast<Handle>(c));
        DisposeHandle(reinterpret_cast<Handle>(aux));
        return nullptr;
    }
    ControlRecord& r = **c;
    r.contrlOwner = window;
    r.contrlRect = *bounds;
    r.contrlVis = visible ? kVisible : 0;
    r.contrlValue = value;
    r.contrlMin = min;
    r.contrlMax = max;
    r.contrlDefProc = def;
    r.contrlRfCon = refCon;
    r.contrlVariant = std::int16_t(procID & 15);
    r.contrlAux = aux;
    (**aux).acOwner = c;
    if (title)
        std::memcpy(r.contrlTitle, title, std::size_t(title[0]) + 1);
    ControlHandle& head = lists()[window];
    r.nextControl = head;
    head = c;
    TBCallControlDefinition(c, initCntl, 0);
    if (visibleIn(c))
        TBCallControlDefinition(c, drawCntl, 0);
    return c;
}

ControlHandle GetNewControl(std::int16_t id, WindowPtr window) {
    Handle h = GetResource(FOUR_CHAR("CNTL"), id);
    if (!h || GetHandleSize(h) < 23)
        return nullptr;
    const auto* b = reinterpret_cast<const unsigned char*>(*h);
    auto word = [b](int at) { return std::int16_t(b[at] << 8 | b[at + 1]); };
    Rect bounds{word(0), word(2), word(4), word(6)};
    long refCon = long(std::int32_t(std::uint32_t(b[18]) << 24 | std::uint32_t(b[19]) << 16 |
                                    std::uint32_t(b[20]) << 8 | b[21]));
    Str255 title;
    std::memcpy(title, b + 22, std::size_t(std::min<long>(b[22], GetHandleSize(h) - 23)) + 1);
    // The resource order is value, visible, max, min.
    return NewControl(window, &bounds, title, b[10] != 0, word(8), word(14), word(12), word(16), refCon);
}

void DisposeControl(ControlHandle control) {
    if (!control)
        return;
    if (visibleIn(control))
        eraseArea(control);
    TBCallControlDefinition(control, dispCntl, 0);
    unlink(control);
    DisposeHandle(reinterpret_cast<Handle>((**control).contrlAux));
    DisposeHandle(reinterpret_cast<Handle>(control));
}

void KillControls(WindowPtr window) {
    while (ControlHandle c = TBFirstControl(window))
        DisposeControl(c);
}

ControlHandle TBFirstControl(WindowPtr window) {
    auto it = lists().find(window);
    return it == lists().end() ? nullptr : it->second;
}

void Draw1Control(ControlHandle control) {
    if (control && visibleIn(control))
        TBCallControlDefinition(control, drawCntl, 0);
}

void DrawControls(WindowPtr window) {
    // Oldest first, so that newer controls end up on top.
    std::vector<ControlHandle> all;
    for (ControlHandle c = TBFirstControl(window); c; c = (**c).nextControl)
        all.push_back(c);
    std::for_each(all.rbegin(), all.rend(), Draw1Control);
}

void ShowControl(ControlHandle control) {
    if (!control || (**control).contrlVis)
        return;
    (**control).contrlVis = kVisible;
    Draw1Control(control);
}

void HideControl(ControlHandle control) {
    if (!control || !(**control).contrlVis)
        return;
    if (visibleIn(control))
        eraseArea(control);
    (**control).contrlVis = 0;
}

void HiliteControl(ControlHandle control, std::int16_t state) {
    if (!control || (**control).contrlHilite == state)
        return;
    bool whole =
        (**control).contrlHilite == kControlInactivePart || state == kControlInactivePart || state == 0;
    (**control).contrlHilite = std::uint8_t(state);
    if (visibleIn(control))
        TBCallControlDefinition(control, drawCntl, whole ? 0 : state);
}

void MoveControl(ControlHandle control, std::int16_t h, std::int16_t v) {
    bool shown = visibleIn(control);
    if (shown)
        eraseArea(control);
    Rect& r = (**control).contrlRect;
    OffsetRect(&r, std::int16_t(h - r.left), std::int16_t(v - r.top));
    if (shown)
        Draw1Control(control);
}

std::int16_t TestControl(ControlHandle control, Point pt) {
    if (!control || !(**control).contrlVis || (**control).contrlHilite == kControlInactivePart)
        return 0;
    long packed = long(std::uint32_t(std::uint16_t(pt.v)) << 16 | std::uint16_t(pt.h));
    return std::int16_t(TBCallControlDefinition(control, testCntl, packed));
}

std::int16_t FindControl(Point pt, WindowPtr window, ControlHandle* control) {
    for (ControlHandle c = TBFirstControl(window); c; c = (**c).nextControl)
        if (std::int16_t part = TestControl(c, pt)) {
            *control = c;
            return part;
        }
    *control = nullptr;
    return 0;
}

std::int16_t GetControlValue(ControlHandle control) {
    return control ? (**control).contrlValue : 0;
}

void SetControlValue(ControlHandle control, std::int16_t value) {
    if (!control)
        return;
    ControlRecord& r = **control;
    r.contrlValue = std::max(r.contrlMin, std::min(r.contrlMax, value));
    redrawValue(control);
}

std::int16_t GetControlMinimum(ControlHandle control) {
    return (**control).contrlMin;
}

void SetControlMinimum(ControlHandle control, std::int16_t minimum) {
    ControlRecord& r = **control;
    r.contrlMin = minimum;
    r.contrlMax = std::max(r.contrlMax, minimum);
    r.contrlValue = std::max(r.contrlValue, minimum);
    redrawValue(control);
}

std::int16_t GetControlMaximum(ControlHandle control) {
    return (**control).contrlMax;
}

void SetControlMaximum(ControlHandle control, std::int16_t maximum) {
    ControlRecord& r = **control;
    r.contrlMax = std::max(maximum, r.contrlMin);
    r.contrlValue = std::min(r.contrlValue, r.contrlMax);
    redrawValue(control);
}

long GetControlReference(ControlHandle control) {
    return (**control).contrlRfCon;
}
void SetControlReference(ControlHandle control, long reference) {
    (**control).contrlRfCon = reference;
}

Boolean GetAuxiliaryControlRecord(ControlHandle control, AuxCtlHandle* aux) {
    *aux = control ? (**control).contrlAux : nullptr;
    return *aux != nullptr;
}
