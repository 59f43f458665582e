// The small dialogs and alerts of the style workflows: the name to save under, the confirmations
// before a style is overwritten or deleted, and the alerts for failed and locked style files.
#pragma once

#include "Dialogs.h"
#include "LM_types.h"

struct FilterRecord;

// Asks for the name to save under, proposing `name`; true for OK with the typed name in `name`. A
// leading period becomes an asterisk; a name of spaces only is not accepted.
LM_bool LM_AskSaveAsName(FilterRecord* record, Str255 name);
// True when the user chose to overwrite / delete the style `name`.
LM_bool LM_ConfirmOverwrite(ConstStr255Param name);
LM_bool LM_ConfirmDelete(ConstStr255Param name);
// Every keyboard answer (Return, Enter, Escape, Command-period) keeps the style.
Boolean LM_ConfirmDialogFilter(DialogPtr dialog, EventRecord* event, std::int16_t* item);

void LM_ShowStyleSaveError();
void LM_ShowStyleLoadError();
void LM_FileDeleteLockedError(ConstStr255Param name);
void LM_FileSaveLockedError(ConstStr255Param name);
