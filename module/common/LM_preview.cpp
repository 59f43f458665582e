#include "LM_preview.h"

#include "LM_bumps.h"
#include "LM_memory.h"
#include "Memory.h"
#include "LM_globals.h"
#include "LM_shader.h"
#include "LM_tiles.h"
#include "relight_filter.h"

#include <algorithm>
#include <cstring>

namespace {

LM_sint32 roundUp4(LM_sint32 v) {
    return (v + 3) & ~3;
}

QXPixelMap pixelMap(int width, int height, LM_sint32 mode, LM_sint32 colBytes) {
    QXPixelMap map{};
    map.bounds = {0, 0, height, width};
    map.imageMode = mode;
    map.colBytes = colBytes;
    map.planeBytes = 1;
    map.rowBytes = roundUp4(width * colBytes);
    return map;
}

long bufferBytes(const QXPixelMap& map, int rows) {
    return long(map.rowBytes) * rows;
}

void release(void*& p) {
    LM_DisposePtr(p);
    p = nullptr;
}

void releasePreviewBuffers(LM_globals* g) {
    release(g->previewMap.baseAddr);
    release(g->previewSourceMap.baseAddr);
    release(g->previewTextureMap.baseAddr);
    LM_DisposePtr(g->bumpMap.heights);
    g->bumpMap.heights = nullptr;
    g->bumpMap.heightsSize = 0;
}

// The three preview maps' buffers and the preview's height map, all or none.
bool allocatePreviewBuffers(LM_globals* g) {
    const int w = g->previewSize.x;
    const int h = g->previewSize.y;
    g->previewMap.baseAddr = LM_NewPtr(bufferBytes(g->previewMap, g->previewMap.bounds.bottom));
    g->previewSourceMap.baseAddr =
        g->previewMap.baseAddr ? LM_NewPtr(bufferBytes(g->previewSourceMap, h)) : nullptr;
    g->previewTextureMap.baseAddr = g->previewSourceMap.baseAddr
                                        ? LM_NewPtr(bufferBytes(g->previewTextureMap, h + 2 * LM_BUMP_MARGIN))
                                        : nullptr;
    LM_DisposePtr(g->bumpMap.heights);
    g->bumpMap.heightsSize = LM_uint32((h + 2) * (w + 2) * 4);
    g->bumpMap.heights = g->previewTextureMap.baseAddr
                             ? static_cast<LM_sint32*>(LM_NewPtr(long(g->bumpMap.heightsSize)))
                             : nullptr;
    if (g->bumpMap.heights)
        return true;
    releasePreviewBuffers(g);
    return false;
}

// The host's selection, subsampled beside the preview (NewPtr, not the guarded allocator).
bool allocatePreviewMask(LM_globals* g) {
    QXPixelMap& map = g->previewMap;
    map.version = 1;
    map.reserved = map.reserved2 = map.reserved3 = 0;
    map.masks = reinterpret_cast<QXMaskDescriptor*>(NewPtrClear(sizeof(QXMaskDescriptor)));
    const LM_sint32 rowBytes = roundUp4(map.bounds.right);
    void* mask = map.masks ? NewPtr(long(rowBytes) * map.bounds.bottom) : nullptr;
    if (!mask) {
        DisposePtr(reinterpret_cast<Ptr>(map.masks));
        map.masks = nullptr;
        map.version = 0;
        return false;
    }
    *map.masks = {0, mask, rowBytes, 1, 0};
    std::memset(mask, 255, std::size_t(rowBytes) * map.bounds.bottom);
    return true;
}

} // namespace

