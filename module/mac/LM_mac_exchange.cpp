#include "LM_mac_exchange.h"

#include "LM_globals.h"
#include "LM_mac_items.h"
#include "LM_mac_preview.h"
#include "LM_preview.h"
#include "Memory.h"
#include "Resources.h"
#include "TextUtils.h"
#include "relight_filter.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr LM_sint16 kNoTextureString = 137;
constexpr LM_sint16 kTooFewLightsAlert = 16002;
constexpr LM_sint16 kPressedWellIcon = 129;

// A handle the host gave goes back through the host's handle procedures when it has them.
void disposeHostHandle(HandleProcs* handleSuite, Handle h) {
    if (handleSuite && handleSuite->disposeProc)
        handleSuite->disposeProc(h);
    else
        DisposeHandle(h);
}
constexpr LM_sint16 kNewLightCursor = 128;
// Sliders that show a signed value with this offset.
constexpr LM_sint16 kSignedOffset = 127;

LM_light_UI& currentLight(LM_globals* g) {
    return g->lights[g->currentLight];
}

void enableIf(DialogPtr dialog, LM_sint16 item, bool enabled) {
    if (enabled)
        LM_EnableControl(dialog, item);
    else
        LM_DisableControl(dialog, item);
}

void enableItemIf(DialogPtr dialog, LM_sint16 item, bool enabled) {
    if (enabled)
        LM_EnableItem(dialog, item);
    else
        LM_DisableItem(dialog, item);
}

void enableTextureControls(DialogPtr dialog, bool enabled) {
    enableIf(dialog, kItemWhiteIsHigh, enabled);
    enableIf(dialog, kItemHeight, enabled);
}

void enableSpread(DialogPtr dialog, const LM_light_UI& light) {
    enableIf(dialog, kItemSpread, light.isOn && light.type == lightTypeSpot);
}

void enableLightControls(DialogPtr dialog, const LM_light_UI& light) {
    enableIf(dialog, kItemIntensity, light.isOn);
    enableIf(dialog, kItemLightType, light.isOn);
    enableSpread(dialog, light);
    enableItemIf(dialog, kItemLightColor, light.isOn);
}

LM_sint32 typeForEntry(LM_sint16 entry) {
    switch (entry) {
    case 1:
        return lightTypeDirectional;
    case 2:
        return lightTypeOmni;
    default:
        return lightTypeSpot;
    }
}

LM_sint16 entryForType(LM_sint32 type) {
    switch (type) {
    case lightTypeDirectional:
        return 1;
    case lightTypeOmni:
        return 2;
    default:
        return 3;
    }
}

// The check box's new state: it is turned over and set.
LM_sint16 toggle(DialogPtr dialog, LM_sint16 item) {
    const LM_sint16 state = LM_ControlValue(dialog, item) == 0 ? 1 : 0;
    LM_SetControlValue(dialog, item, state);
    return state;
}

void waitForRelease() {
    while (StillDown()) {
    }
}

} // namespace

void LM_SetGlobalsToDialog(DialogPtr dialog, LM_globals* g) {
    LM_SetControlValue(dialog, kItemMaterial, g->material);
    LM_SetControlValue(dialog, kItemGloss, g->gloss);
    LM_SetControlValue(dialog, kItemExposure, g->exposure);
    LM_SetControlValue(dialog, kItemAmbient, LM_sint16(g->ambientBrightness + kSignedOffset));
    LM_SetControlValue(dialog, kItemHeight, g->BumpAmplitude());
    LM_SetControlValue(dialog, kItemWhiteIsHigh, g->WhiteIsHigh() ? 1 : 0);
    LM_SetControlValue(dialog, kItemTexture, LM_sint16(g->BumpChannel() + 1));
    enableTextureControls(dialog, g->BumpChannel() != 0);
    LM_ItemForceDraw(dialog, kItemAmbientColor);
}

void LM_GetGlobalsFromDialog(DialogPtr dialog, LM_globals* g) {
    LM_FetchMaterial(dialog, g);
    LM_FetchGloss(dialog, g);
    LM_FetchExposure(dialog, g);
    LM_FetchAmbientBrightness(dialog, g);
    LM_FetchBumpAmplitude(dialog, g);
    LM_FetchWhiteIsHigh(dialog, g);
}

void LM_SetCurLightToDialog(DialogPtr dialog, LM_globals* g) {
    const LM_light_UI& light = currentLight(g);
    LM_SetControlValue(dialog, kItemLightOn, light.isOn ? 1 : 0);
    LM_SetControlValue(dialog, kItemIntensity, LM_sint16(light.intensity + kSignedOffset));
    LM_SetControlValue(dialog, kItemSpread, light.spread);
    LM_SetControlValue(dialog, kItemLightType, entryForType(light.type));
    enableLightControls(dialog, light);
    LM_ItemForceDraw(dialog, kItemLightColor);
}

