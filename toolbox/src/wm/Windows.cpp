// The window list, window records and their ports. Each window keeps its own content pixels, so
// covering and uncovering loses nothing; the screen is composed from them when shown.
#include "Backend.h"
#include "BackendState.h"
#include "EventState.h"
#include "QDInternal.h"
#include "WindowState.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace {

std::vector<WindowRecord*>& windows() { // front first
    static std::vector<WindowRecord*> list;
    return list;
}

void relink() {
    auto& list = windows();
    for (std::size_t i = 0; i < list.size(); ++i)
        list[i]->nextWindow = i + 1 < list.size() ? list[i + 1] : nullptr;
}

WindowRecord* record(WindowPtr w) {
    return reinterpret_cast<WindowRecord*>(w);
}

void copyTitle(Str255 dst, ConstStr255Param src) {
    dst[0] = 0;
    if (src)
        std::memcpy(dst, src, std::size_t(src[0]) + 1);
}

void placeRegions(WindowRecord& w) {
    Rect content;
    TBGetWindowContentRect(&w.port, &content);
    RectRgn(w.contRgn, &content);
    Rect structure = tbwm::structureRect(w);
    RectRgn(w.strucRgn, &structure);
}

// Everything a window holds, for a window taken off the list or one that could not be completed.
void freeWindow(WindowRecord* w) {
    qdraw::closePortAndPixels(&w->port);
    DisposeRgn(w->strucRgn);
    DisposeRgn(w->contRgn);
    DisposeRgn(w->updateRgn);
    if (w->auxWin)
        delete *w->auxWin;
    delete w->auxWin;
    if (w->ownsStorage)
        delete w;
}

bool openWindowPort(WindowRecord& w, const Rect& bounds) {
    const Rect local{0, 0, std::int16_t(bounds.bottom - bounds.top),
                     std::int16_t(bounds.right - bounds.left)};
    if (!qdraw::openPortOnWhitePixels(&w.port, local, TBScreenDepth()))
        return false;
    w.port.globalOrigin = Point{bounds.top, bounds.left};
    return true;
}

void activate(WindowRecord* w, bool on) {
    if (!w)
        return;
    w->hilited = on;
    tbev::post(activateEvt, reinterpret_cast<long>(w), on ? activeFlag : 0);
}

// On a screen that fits its windows, the first on an empty desktop sizes the screen to its frame and
// the margin, and moves into the middle (the shadow falls in the margin).
void fitScreenTo(WindowRecord& w) {
    const std::int16_t margin = tbback::options().fitMargin;
    if (margin <= 0 || !windows().empty())
        return;
    const Rect frame = tbwm::structureRect(w);
    if (!tbback::resizeScreen(std::int16_t(frame.right - frame.left + 2 * margin),
                              std::int16_t(frame.bottom - frame.top + 2 * margin)))
        return;
    MoveWindow(&w.port, std::int16_t(w.port.globalOrigin.h + margin - frame.left),
               std::int16_t(w.port.globalOrigin.v + margin - frame.top), false);
}

} // namespace

WindowPtr NewCWindow(void* storage, const Rect* bounds, ConstStr255Param title, Boolean visible,
                     std::int16_t procID, WindowPtr behind, Boolean goAwayFlag, long refCon) {
    auto* w = storage ? new (storage) WindowRecord{} : new (std::nothrow) WindowRecord{};
    if (!w)
        return nullptr;
    w->ownsStorage = storage == nullptr;
    if (!openWindowPort(*w, *bounds)) {
        if (w->ownsStorage)
            delete w;
        return nullptr;
    }
    w->windowKind = userKind;
    w->visible = visible;
    w->goAwayFlag = goAwayFlag;
    w->procID = procID;
    w->refCon = refCon;
    copyTitle(w->titleText, title);
    w->strucRgn = NewRgn();
    w->contRgn = NewRgn();
    w->updateRgn = NewRgn();
    if (!w->strucRgn || !w->contRgn || !w->updateRgn) {
        freeWindow(w);
        return nullptr;
    }
    w->auxWin = new AuxWinRec*(new AuxWinRec{});
    (**w->auxWin).awOwner = &w->port;
    placeRegions(*w);
    fitScreenTo(*w);
    CopyRgn(w->contRgn, w->updateRgn);
    auto& list = windows();
    auto at = list.end();
    if (behind == reinterpret_cast<WindowPtr>(-1))
        at = list.begin();
    else if (behind)
        at = std::find(list.begin(), list.end(), record(behind)) + 1;
    list.insert(std::min(at, list.end()), w);
    relink();
    return &w->port;
}

