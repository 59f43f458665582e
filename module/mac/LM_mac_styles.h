// The style popup (item 20) and the dialog's style workflows: the style a fresh dialog starts
// from, and saving, selecting and deleting styles with the Save and Delete buttons.
#pragma once

#include "Dialogs.h"
#include "LM_types.h"

class LM_globals;

// The style the dialog lists first and never deletes (STR# 141 string 1).
void LM_UndeletableStyleName(Str255 name);
// Refills the popup from the style folder: the undeletable style first when it is a valid style,
// then every other style in the folder's order. Sets the range and the Delete button. 0, or
// filterMemFull when an entry could not be added (the popup then holds those that could).
LM_sint16 LM_RebuildStylePopup(DialogPtr dialog, LM_sint16 item);
// Delete is disabled while no style or the undeletable style (any letter case) is selected.
void LM_SetDeleteStyleState(DialogPtr dialog);

// Fills the popup as the dialog opens. A fresh record loads the popup's first entry as the menu
// resource gives it (its text goes to `firstStyle`), else the folder's first style; a record that
// has completed a run keeps its settings and selects its style again.
// 0, or filterMemFull.
LM_sint16 LM_OpenStylePopup(DialogPtr dialog, LM_globals* globals, Str255 firstStyle);
// Save: asks for a name (again after a declined overwrite or a locked file) and saves. 0, or
// filterMemFull when the popup cannot show the styles any more.
LM_sint16 LM_DoSaveStyle(DialogPtr dialog, LM_globals* globals);
// The user chose an entry; true when a style was loaded.
LM_bool LM_DoSelectStyle(DialogPtr dialog, LM_globals* globals);
// Delete: confirms, deletes the file and loads the style to start from; true when deleted.
LM_bool LM_DoDeleteStyle(DialogPtr dialog, LM_globals* globals, ConstStr255Param firstStyle);
