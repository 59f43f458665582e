#include "ShowPixels.h"

#include "QuickDraw.h"

#include <cstdint>
#include <vector>

namespace {

bool inside(const QXPixelMap& map, const VRect& r) {
    return r.left >= map.bounds.left && r.top >= map.bounds.top && r.right <= map.bounds.right &&
           r.bottom <= map.bounds.bottom && r.left < r.right && r.top < r.bottom;
}

const std::uint8_t* at(const void* base, std::int32_t rowBytes, std::int32_t colBytes, std::int32_t y,
                       std::int32_t x) {
    return static_cast<const std::uint8_t*>(base) + std::ptrdiff_t(y) * rowBytes +
           std::ptrdiff_t(x) * colBytes;
}

} // namespace

std::int16_t ShowPixels(const QXPixelMap* map, const VRect* source, std::int32_t row, std::int32_t column) {
    GrafPtr port = nullptr;
    GetPort(&port);
    if (!port || !map || !source || !map->baseAddr || !inside(*map, *source))
        return filterServiceMissing;
    const int w = source->right - source->left, h = source->bottom - source->top;
    std::vector<std::uint32_t> pixels(std::size_t(w) * std::size_t(h));
    PixMap bits{};
    bits.baseAddr = reinterpret_cast<Ptr>(pixels.data());
    bits.rowBytes = w * 4;
    bits.bounds = {0, 0, std::int16_t(h), std::int16_t(w)};
    bits.pixelSize = 32;
    const Rect local = bits.bounds;
    const Rect target = {std::int16_t(row), std::int16_t(column), std::int16_t(row + h),
                         std::int16_t(column + w)};
    const QXMaskDescriptor* mask = map->version == 1 ? map->masks : nullptr;
    // Where the mask keeps the port's pixels, start from what the port shows.
    if (mask)
        CopyBits(GetPortBitMapForCopyBits(port), &bits, &target, &local, srcCopy, nullptr);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::int32_t my = source->top + y - map->bounds.top,
                               mx = source->left + x - map->bounds.left;
            if (mask && *at(mask->maskData, mask->rowBytes, mask->colBytes, my, mx) == 0)
                continue;
            const std::uint8_t* p = at(map->baseAddr, map->rowBytes, map->colBytes, my, mx);
            pixels[std::size_t(y) * std::size_t(w) + std::size_t(x)] =
                std::uint32_t(p[0]) << 16 | std::uint32_t(p[1]) << 8 | p[2];
        }
    CopyBits(&bits, GetPortBitMapForCopyBits(port), &local, &target, srcCopy, nullptr);
    return filterNoErr;
}