namespace {
void removeWindow(WindowPtr window) {
    WindowRecord* w = record(window);
    auto& list = windows();
    list.erase(std::remove(list.begin(), list.end(), w), list.end());
    relink();
    freeWindow(w);
}
} // namespace

void DisposeWindow(WindowPtr window) {
    removeWindow(window);
}
void CloseWindow(WindowPtr window) {
    removeWindow(window);
}

void ShowWindow(WindowPtr window) {
    record(window)->visible = true;
}

void BringToFront(WindowPtr window) {
    auto& list = windows();
    WindowRecord* w = record(window);
    list.erase(std::remove(list.begin(), list.end(), w), list.end());
    list.insert(list.begin(), w);
    relink();
}

void SelectWindow(WindowPtr window) {
    WindowRecord* old = record(FrontWindow());
    BringToFront(window);
    if (old == record(window))
        return;
    activate(old, false);
    activate(record(window), true);
}

bool tbwm::isWindow(GrafPtr port) {
    auto& list = windows();
    return std::find(list.begin(), list.end(), record(port)) != list.end();
}

WindowPtr FrontWindow() {
    return TBNextWindow(nullptr);
}

WindowPtr TBNextWindow(WindowPtr window) {
    auto& list = windows();
    auto it = window ? std::find(list.begin(), list.end(), record(window)) + 1 : list.begin();
    for (; it < list.end(); ++it)
        if ((*it)->visible)
            return &(*it)->port;
    return nullptr;
}

WindowPtr TBWindowAt(Point pt) {
    for (WindowPtr w = FrontWindow(); w; w = TBNextWindow(w)) {
        const Rect r = tbwm::structureRect(*record(w));
        if (PtInRect(pt, &r))
            return w;
    }
    return nullptr;
}

std::int16_t FindWindow(Point pt, WindowPtr* window) {
    *window = TBWindowAt(pt);
    if (!*window)
        return inDesk;
    const WindowRecord& w = *record(*window);
    Rect content;
    TBGetWindowContentRect(*window, &content);
    if (PtInRect(pt, &content) || !tbwm::hasTitleBar(w))
        return inContent;
    return inDrag;
}

void TBGetWindowContentRect(WindowPtr window, Rect* r) {
    const GrafPort& p = *window;
    *r = p.portRect;
    OffsetRect(r, p.globalOrigin.h, p.globalOrigin.v);
}

void MoveWindow(WindowPtr window, std::int16_t h, std::int16_t v, Boolean front) {
    WindowRecord& w = *record(window);
    const std::int16_t dh = std::int16_t(h - w.port.globalOrigin.h),
                       dv = std::int16_t(v - w.port.globalOrigin.v);
    w.port.globalOrigin = Point{v, h};
    OffsetRgn(w.updateRgn, dh, dv);
    placeRegions(w);
    if (front)
        SelectWindow(window);
}

long GetWRefCon(WindowPtr window) {
    return record(window)->refCon;
}
void SetWRefCon(WindowPtr window, long refCon) {
    record(window)->refCon = refCon;
}

Boolean GetAuxWin(WindowPtr window, AuxWinHandle* aux) {
    *aux = record(window)->auxWin;
    return true;
}
