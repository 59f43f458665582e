// A tile as the shaders see it, whether a host delivered it or the preview holds it: the filtered
// area, the rows read and the rows written. The shaders never read the selection mask: the host
// blends a result by it.
#pragma once

#include "LM_types.h"
#include "Types.h"
#include "relight_filter.h" // AbortQueryProc

// Delivered rows: the rectangle they cover (image coordinates), the first row, the row distance.
struct LM_rows_in {
    Rect rect;
    const unsigned char* data;
    LM_sint32 rowBytes;
};

struct LM_rows_out {
    unsigned char* data;
    LM_sint32 rowBytes;
};

struct LM_tile_view {
    Rect area;       // the filtered area
    LM_rows_in in;   // the tile, three bytes a pixel
    LM_rows_out out; // in.rect shaded
    // Called once a row when set (a host's abort query, whose answer waits for the next tile).
    AbortQueryProc rowCallback;
};