LM_sint16 LM_SetUpPreview(FilterRecord* record, LM_globals* g, const Rect& workArea, Rect& frame) {
    const int fw = record->filterArea.right - record->filterArea.left;
    const int fh = record->filterArea.bottom - record->filterArea.top;
    const int w8 = std::max(1, frame.right - frame.left);
    const int h8 = std::max(1, frame.bottom - frame.top);
    const int w6 = workArea.right - workArea.left;
    const int h6 = workArea.bottom - workArea.top;
    int step = std::max({fw / w8, fh / h8, 1});
    int pw = (fw + step - 1) / step;
    int ph = (fh + step - 1) / step;
    if (pw > w8 || ph > h8) {
        ++step;
        pw = (fw + step - 1) / step;
        ph = (fh + step - 1) / step;
    }
    pw = std::max(pw, 1);
    ph = std::max(ph, 1);
    const int cx = workArea.left + w6 / 2;
    const int cy = workArea.top + h6 / 2;
    frame = {LM_sint16(cy - ph / 2), LM_sint16(cx - pw / 2), LM_sint16(cy - ph / 2 + ph),
             LM_sint16(cx - pw / 2 + pw)};
    g->previewStep = LM_sint16(step);
    g->previewOffset = {LM_sint16(frame.left - workArea.left), LM_sint16(frame.top - workArea.top)};
    g->previewSize = {LM_sint16(pw), LM_sint16(ph)};
    g->previewCenter = {LM_sint16(cx), LM_sint16(cy)};
    g->previewOrigin = {workArea.left, workArea.top};
    g->previewMap = pixelMap(w6, h6, record->colourMode, 3);
    g->previewSourceMap = pixelMap(pw, ph, record->colourMode, 3);
    g->previewTextureMap = pixelMap(pw, ph, 1, 1);
    g->previewTextureMap.rowBytes = roundUp4(pw + 2 * LM_BUMP_MARGIN); // a margin around the interior
    if (!allocatePreviewBuffers(g))
        return filterMemFull;
    if (record->maskPresent && record->maskEnabled && !allocatePreviewMask(g)) {
        releasePreviewBuffers(g);
        return filterMemFull;
    }
    std::memset(g->previewMap.baseAddr, 255, std::size_t(bufferBytes(g->previewMap, h6)));
    std::memset(g->previewSourceMap.baseAddr, 255, std::size_t(bufferBytes(g->previewSourceMap, ph)));
    std::memset(g->previewTextureMap.baseAddr, 255,
                std::size_t(bufferBytes(g->previewTextureMap, ph + 2 * LM_BUMP_MARGIN)));
    return 0;
}

void LM_CalcTilePreview(FilterRecord* record, LM_globals* globals) {
    const int s = globals->previewStep;
    const Rect& area = record->filterArea;
    const Rect& tile = record->requestRect;
    const int r0 = (tile.top - area.top) / s;
    const int c0 = (tile.left - area.left) / s;
    const int height = tile.bottom - tile.top;
    const int width = tile.right - tile.left;
    const QXPixelMap& source = globals->previewSourceMap;
    const unsigned char* data = static_cast<const unsigned char*>(record->requestData);
    unsigned char* out = static_cast<unsigned char*>(source.baseAddr);
    for (int row = 0; row < height; row += s)
        for (int col = 0; col < width; col += s) {
            const unsigned char* p = data + row * record->requestRowBytes + 3 * col;
            unsigned char* q = out + (r0 + row / s) * source.rowBytes + (c0 + col / s) * source.colBytes;
            q[0] = p[0], q[1] = p[1], q[2] = p[2];
        }
    const QXPixelMap& map = globals->previewMap;
    if (!record->maskPresent || !record->maskEnabled || !map.masks)
        return;
    const unsigned char* mask = static_cast<const unsigned char*>(record->maskPixels);
    unsigned char* maskOut = static_cast<unsigned char*>(map.masks->maskData);
    const int x0 = globals->previewOffset.x;
    const int y0 = globals->previewOffset.y;
    for (int row = 0; row < height; row += s)
        for (int col = 0; col < width; col += s)
            maskOut[(y0 + r0 + row / s) * map.masks->rowBytes + (x0 + c0 + col / s)] =
                mask[row * record->maskRowBytes + col];
}

LM_sint16 LM_GetPreviewBumpPixelMap(LM_globals* globals) {
    FilterRecord* record = globals->filterRecord;
    LM_SetFirstPreviewTileRects(record, globals);
    while (record->requestRect.right > record->requestRect.left &&
           record->requestRect.bottom > record->requestRect.top) {
        LM_PreviewToBumpRects(record, globals);
        if (const LM_sint16 r = record->deliverNowProc())
            return r;
        LM_CalcTileBumpPreview(record, globals);
        LM_BumpToPreviewRects(record, globals);
        LM_SetNextPreviewTileRects(record, globals);
    }
    return 0;
}

