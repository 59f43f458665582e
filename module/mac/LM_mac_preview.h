// The preview as the dialog shows it: geometry from the dialog's items, the black frames, display
// through the host, and regeneration after each change.
#pragma once

#include "Dialogs.h"
#include "LM_types.h"

struct FilterRecord;
struct QXPixelMap;
struct VRect;
class LM_globals;

// The host draws `source` of `map` into the current port with its top-left at (row, column).
LM_sint16 LM_DisplayPixels(FilterRecord* record, const QXPixelMap* map, const VRect* source, LM_sint32 row,
                           LM_sint32 column);
// Black one-pixel frames around the preview and around the whole work area.
void LM_DrawPreviewFrameToPixelMap(DialogPtr dialog, LM_globals* globals);
// Renders (or copies, with the preview off) under the watch cursor and redraws the work area;
// 0 or the rendering's error (nothing redrawn then).
LM_sint16 LM_GeneratePreview(DialogPtr dialog, LM_globals* globals);
