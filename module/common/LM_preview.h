// The dialog's preview: the reduced source gathered before the dialog opens, the texture channel
// gathered through the host's deliver-now callback, and renderings by the real shaders.
#pragma once

#include "LM_types.h"
#include "Types.h"

struct FilterRecord;
class LM_globals;

// Fits the filtered area into `frame` (the largest preview allowed) centred in `workArea`, sets the
// preview geometry and allocates the preview buffers and the preview's height map. `frame`
// becomes the placed preview. 0, or -108 with every buffer of this call released.
LM_sint16 LM_SetUpPreview(FilterRecord* record, LM_globals* globals, const Rect& workArea, Rect& frame);

// Samples the delivered colour tile (and the selection mask) into the preview's source.
void LM_CalcTilePreview(FilterRecord* record, LM_globals* globals);
// Gathers the texture channel into previewTextureMap; 0 or the host's error.
LM_sint16 LM_GetPreviewBumpPixelMap(LM_globals* globals);
// Samples one delivered texture block into previewTextureMap.
void LM_CalcTileBumpPreview(FilterRecord* record, LM_globals* globals);
// Renders the preview into previewMap with the current settings; 0 or -108.
LM_sint16 LM_ShadePreview(LM_globals* globals);
// Copies the unshaded source into previewMap (the preview switched off).
void LM_CopyUnshadedPreview(LM_globals* globals);