void LM_FetchGloss(DialogPtr dialog, LM_globals* g) {
    g->gloss = LM_ControlValue(dialog, kItemGloss);
}

void LM_FetchMaterial(DialogPtr dialog, LM_globals* g) {
    g->material = LM_ControlValue(dialog, kItemMaterial);
}

void LM_FetchExposure(DialogPtr dialog, LM_globals* g) {
    g->exposure = LM_ControlValue(dialog, kItemExposure);
}

void LM_FetchAmbientBrightness(DialogPtr dialog, LM_globals* g) {
    g->ambientBrightness = LM_sint16(LM_ControlValue(dialog, kItemAmbient) - kSignedOffset);
}

void LM_FetchBumpAmplitude(DialogPtr dialog, LM_globals* g) {
    g->SetBumpAmplitude(LM_ControlValue(dialog, kItemHeight));
}

void LM_FetchWhiteIsHigh(DialogPtr dialog, LM_globals* g) {
    g->SetWhiteIsHigh(LM_ControlValue(dialog, kItemWhiteIsHigh) != 0);
}

void LM_FetchCurrentLightIntensity(DialogPtr dialog, LM_globals* g) {
    LM_light_UI& light = currentLight(g);
    light.intensity = LM_sint16(LM_ControlValue(dialog, kItemIntensity) - kSignedOffset);
    g->LightChanged(light);
}

void LM_FetchCurrentLightSpread(DialogPtr dialog, LM_globals* g) {
    LM_light_UI& light = currentLight(g);
    light.spread = LM_ControlValue(dialog, kItemSpread);
    g->LightChanged(light);
}

void LM_FetchLightType(DialogPtr dialog, LM_globals* g) {
    LM_light_UI& light = currentLight(g);
    const LM_sint32 type = typeForEntry(LM_ControlValue(dialog, kItemLightType));
    enableIf(dialog, kItemSpread, type == lightTypeSpot && light.isOn);
    if (type == light.type)
        return;
    light.type = type;
    g->LightChanged(light);
    light.Validate();
    LM_ItemForceDraw(dialog, kItemWorkArea);
}

LM_sint16 LM_FetchBumpMap(DialogPtr dialog, LM_globals* g) {
    const LM_sint16 channel = LM_sint16(LM_ControlValue(dialog, kItemTexture) - 1);
    if (channel == g->BumpChannel())
        return 0;
    g->SetBumpChannel(channel);
    if (channel == 0) {
        enableTextureControls(dialog, false);
        return 0;
    }
    enableTextureControls(dialog, true);
    const LM_sint16 result = LM_GetPreviewBumpPixelMap(g);
    SetArrowCursor();
    return result;
}

void LM_DoLightCheckBox(DialogPtr dialog, LM_sint16 item, LM_globals* g) {
    const LM_sint16 on = toggle(dialog, item);
    LM_light_UI& light = currentLight(g);
    light.isOn = on;
    if (!on)
        g->CachesOf(light).Free();
    g->LightChanged(light);
    enableLightControls(dialog, light);
    LM_ItemForceDraw(dialog, kItemLightColor);
}

void LM_DoBumpCheckBox(DialogPtr dialog, LM_sint16 item, LM_globals* g) {
    g->SetWhiteIsHigh(toggle(dialog, item));
}

void LM_DoPreviewCheckBox(DialogPtr dialog, LM_sint16 item, LM_globals* g) {
    g->previewEnabled = toggle(dialog, item);
}

void LM_AddNewLight(DialogPtr dialog, LM_globals* g, LM_bool copy) {
    if (g->lightCount >= LM_MAX_LIGHTS)
        return;
    GrafPtr saved;
    GetPort(&saved);
    SetPort(dialog);
    Rect well, workArea;
    LM_ItemGetBox(dialog, kItemLightWell, well);
    if (CIconHandle pressed = GetCIcon(kPressedWellIcon)) {
        PlotCIcon(&well, pressed);
        DisposeCIcon(pressed);
    }
    LM_ItemGetBox(dialog, kItemWorkArea, workArea);
    if (CursHandle cursor = GetCursor(kNewLightCursor))
        SetCursor(*cursor);
    waitForRelease();
    SetArrowCursor();
    Point pt;
    GetMouse(&pt);
    if (PtInRect(pt, &workArea)) {
        if (copy)
            g->CopyNewLight(pt.h, pt.v);
        else
            g->CreateNewLight(pt.h, pt.v);
        LM_SetCurLightToDialog(dialog, g);
        LM_ItemForceDraw(dialog, kItemLightWell);
        LM_GeneratePreview(dialog, g);
    } else {
        LM_ItemForceDraw(dialog, kItemLightWell);
    }
    SetPort(saved);
}

