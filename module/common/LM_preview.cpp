#include "LM_preview.h"

#include "LM_globals.h"
#include "relight_filter.h"

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
