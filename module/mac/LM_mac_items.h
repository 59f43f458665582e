// The parameter dialog's items: their numbers, the helpers that reach items and controls, the
// hand-drawn user items, the small buttons and the small-font wrapper around six controls.
#pragma once

#include "Dialogs.h"
#include "LM_types.h"

class LM_globals;

enum : LM_sint16 {
    kItemOK = 1,
    kItemCancel = 2,
    kItemOKOutline = 3,
    kItemSaveStyle = 4,
    kItemAmbientColor = 5,
    kItemWorkArea = 6,
    kItemLightColor = 7,
    kItemPreview = 8,
    kItemLightOn = 9,
    kItemWhiteIsHigh = 10,
    kItemLightType = 11,
    kItemTexture = 12,
    kItemGloss = 13,
    kItemMaterial = 14,
    kItemExposure = 15,
    kItemAmbient = 16,
    kItemIntensity = 17,
    kItemSpread = 18,
    kItemHeight = 19,
    kItemStyle = 20,
    kItemLightWell = 21,
    kItemTrash = 22,
    kItemDeleteStyle = 23,
    kItemLightGroup = 24,
    kItemSurfaceGroup = 25,
    kItemTextureGroup = 26,
    kItemStyleGroup = 27,
    kItemSurfaceTitle = 28,
    kItemPreviewOn = 29,
};

// The settings the dialog edits, kept in the reference word of the dialog's auxiliary record.
LM_globals* LM_DialogGlobals(DialogPtr dialog);
void LM_SetDialogGlobals(DialogPtr dialog, LM_globals* globals);

void LM_ItemGetBox(DialogPtr dialog, LM_sint16 item, Rect& box);
ControlHandle LM_ItemControl(DialogPtr dialog, LM_sint16 item);
// 0 when the item has no handle.
LM_sint16 LM_ControlValue(DialogPtr dialog, LM_sint16 item);
// Only a different value is set (and drawn).
void LM_SetControlValue(DialogPtr dialog, LM_sint16 item, LM_sint16 value);
void LM_EnableControl(DialogPtr dialog, LM_sint16 item);
void LM_DisableControl(DialogPtr dialog, LM_sint16 item);
void LM_EnableItem(DialogPtr dialog, LM_sint16 item);
void LM_DisableItem(DialogPtr dialog, LM_sint16 item);
// Has the dialog redraw what lies in the item's box.
void LM_ItemForceDraw(DialogPtr dialog, LM_sint16 item);
void LM_UserItemSetDrawProc(DialogPtr dialog, LM_sint16 item, UserItemProcPtr procedure);
void LM_PStringCopy(unsigned char* destination, const unsigned char* source);
// Follows a press on a small button; true when it was released outside or the button is disabled.
LM_bool LM_TrackSmallButton(DialogPtr dialog, LM_sint16 item);

void LM_InitDialogUserItems(DialogPtr dialog);
void LM_InitSmallFontControls(DialogPtr dialog);
void LM_ResetSmallFontControls(DialogPtr dialog);
long LM_SmallFontControlFunc(short variation, ControlHandle control, short message, long parameter);

void LM_DrawOKOutline(DialogPtr dialog, LM_sint16 item);
void LM_DrawSmallButton(DialogPtr dialog, LM_sint16 item);
void LM_DrawColorBox(DialogPtr dialog, LM_sint16 item, const LM_color48& color);
void LM_DrawAmbientColorBox(DialogPtr dialog, LM_sint16 item);
void LM_DrawLightColorBox(DialogPtr dialog, LM_sint16 item);
void LM_DrawWorkArea(DialogPtr dialog, LM_sint16 item);
void LM_DrawPreview(DialogPtr dialog, LM_sint16 item);
void LM_DrawLightWell(DialogPtr dialog, LM_sint16 item);
void LM_DrawTrash(DialogPtr dialog, LM_sint16 item);
void LM_DrawInverseTrash(DialogPtr dialog, LM_sint16 item);
void LM_DrawGroupBox(DialogPtr dialog, LM_sint16 item);
void LM_DrawPropertiesTitle(DialogPtr dialog, LM_sint16 item);
