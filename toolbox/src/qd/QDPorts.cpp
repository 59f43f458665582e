// Ports, the current port, off-screen ports and the QuickDraw globals.
#include "QDInternal.h"
#include "Memory.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <new>

namespace {
Cursor arrowCursor() {
    // An outlined arrow, tip at (1, 1).
    static const std::uint16_t data[16] = {0x0000, 0x4000, 0x6000, 0x7000, 0x7800, 0x7C00, 0x7E00, 0x7F00,
                                           0x7F80, 0x7C00, 0x6C00, 0x4600, 0x0600, 0x0300, 0x0300, 0x0000};
    static const std::uint16_t mask[16] = {0xC000, 0xE000, 0xF000, 0xF800, 0xFC00, 0xFE00, 0xFF00, 0xFF80,
                                           0xFFC0, 0xFFC0, 0xFE00, 0xEF00, 0xCF00, 0x0780, 0x0780, 0x0380};
    Cursor c{};
    for (int i = 0; i < 16; ++i) {
        c.data[i] = data[i];
        c.mask[i] = mask[i];
    }
    c.hotSpot = Point{1, 1};
    return c;
}
} // namespace

QDGlobals qd = {
    {{0, 0, 0, 0, 0, 0, 0, 0}},
    {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
    {{0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55}},
    {{0x88, 0x22, 0x88, 0x22, 0x88, 0x22, 0x88, 0x22}},
    {{0x77, 0xDD, 0x77, 0xDD, 0x77, 0xDD, 0x77, 0xDD}},
    arrowCursor(),
    PixMap{nullptr, 0, Rect{0, 0, 768, 1024}, 32}, // kept equal to the backend's screen
    nullptr,
};

namespace qdraw {

GrafPort& port() {
    if (!qd.thePort) {
        std::fprintf(stderr, "toolbox: drawing without a current port\n");
        std::abort();
    }
    return *qd.thePort;
}

std::int16_t depthOf(const GrafPort& port) {
    return (**port.portPixMap).pixelSize;
}

std::uint32_t* pixelRow(const PixMap& pm, std::int32_t y) {
    return reinterpret_cast<std::uint32_t*>(pm.baseAddr + std::ptrdiff_t(y - pm.bounds.top) * pm.rowBytes);
}

Spans drawableArea(const GrafPort& port) {
    Spans area = Spans::intersect(Spans::fromRect((**port.portPixMap).bounds), spansOf(port.visRgn));
    return Spans::intersect(area, spansOf(port.clipRgn));
}

} // namespace qdraw

void SetPort(GrafPtr port) {
    qd.thePort = port;
}
void GetPort(GrafPtr* port) {
    *port = qd.thePort;
}
std::int16_t GetPixDepth(PixMapHandle pm) {
    return (**pm).pixelSize;
}
PixMapHandle GetPortPixMap(CGrafPtr port) {
    return port->portPixMap;
}
const BitMap* GetPortBitMapForCopyBits(CGrafPtr port) {
    return *port->portPixMap;
}

bool TBOpenPortOnPixels(GrafPtr port, PixMap pixels) {
    *port = GrafPort{};
    auto holder = new PixMap*(new PixMap(pixels));
    port->portPixMap = holder;
    port->portRect = pixels.bounds;
    port->visRgn = NewRgn();
    port->clipRgn = NewRgn();
    if (!port->visRgn || !port->clipRgn) {
        TBClosePort(port);
        return false;
    }
    RectRgn(port->visRgn, &pixels.bounds);
    SetRectRgn(port->clipRgn, -32768, -32768, 32767, 32767);
    port->rgbFgColor = RGBColor{0, 0, 0};
    port->rgbBkColor = RGBColor{0xFFFF, 0xFFFF, 0xFFFF};
    port->pnSize = Point{1, 1};
    port->pnMode = patCopy;
    port->pnPat = qd.black;
    port->bkPat = qd.white;
    port->txMode = srcOr;
    return true;
}

void TBClosePort(GrafPtr port) {
    if (qd.thePort == port)
        qd.thePort = nullptr;
    DisposeRgn(port->visRgn);
    DisposeRgn(port->clipRgn);
    delete *port->portPixMap;
    delete port->portPixMap;
    port->portPixMap = nullptr;
    port->visRgn = port->clipRgn = nullptr;
}

GrafPtr TBNewOffscreenPort(const Rect* bounds, std::int16_t depth) {
    auto* port = new (std::nothrow) GrafPort;
    if (port && qdraw::openPortOnWhitePixels(port, *bounds, depth == 8 ? std::int16_t(8) : std::int16_t(32)))
        return port;
    delete port;
    return nullptr;
}

void TBDisposeOffscreenPort(GrafPtr port) {
    if (!port)
        return;
    qdraw::closePortAndPixels(port);
    delete port;
}

std::uint32_t TBGetPixel(GrafPtr port, std::int16_t h, std::int16_t v) {
    const PixMap& pm = **port->portPixMap;
    if (!PtInRect(Point{v, h}, &pm.bounds))
        return 0;
    return qdraw::pixelRow(pm, v)[h - pm.bounds.left];
}

void TBSetPixel(GrafPtr port, std::int16_t h, std::int16_t v, std::uint32_t pixel) {
    const PixMap& pm = **port->portPixMap;
    if (PtInRect(Point{v, h}, &pm.bounds))
        qdraw::pixelRow(pm, v)[h - pm.bounds.left] = qdraw::representable(*port, pixel);
}

void GlobalToLocal(Point* pt) {
    pt->h = std::int16_t(pt->h - qdraw::port().globalOrigin.h);
    pt->v = std::int16_t(pt->v - qdraw::port().globalOrigin.v);
}

void LocalToGlobal(Point* pt) {
    pt->h = std::int16_t(pt->h + qdraw::port().globalOrigin.h);
    pt->v = std::int16_t(pt->v + qdraw::port().globalOrigin.v);
}

namespace qdraw {

// Pixels come from the Toolbox heap, so a port as large as a resource may ask for is bounded by
// the heap's limit like any other block.
bool openPortOnWhitePixels(GrafPtr port, const Rect& bounds, std::int16_t depth) {
    const std::int32_t w = bounds.right - bounds.left, h = bounds.bottom - bounds.top;
    if (w <= 0 || h <= 0)
        return false;
    const std::size_t count = std::size_t(w) * std::size_t(h);
    auto* pixels = reinterpret_cast<std::uint32_t*>(NewPtr(Size(count * 4)));
    if (!pixels)
        return false;
    std::fill(pixels, pixels + count, kWhitePixel);
    if (TBOpenPortOnPixels(port, PixMap{reinterpret_cast<Ptr>(pixels), w * 4, bounds, depth}))
        return true;
    DisposePtr(reinterpret_cast<Ptr>(pixels));
    return false;
}

void closePortAndPixels(GrafPtr port) {
    DisposePtr((**port->portPixMap).baseAddr);
    TBClosePort(port);
}

} // namespace qdraw