void LM_ShowTooFewLightsError() {
    GrafPtr saved;
    GetPort(&saved);
    StopAlert(kTooFewLightsAlert, nullptr);
    SetPort(saved);
}

LM_sint16 LM_GetNumChannels(LM_uint16& count, FilterRecord* record) {
    if (!record->propertyQueryProc)
        return filterServiceMissing;
    std::int32_t simple = 0;
    Handle complex = nullptr;
    if (LM_sint16 r = record->propertyQueryProc(kHostSignature, kPropertyChannelCount, 0, &simple, &complex))
        return r;
    count = LM_uint16(simple & 0xFFFF);
    return 0;
}

LM_sint16 LM_GetChannelName(LM_sint32 index, Str255 name, FilterRecord* record) {
    if (!record->propertyQueryProc)
        return filterServiceMissing;
    std::int32_t simple = 0;
    Handle complex = nullptr;
    if (LM_sint16 r =
            record->propertyQueryProc(kHostSignature, kPropertyChannelName, index, &simple, &complex))
        return r;
    if (!complex)
        return filterServiceMissing;
    const Size length = std::min<Size>(GetHandleSize(complex), 255);
    name[0] = static_cast<unsigned char>(length);
    std::memcpy(name + 1, *complex, std::size_t(length));
    disposeHostHandle(record->handleSuite, complex);
    return 0;
}

LM_sint16 LM_RebuildBumpMapPopup(DialogPtr dialog, LM_sint16 item, FilterRecord* record) {
    LM_uint16 count = 0;
    if (LM_sint16 r = LM_GetNumChannels(count, record))
        return r;
    ControlHandle control = LM_ItemControl(dialog, item);
    MenuHandle menu = control ? LM_PopupMenu(control) : nullptr;
    if (!menu)
        return 0;
    for (LM_sint16 entry = CountMItems(menu); entry >= 1; --entry)
        DeleteMenuItem(menu, entry);
    Str255 text;
    GetIndString(text, kNoTextureString, 1);
    LM_sint16 result = LM_PopupAppendLiteral(menu, text) ? 0 : filterMemFull;
    for (LM_sint32 index = 0; result == 0 && index < count; ++index) {
        if ((result = LM_GetChannelName(index, text, record)) == 0 && !LM_PopupAppendLiteral(menu, text))
            result = filterMemFull;
    }
    const LM_sint16 entries = CountMItems(menu);
    SetControlMaximum(control, entries);
    SetControlMinimum(control, entries ? 1 : 0);
    LM_ItemForceDraw(dialog, item);
    return result;
}

LM_bool LM_PopupAppendLiteral(MenuHandle menu, ConstStr255Param text) {
    const LM_sint16 entries = CountMItems(menu);
    AppendMenu(menu, reinterpret_cast<ConstStr255Param>("\x01x"));
    if (CountMItems(menu) == entries)
        return false;
    SetMenuItemText(menu, CountMItems(menu), text);
    if (MemError() == noErr)
        return true;
    DeleteMenuItem(menu, CountMItems(menu));
    return false;
}

MenuHandle LM_PopupMenu(ControlHandle control) {
    if (!control)
        return nullptr;
    auto data = reinterpret_cast<PopupPrivateDataHandle>((**control).contrlData);
    return data && *data ? (**data).mHandle : nullptr;
}

void LM_PopupGetItem(DialogPtr dialog, LM_sint16 item, LM_sint16 entry, Str255 text) {
    if (MenuHandle menu = LM_PopupMenu(LM_ItemControl(dialog, item)))
        GetMenuItemText(menu, entry, text);
}

LM_sint16 LM_PopupItemIndex(DialogPtr dialog, LM_sint16 item, ConstStr255Param text) {
    MenuHandle menu = LM_PopupMenu(LM_ItemControl(dialog, item));
    if (!menu)
        return 0;
    Str255 entryText;
    LM_sint16 found = 0;
    for (LM_sint16 entry = 1; entry <= CountMItems(menu); ++entry) {
        GetMenuItemText(menu, entry, entryText);
        if (EqualString(entryText, text, true, true))
            return entry;
        if (!found && EqualString(entryText, text, false, false))
            found = entry;
    }
    return found;
}
