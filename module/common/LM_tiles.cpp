#include "LM_tiles.h"

#include "LM_globals.h"
#include "LM_shader.h"
#include "relight_filter.h"

#include <algorithm>
#include <limits>

namespace {

LM_sint16 clamp16(int v) {
    return LM_sint16(
        std::clamp<int>(v, std::numeric_limits<LM_sint16>::min(), std::numeric_limits<LM_sint16>::max()));
}

void emptyRect(Rect& r) {
    r.left = r.right;
    r.top = r.bottom;
}

bool isEmpty(const Rect& r) {
    return r.left >= r.right || r.top >= r.bottom;
}

// Sets R to the first tile of the area.
void firstTile(FilterRecord* record, int size) {
    const Rect& a = record->filterArea;
    Rect& r = record->requestRect;
    r.top = a.top;
    r.left = a.left;
    r.bottom = clamp16(std::min<int>(a.top + size, a.bottom));
    r.right = clamp16(std::min<int>(a.left + size, a.right));
}

// Moves R to the next tile; false (with R emptied) when the area is done.
bool nextTile(FilterRecord* record, int size) {
    const Rect& a = record->filterArea;
    Rect& r = record->requestRect;
    if (r.right != a.right) {
        r.left = r.right;
        r.right = clamp16(std::min<int>(r.left + size, a.right));
        return true;
    }
    if (r.bottom != a.bottom) {
        r.top = r.bottom;
        r.left = a.left;
        r.right = clamp16(std::min<int>(r.left + size, a.right));
        r.bottom = clamp16(std::min<int>(r.top + size, a.bottom));
        return true;
    }
    emptyRect(r);
    return false;
}

void previewTail(FilterRecord* record) {
    record->writeRect = record->requestRect;
    record->writeRect.bottom = record->writeRect.top + 1;
    record->maskRequestRect = record->requestRect;
    record->maskDelivery = record->inputDelivery;
}

void toBump(FilterRecord* record, LM_globals* globals, int margin, LM_sint16 channel) {
    globals->bumpTileRect = record->requestRect;
    // Past the last tile the walk is over: a grown empty rectangle would ask for one more block.
    if (!isEmpty(record->requestRect))
        record->requestRect = LM_GrowRect(record->requestRect, margin);
    record->writeRect.bottom = record->writeRect.top;
    record->writeRect.right = record->writeRect.left;
    record->requestFirstPlane = record->requestLastPlane = LM_sint16(channel - 1);
    record->planeSourceCode = -1;
    record->absolutePlanesWanted = 1;
}

// Back from the texture channel: the tile is what was asked for, whatever the host left.
void fromBump(FilterRecord* record, LM_globals* globals) {
    record->requestRect = globals->bumpTileRect;
    record->writeRect = record->requestRect;
    record->requestFirstPlane = record->writeFirstPlane = 0;
    record->requestLastPlane = record->writeLastPlane = 2;
    record->planeSourceCode = -2;
    record->absolutePlanesWanted = 0;
}

// A step above 64 would give tiles of no pixels; one step per tile keeps the walk moving.
int previewTileSize(LM_sint16 step) {
    return step > 64 ? step : (64 / step) * step;
}

} // namespace

Rect LM_GrowRect(const Rect& r, int m) {
    return {clamp16(r.top - m), clamp16(r.left - m), clamp16(r.bottom + m), clamp16(r.right + m)};
}

LM_uint16 LM_NumTilesNeeded(const FilterRecord* record) {
    const Rect& a = record->filterArea;
    const int w = std::max(0, a.right - a.left);
    const int h = std::max(0, a.bottom - a.top);
    return LM_uint16(((w + 63) / 64) * ((h + 63) / 64));
}

void LM_SetFirstRealTileRects(FilterRecord* record, LM_globals* globals) {
    globals->tileSize = LM_REAL_TILE_SIZE;
    globals->progressTotal = LM_NumTilesNeeded(record);
    globals->progressDone = 0;
    firstTile(record, LM_REAL_TILE_SIZE);
    record->writeRect = record->requestRect;
    record->maskRequestRect = {0, 0, 0, 0};
}

void LM_SetNextRealTileRects(FilterRecord* record, LM_globals* globals) {
    nextTile(record, globals->tileSize);
    record->writeRect = record->requestRect;
}

void LM_SetFirstPreviewTileRects(FilterRecord* record, LM_globals* globals) {
    globals->tileSize = LM_sint16(previewTileSize(globals->previewStep));
    firstTile(record, globals->tileSize);
    previewTail(record);
}

void LM_SetNextPreviewTileRects(FilterRecord* record, LM_globals* globals) {
    if (!nextTile(record, globals->tileSize)) {
        globals->previewGathered = 1;
        return;
    }
    previewTail(record);
}

void LM_RealToBumpRects(FilterRecord* record, LM_globals* globals) {
    toBump(record, globals, LM_BUMP_MARGIN, LM_ParameterBlock(record)->textureChannel);
}

void LM_BumpToRealRects(FilterRecord* record, LM_globals* globals) {
    fromBump(record, globals);
}

void LM_PreviewToBumpRects(FilterRecord* record, LM_globals* globals) {
    toBump(record, globals, LM_BUMP_MARGIN * globals->previewStep, globals->BumpChannel());
}

void LM_BumpToPreviewRects(FilterRecord* record, LM_globals* globals) {
    fromBump(record, globals);
}

LM_rows_in LM_RequestedRows(const FilterRecord& record) {
    return {record.requestRect, static_cast<const unsigned char*>(record.requestData),
            record.requestRowBytes};
}

LM_tile_view LM_RequestedTile(const FilterRecord& record, bool askEachRow) {
    return {record.filterArea,
            LM_RequestedRows(record),
            {static_cast<unsigned char*>(record.writeData), record.writeRowBytes},
            askEachRow ? record.abortQueryProc : nullptr};
}
