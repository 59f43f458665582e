#include "LM_row_driver.h"

LM_tile_geometry LM_TileGeometry(const LM_tile_view& view, const foo* block) {
    const Rect& area = view.area;
    const Rect& tile = view.in.rect;
    LM_tile_geometry t{area.right - area.left,
                       area.bottom - area.top,
                       tile.bottom - tile.top,
                       tile.right - tile.left,
                       0.0f,
                       false};
    t.shadable = t.fw > 0 && t.fh > 0 && t.rows > 0 && t.cols > 0 && t.cols <= LM_ROW_SAMPLES;
    if (t.shadable)
        t.s = block->worldWidth.get() / float(t.fw);
    return t;
}
