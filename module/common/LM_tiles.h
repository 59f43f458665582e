// Which rectangles the module asks the host for: 64 x 64 tiles over the filtered area for the final
// image, tiles of whole preview steps for gathering the preview, and the switch of a tile's request
// to the texture channel with its margin and back.
#pragma once

#include "LM_tile_view.h"
#include "LM_types.h"
#include "Types.h"

struct FilterRecord;
class LM_globals;

constexpr LM_sint16 LM_REAL_TILE_SIZE = 64;
constexpr LM_sint16 LM_BUMP_MARGIN = 3;

// r grown by m on every side, kept inside 16 bits.
Rect LM_GrowRect(const Rect& r, int m);

LM_uint16 LM_NumTilesNeeded(const FilterRecord* record);
void LM_SetFirstRealTileRects(FilterRecord* record, LM_globals* globals);
void LM_SetNextRealTileRects(FilterRecord* record, LM_globals* globals);
void LM_SetFirstPreviewTileRects(FilterRecord* record, LM_globals* globals);
void LM_SetNextPreviewTileRects(FilterRecord* record, LM_globals* globals);
void LM_RealToBumpRects(FilterRecord* record, LM_globals* globals);
void LM_BumpToRealRects(FilterRecord* record, LM_globals* globals);
void LM_PreviewToBumpRects(FilterRecord* record, LM_globals* globals);
void LM_BumpToPreviewRects(FilterRecord* record, LM_globals* globals);

// What the host delivered with `record`: requestRect/requestData.
LM_rows_in LM_RequestedRows(const FilterRecord& record);
// The record's tile; with askEachRow its abort query is the row callback.
LM_tile_view LM_RequestedTile(const FilterRecord& record, bool askEachRow);
