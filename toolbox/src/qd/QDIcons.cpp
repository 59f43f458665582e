// Colour icons: an in-memory form the Resource Manager builds from its data, plotted through the
// mask with exact colours.
#include "Backend.h"
#include "Memory.h"
#include "QDInternal.h"

#include <cstring>

namespace {
TBIconBuilder iconBuilder = nullptr;
}

void TBSetIconBuilder(TBIconBuilder build) {
    iconBuilder = build;
}

CIconHandle TBNewCIcon(std::int16_t width, std::int16_t height, const std::uint32_t* pixels,
                       const std::uint8_t* mask) {
    if (width <= 0 || height <= 0)
        return nullptr;
    const std::size_t count = std::size_t(width) * std::size_t(height);
    auto icon = reinterpret_cast<CIconHandle>(NewHandleClear(sizeof(CIcon)));
    Ptr pix = icon ? NewPtr(Size(count * 4)) : nullptr;
    Ptr msk = pix ? NewPtr(Size(count)) : nullptr;
    if (!msk) {
        DisposePtr(pix);
        DisposeHandle(reinterpret_cast<Handle>(icon));
        return nullptr;
    }
    CIcon& c = **icon;
    c.bounds = Rect{0, 0, height, width};
    c.pixels = reinterpret_cast<std::uint32_t*>(pix);
    c.mask = reinterpret_cast<std::uint8_t*>(msk);
    std::memcpy(c.pixels, pixels, count * 4);
    if (mask)
        std::memcpy(c.mask, mask, count);
    else
        std::memset(c.mask, 1, count);
    return icon;
}

CIconHandle GetCIcon(std::int16_t id) {
    return iconBuilder ? iconBuilder(id) : nullptr;
}

void DisposeCIcon(CIconHandle icon) {
    if (!icon)
        return;
    DisposePtr(reinterpret_cast<Ptr>((**icon).pixels));
    DisposePtr(reinterpret_cast<Ptr>((**icon).mask));
    DisposeHandle(reinterpret_cast<Handle>(icon));
}

// The mask becomes a region in destination coordinates, scaled like the pixels, and CopyBits does
// the rest with black/white colours so the icon's colours stay exact.
void PlotCIcon(const Rect* r, CIconHandle icon) {
    GrafPort& p = qdraw::port();
    const CIcon& c = **icon;
    const std::int32_t w = c.bounds.right, h = c.bounds.bottom;
    const std::int32_t dw = r->right - r->left, dh = r->bottom - r->top;
    if (dw <= 0 || dh <= 0)
        return;
    qdraw::SpanCollector maskRows;
    for (std::int32_t y = 0; y < dh; ++y) {
        const std::int32_t sy = std::int32_t(std::int64_t(y) * h / dh);
        for (std::int32_t x = 0; x < dw; ++x)
            if (c.mask[sy * w + std::int32_t(std::int64_t(x) * w / dw)])
                maskRows.addSpan(r->top + y, r->left + x, r->left + x + 1);
    }
    RgnHandle mask = NewRgn();
    if (!mask)
        return;
    qdraw::store(mask, maskRows.finish());
    const RGBColor fg = p.rgbFgColor, bk = p.rgbBkColor, black{0, 0, 0}, white{0xFFFF, 0xFFFF, 0xFFFF};
    p.rgbFgColor = black;
    p.rgbBkColor = white;
    PixMap src{reinterpret_cast<Ptr>(c.pixels), w * 4, c.bounds, 32};
    CopyBits(&src, *p.portPixMap, &c.bounds, r, srcCopy, mask);
    p.rgbFgColor = fg;
    p.rgbBkColor = bk;
    DisposeRgn(mask);
}