void LM_CalcTileBumpPreview(FilterRecord* record, LM_globals* globals) {
    const int s = globals->previewStep;
    const Rect want = LM_GrowRect(globals->bumpTileRect, LM_BUMP_MARGIN * s);
    const Rect got = record->requestRect;
    const unsigned char* data = static_cast<const unsigned char*>(record->requestData);
    if (!data || got.right <= got.left || got.bottom <= got.top)
        return;
    const Rect& area = record->filterArea;
    const int r0 = (want.top - area.top) / s;
    const int c0 = (want.left - area.left) / s;
    const QXPixelMap& map = globals->previewTextureMap;
    const int mapRows = map.bounds.bottom - map.bounds.top + 2 * LM_BUMP_MARGIN;
    unsigned char* out = static_cast<unsigned char*>(map.baseAddr);
    // A host may trim the block at the image border: the nearest delivered pixel stands in.
    for (int row = 0; row < want.bottom - want.top; row += s) {
        const int y = r0 + LM_BUMP_MARGIN + row / s;
        const int sy = std::clamp(want.top + row, int(got.top), got.bottom - 1) - got.top;
        for (int col = 0; col < want.right - want.left && y >= 0 && y < mapRows; col += s) {
            const int x = c0 + LM_BUMP_MARGIN + col / s;
            const int sx = std::clamp(want.left + col, int(got.left), got.right - 1) - got.left;
            if (x >= 0 && x < map.rowBytes)
                out[y * map.rowBytes + x] = data[sy * record->requestRowBytes + sx];
        }
    }
}

namespace {

// The preview buffers as one tile over a filtered area of the preview's size.
LM_tile_view previewTile(const LM_globals* globals) {
    const LM_sint16 w = globals->previewSize.x;
    const LM_sint16 h = globals->previewSize.y;
    const QXPixelMap& source = globals->previewSourceMap;
    const QXPixelMap& shown = globals->previewMap;
    const LM_sint16 x0 = globals->previewOffset.x;
    const LM_sint16 y0 = globals->previewOffset.y;
    unsigned char* out =
        static_cast<unsigned char*>(shown.baseAddr) + y0 * shown.rowBytes + x0 * shown.colBytes;
    return {{0, 0, h, w},
            {{0, 0, h, w}, static_cast<const unsigned char*>(source.baseAddr), source.rowBytes},
            {out, shown.rowBytes},
            globals->filterRecord->abortQueryProc};
}

} // namespace

LM_sint16 LM_ShadePreview(LM_globals* globals) {
    FilterRecord* record = globals->filterRecord;
    const LM_sint16 w = globals->previewSize.x;
    const LM_sint16 h = globals->previewSize.y;
    const bool texture = globals->BumpChannel() != 0;
    globals->AllocateCaches(LM_uint32(h), LM_uint32(w), texture);
    foo* block = LM_ParameterBlock(record);
    globals->ConvertToParameters(block, true);
    const LM_tile_view tile = previewTile(globals);
    if (!texture) {
        LM_ShadeTile(tile, block, globals);
        return 0;
    }
    globals->bumpMap.amplitude = block->textureHeightScale / (2 * globals->previewStep);
    const QXPixelMap& relief = globals->previewTextureMap;
    const LM_rows_in heights{
        {-LM_BUMP_MARGIN, -LM_BUMP_MARGIN, LM_sint16(h + LM_BUMP_MARGIN), LM_sint16(w + LM_BUMP_MARGIN)},
        static_cast<const unsigned char*>(relief.baseAddr),
        relief.rowBytes};
    if (LM_StoreBumpMap(heights, globals->bumpMap) != 0)
        return filterMemFull;
    LM_ShadePreviewTileWithBumps(tile, block, globals);
    return 0;
}

void LM_CopyUnshadedPreview(LM_globals* globals) {
    const QXPixelMap& source = globals->previewSourceMap;
    const QXPixelMap& shown = globals->previewMap;
    const int rows = source.bounds.bottom - source.bounds.top;
    const int bytes = (source.bounds.right - source.bounds.left) * source.colBytes;
    const unsigned char* from = static_cast<const unsigned char*>(source.baseAddr);
    unsigned char* to = static_cast<unsigned char*>(shown.baseAddr) +
                        globals->previewOffset.y * shown.rowBytes + globals->previewOffset.x * shown.colBytes;
    for (int r = 0; r < rows; ++r)
        std::memcpy(to + r * shown.rowBytes, from + r * source.rowBytes, std::size_t(bytes));
}
