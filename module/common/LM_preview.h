// The dialog's preview: gathering the reduced source before the dialog opens.
#pragma once

struct FilterRecord;
class LM_globals;

// Samples the delivered colour tile (and the selection mask) into the preview's source.
void LM_CalcTilePreview(FilterRecord* record, LM_globals* globals);
