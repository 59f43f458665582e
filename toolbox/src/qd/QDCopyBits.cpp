// CopyBits: nearest-neighbour scaling from the source rectangle to the destination rectangle, the
// destination clipped to its bounds, the mask region and, for the current port's own pixels, to the
// port's visRgn and clipRgn.
#include "QDInternal.h"

using qdraw::Spans;

namespace {

bool isCurrentPortPixels(const BitMap* dst) {
    return qd.thePort && (**qd.thePort->portPixMap).baseAddr == dst->baseAddr;
}

qdraw::Transfer copyTransfer(const BitMap* dst, std::int16_t mode) {
    GrafPort plain{};
    RGBColor black{0, 0, 0}, white{0xFFFF, 0xFFFF, 0xFFFF};
    plain.rgbFgColor = qd.thePort ? qd.thePort->rgbFgColor : black;
    plain.rgbBkColor = qd.thePort ? qd.thePort->rgbBkColor : white;
    plain.rgbOpColor = qd.thePort ? qd.thePort->rgbOpColor : black;
    PixMap pm = *dst;
    PixMap* pmp = &pm;
    plain.portPixMap = &pmp;
    return qdraw::transferFor(plain, mode, true);
}

} // namespace

namespace {

// Same size, plain copy onto a direct port: whole spans at once.
void copyUnscaled(const BitMap* src, const BitMap* dst, const Rect* srcRect, const Rect* dstRect,
                  Spans area) {
    const std::int32_t dh = dstRect->left - srcRect->left, dv = dstRect->top - srcRect->top;
    Spans from = Spans::fromRect(src->bounds);
    from.offset(dh, dv);
    area = Spans::intersect(area, from);
    for (const qdraw::Band& band : area.bands())
        for (std::int32_t y = band.top; y < band.bottom; ++y) {
            const std::uint32_t* srow = qdraw::pixelRow(*src, y - dv) - src->bounds.left - dh;
            std::uint32_t* drow = qdraw::pixelRow(*dst, y) - dst->bounds.left;
            for (std::size_t i = 0; i + 1 < band.xs.size(); i += 2)
                for (std::int32_t x = band.xs[i]; x < band.xs[i + 1]; ++x)
                    drow[x] = srow[x] & 0xFFFFFF;
        }
}

void copyScaled(const BitMap* src, const BitMap* dst, const Rect* srcRect, const Rect* dstRect,
                const Spans& area, std::int16_t mode) {
    const std::int32_t srcW = srcRect->right - srcRect->left, srcH = srcRect->bottom - srcRect->top;
    const std::int32_t dstW = dstRect->right - dstRect->left, dstH = dstRect->bottom - dstRect->top;
    const qdraw::Transfer t = copyTransfer(dst, mode);
    for (const qdraw::Band& band : area.bands()) {
        for (std::int32_t y = band.top; y < band.bottom; ++y) {
            const std::int32_t sy = srcRect->top + std::int32_t(std::int64_t(y - dstRect->top) * srcH / dstH);
            if (sy < src->bounds.top || sy >= src->bounds.bottom)
                continue;
            const std::uint32_t* srow = qdraw::pixelRow(*src, sy);
            std::uint32_t* drow = qdraw::pixelRow(*dst, y);
            for (std::size_t i = 0; i + 1 < band.xs.size(); i += 2) {
                for (std::int32_t x = band.xs[i]; x < band.xs[i + 1]; ++x) {
                    const std::int32_t sx =
                        srcRect->left + std::int32_t(std::int64_t(x - dstRect->left) * srcW / dstW);
                    if (sx < src->bounds.left || sx >= src->bounds.right)
                        continue;
                    std::uint32_t& d = drow[x - dst->bounds.left];
                    d = qdraw::transferPixel(t, d, true, srow[sx - src->bounds.left] & 0xFFFFFF);
                }
            }
        }
    }
}

} // namespace

void CopyBits(const BitMap* src, const BitMap* dst, const Rect* srcRect, const Rect* dstRect,
              std::int16_t mode, RgnHandle maskRgn) {
    const std::int32_t srcW = srcRect->right - srcRect->left, srcH = srcRect->bottom - srcRect->top;
    const std::int32_t dstW = dstRect->right - dstRect->left, dstH = dstRect->bottom - dstRect->top;
    if (srcW <= 0 || srcH <= 0 || dstW <= 0 || dstH <= 0)
        return;
    Spans area = Spans::intersect(Spans::fromRect(*dstRect), Spans::fromRect(dst->bounds));
    if (maskRgn)
        area = Spans::intersect(area, qdraw::spansOf(maskRgn));
    if (isCurrentPortPixels(dst)) {
        if (qd.thePort->pnVis < 0)
            return;
        area = Spans::intersect(area, qdraw::drawableArea(*qd.thePort));
    }
    if (mode == srcCopy && dst->pixelSize == 32 && srcW == dstW && srcH == dstH)
        copyUnscaled(src, dst, srcRect, dstRect, std::move(area));
    else
        copyScaled(src, dst, srcRect, dstRect, area, mode);
}
