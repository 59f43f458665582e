// Values between the dialog's controls and the settings: the whole record when the dialog opens,
// one control after each hit, the current light when the selection changes, and the texture popup
// built from the host's channels.
#pragma once

#include "Dialogs.h"
#include "LM_types.h"
#include "Menus.h"

struct FilterRecord;
class LM_globals;

void LM_SetGlobalsToDialog(DialogPtr dialog, LM_globals* globals);
void LM_GetGlobalsFromDialog(DialogPtr dialog, LM_globals* globals);
void LM_SetCurLightToDialog(DialogPtr dialog, LM_globals* globals);

void LM_FetchGloss(DialogPtr dialog, LM_globals* globals);
void LM_FetchMaterial(DialogPtr dialog, LM_globals* globals);
void LM_FetchExposure(DialogPtr dialog, LM_globals* globals);
void LM_FetchAmbientBrightness(DialogPtr dialog, LM_globals* globals);
void LM_FetchBumpAmplitude(DialogPtr dialog, LM_globals* globals);
void LM_FetchWhiteIsHigh(DialogPtr dialog, LM_globals* globals);
void LM_FetchCurrentLightIntensity(DialogPtr dialog, LM_globals* globals);
void LM_FetchCurrentLightSpread(DialogPtr dialog, LM_globals* globals);
void LM_FetchLightType(DialogPtr dialog, LM_globals* globals);
// Switches the texture channel and captures it for the preview; 0 or the capture's error.
LM_sint16 LM_FetchBumpMap(DialogPtr dialog, LM_globals* globals);

void LM_DoLightCheckBox(DialogPtr dialog, LM_sint16 item, LM_globals* globals);
void LM_DoBumpCheckBox(DialogPtr dialog, LM_sint16 item, LM_globals* globals);
void LM_DoPreviewCheckBox(DialogPtr dialog, LM_sint16 item, LM_globals* globals);

// Follows a light dragged out of the well (or copied, with `copy`) and adds it where it is dropped
// inside the work area.
void LM_AddNewLight(DialogPtr dialog, LM_globals* globals, LM_bool copy);
void LM_ShowTooFewLightsError();

LM_sint16 LM_RebuildBumpMapPopup(DialogPtr dialog, LM_sint16 item, FilterRecord* record);
LM_sint16 LM_GetNumChannels(LM_uint16& count, FilterRecord* record);
LM_sint16 LM_GetChannelName(LM_sint32 index, Str255 name, FilterRecord* record);

MenuHandle LM_PopupMenu(ControlHandle control);
// Appends the text as one entry, literally: channel and style names may hold menu metacharacters.
// False, and the menu as it was, when there is no memory for it.
LM_bool LM_PopupAppendLiteral(MenuHandle menu, ConstStr255Param text);
void LM_PopupGetItem(DialogPtr dialog, LM_sint16 item, LM_sint16 entry, Str255 text);
// The entry whose text is `text`, else the first that differs only in letter case (the rule by
// which a style's file is found); 0 when none.
LM_sint16 LM_PopupItemIndex(DialogPtr dialog, LM_sint16 item, ConstStr255Param text);
