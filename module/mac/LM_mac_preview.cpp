#include "LM_mac_preview.h"

#include "LM_globals.h"
#include "LM_mac_UI.h"
#include "LM_mac_items.h"
#include "LM_preview.h"
#include "relight_filter.h"

#include <cstring>

namespace {

// Pixels outside the map are left alone: a preview as large as the work area has no room for its frame.
void blackPixel(const QXPixelMap& map, LM_sint32 x, LM_sint32 y) {
    if (x < 0 || y < 0 || x >= map.bounds.right || y >= map.bounds.bottom)
        return;
    std::memset(static_cast<unsigned char*>(map.baseAddr) + y * map.rowBytes + x * map.colBytes, 0, 3);
}

void blackOutline(const QXPixelMap& map, LM_sint32 left, LM_sint32 top, LM_sint32 right, LM_sint32 bottom) {
    for (LM_sint32 x = left; x <= right; ++x) {
        blackPixel(map, x, top);
        blackPixel(map, x, bottom);
    }
    for (LM_sint32 y = top; y <= bottom; ++y) {
        blackPixel(map, left, y);
        blackPixel(map, right, y);
    }
}

} // namespace

LM_sint16 LM_CalculatePreviewScaling(FilterRecord* record, LM_globals* globals) {
    DialogPtr dialog = globals->dialog;
    LM_sint16 kind = 0;
    Handle handle = nullptr;
    Rect frame, workArea;
    GetDialogItem(dialog, kItemPreview, &kind, &handle, &frame);
    LM_ItemGetBox(dialog, kItemWorkArea, workArea);
    if (LM_sint16 r = LM_SetUpPreview(record, globals, workArea, frame))
        return r;
    SetDialogItem(dialog, kItemPreview, kind, handle, &frame);
    return 0;
}

LM_sint16 LM_DisplayPixels(FilterRecord* record, const QXPixelMap* map, const VRect* source, LM_sint32 row,
                           LM_sint32 column) {
    return record->showPixelsProc(map, source, row, column, nullptr);
}

void LM_DrawPreviewFrameToPixelMap(DialogPtr, LM_globals* globals) {
    const QXPixelMap& map = globals->previewMap;
    const LM_sint32 x0 = globals->previewOffset.x, y0 = globals->previewOffset.y;
    const LM_sint32 w = globals->previewSize.x, h = globals->previewSize.y;
    blackOutline(map, x0 - 1, y0 - 1, x0 + w, y0 + h);
    blackOutline(map, 0, 0, map.bounds.right - 1, map.bounds.bottom - 1);
}

LM_sint16 LM_GeneratePreview(DialogPtr dialog, LM_globals* globals) {
    if (CursHandle watch = GetCursor(watchCursor))
        SetCursor(*watch);
    LM_sint16 result = 0;
    if (globals->previewEnabled)
        result = LM_ShadePreview(globals);
    else
        LM_CopyUnshadedPreview(globals);
    SetArrowCursor();
    if (result)
        return result;
    LM_ItemForceDraw(dialog, kItemWorkArea);
    return 0;
}
