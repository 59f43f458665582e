#include "LM_mac_UI.h"

#include "HostUtils.h"
#include "LM_globals.h"
#include "LM_light_UI_mac.h"
#include "LM_mac_color.h"
#include "LM_mac_exchange.h"
#include "LM_mac_items.h"
#include "LM_mac_preview.h"
#include "LM_mac_slider_handler.h"
#include "LM_mac_styles.h"
#include "LM_preview.h"
#include "Memory.h"
#include "Resources.h"
#include "TextUtils.h"
#include "relight_filter.h"

namespace {

constexpr LM_sint16 kParameterDialog = 16000;
constexpr std::int16_t kHostAlert = 16000;
constexpr std::int16_t kAboutBox = 16001;
constexpr LM_uint8 kKeyDelete = 51;
constexpr LM_uint8 kKeyForwardDelete = 117;
constexpr LM_uint8 kKeyTab = 48;
constexpr LM_uint8 kKeyOption = 58;

// A full set shows the full well; the first deletion from it must show the plain one at once.
void showLightDeleted(DialogPtr dialog, LM_globals* g) {
    LM_SetCurLightToDialog(dialog, g);
    if (g->lightCount == LM_MAX_LIGHTS - 1)
        LM_ItemForceDraw(dialog, kItemLightWell);
}

const LM_light_dialog_hooks kLightHooks = {LM_ItemGetBox, LM_DrawTrash, LM_DrawInverseTrash,
                                           LM_ShowTooFewLightsError, showLightDeleted};

// The press in dialog coordinates.
Point localPoint(DialogPtr dialog, Point global) {
    GrafPtr saved;
    GetPort(&saved);
    SetPort(dialog);
    GlobalToLocal(&global);
    SetPort(saved);
    return global;
}

// Tracks a press on a slider; consumed only when the value changed. -1: no control under the press.
int trackSlider(DialogPtr dialog, Point pt, LM_sint16 hit, std::int16_t* item) {
    ControlHandle control = nullptr;
    FindControl(pt, dialog, &control);
    if (!control)
        return -1;
    *item = hit;
    const LM_sint16 before = GetControlValue(control);
    TrackControl(control, pt, kControlActionDefault);
    return GetControlValue(control) != before;
}

void selectLight(DialogPtr dialog, LM_globals* g, LM_uint16 light) {
    g->currentLight = light;
    LM_SetCurLightToDialog(dialog, g);
    LM_ItemForceDraw(dialog, kItemWorkArea);
}

// A press on the work area: picks the light under it and drags it or one of its handles.
bool pressLights(DialogPtr dialog, LM_globals* g, Point pt) {
    LM_uint16 index = 0;
    const LM_sint16 part = LM_HitTestLights(g, pt, &index);
    if (part == LM_HIT_NONE)
        return false;
    if (index != g->currentLight) {
        selectLight(dialog, g, index);
        if (!StillDown())
            return true;
    }
    LM_light_figure light(g->lights[g->currentLight]);
    if (part == LM_HIT_CENTER && LM_KeyIsDown(kKeyOption))
        LM_AddNewLight(dialog, g, true);
    else if (part == LM_HIT_CENTER)
        light.MoveUI(dialog, g, kLightHooks);
    else if (part <= LM_HIT_GRAB_5)
        light.DragGrabHandle(dialog, g, part, kLightHooks);
    else
        return true;
    LM_GeneratePreview(dialog, g);
    return true;
}

bool onMouseDown(DialogPtr dialog, LM_globals* g, const EventRecord& event, std::int16_t* item) {
    WindowPtr window = nullptr;
    if (FindWindow(event.where, &window) != inContent)
        return false;
    const Point pt = localPoint(dialog, event.where);
    const LM_sint16 hit = LM_sint16(FindDialogItem(dialog, pt) + 1);
    if (hit >= kItemGloss && hit <= kItemHeight) {
        const int consumed = trackSlider(dialog, pt, hit, item);
        if (consumed >= 0)
            return consumed;
    }
    if (hit == kItemLightWell) {
        LM_AddNewLight(dialog, g, false);
        return true;
    }
    if (hit == kItemSaveStyle || hit == kItemDeleteStyle)
        return LM_TrackSmallButton(dialog, hit);
    Rect workArea;
    LM_ItemGetBox(dialog, kItemWorkArea, workArea);
    return PtInRect(pt, &workArea) && pressLights(dialog, g, pt);
}

void deleteLight(DialogPtr dialog, LM_globals* g) {
    if (g->lightCount < 2) {
        LM_ShowTooFewLightsError();
        return;
    }
    g->DeleteCurrentLight();
    showLightDeleted(dialog, g);
    LM_GeneratePreview(dialog, g);
}

void stepLight(DialogPtr dialog, LM_globals* g, bool backwards) {
    if (g->lightCount < 2)
        return;
    const LM_uint16 n = g->lightCount;
    selectLight(dialog, g, LM_uint16(backwards ? (g->currentLight + n - 1) % n : (g->currentLight + 1) % n));
}

bool onKeyDown(DialogPtr dialog, LM_globals* g, const EventRecord& event) {
    const LM_uint8 key = LM_uint8((event.message & keyCodeMask) >> 8);
    if (key == kKeyDelete || key == kKeyForwardDelete) {
        deleteLight(dialog, g);
        return true;
    }
    if (key == kKeyTab) {
        stepLight(dialog, g, (event.modifiers & shiftKey) != 0);
        return true;
    }
    return false;
}

// Changes a texture channel that no longer exists to none, or captures the chosen one.
LM_sint16 checkTextureChannel(DialogPtr dialog, LM_globals* g) {
    ControlHandle popup = LM_ItemControl(dialog, kItemTexture);
    if (!popup || g->BumpChannel() >= GetControlMaximum(popup)) {
        g->SetBumpChannel(0);
        return 0;
    }
    if (g->BumpChannel() == 0)
        return 0;
    const LM_sint16 result = LM_GetPreviewBumpPixelMap(g);
    SetArrowCursor();
    return result;
}

// A style was loaded: its texture channel is captured and the controls show its values.
LM_sint16 showLoadedStyle(DialogPtr dialog, LM_globals* g) {
    if (LM_sint16 r = checkTextureChannel(dialog, g))
        return r;
    LM_SetGlobalsToDialog(dialog, g);
    LM_SetCurLightToDialog(dialog, g);
    LM_ItemForceDraw(dialog, kItemWorkArea);
    return 0;
}

LM_sint16 openDialog(FilterRecord* record, LM_globals* g, Str255 firstStyle) {
    DialogPtr dialog = g->dialog;
    if (!g->UseCurrentSettings())
        g->Default();
    g->InvalidateCaches();
    LM_DrawPreviewFrameToPixelMap(dialog, g);
    SetArrowCursor();
    g->filterRecord = record;
    LM_SetDialogGlobals(dialog, g);
    if (LM_sint16 r = LM_RebuildBumpMapPopup(dialog, kItemTexture, record))
        return r;
    if (LM_sint16 r = LM_OpenStylePopup(dialog, g, firstStyle))
        return r;
    LM_SetDeleteStyleState(dialog);
    if (LM_sint16 r = checkTextureChannel(dialog, g))
        return r;
    LM_InitDialogUserItems(dialog);
    LM_SetControlValue(dialog, kItemPreviewOn, g->previewEnabled ? 1 : 0);
    if (LM_sint16 r = LM_GeneratePreview(dialog, g))
        return r;
    ShowWindow(dialog);
    LM_SetGlobalsToDialog(dialog, g);
    LM_SetCurLightToDialog(dialog, g);
    return 0;
}

// One item hit: its value goes to the settings. Sets `render` when the picture changed; an error
// ends the dialog.
LM_sint16 dispatch(DialogPtr dialog, LM_globals* g, LM_sint16 item, ConstStr255Param firstStyle,
                   bool& render) {
    render = true;
    switch (item) {
    case kItemSaveStyle:
        render = false;
        return LM_DoSaveStyle(dialog, g);
    case kItemStyle:
        render = LM_DoSelectStyle(dialog, g);
        return render ? showLoadedStyle(dialog, g) : 0;
    case kItemDeleteStyle:
        render = LM_DoDeleteStyle(dialog, g, firstStyle);
        if (!render)
            return 0;
        LM_SetDeleteStyleState(dialog);
        return showLoadedStyle(dialog, g);
    case kItemOK:
        LM_GetGlobalsFromDialog(dialog, g);
        break;
    case kItemLightOn:
        LM_DoLightCheckBox(dialog, item, g);
        break;
    case kItemPreviewOn:
        LM_DoPreviewCheckBox(dialog, item, g);
        break;
    case kItemWhiteIsHigh:
        LM_DoBumpCheckBox(dialog, item, g);
        break;
    case kItemHeight:
        LM_FetchBumpAmplitude(dialog, g);
        break;
    case kItemAmbientColor:
        LM_PickAmbientColor(dialog, item, g);
        break;
    case kItemLightColor:
        LM_PickLightColor(dialog, item, g);
        break;
    case kItemGloss:
        LM_FetchGloss(dialog, g);
        break;
    case kItemMaterial:
        LM_FetchMaterial(dialog, g);
        break;
    case kItemExposure:
        LM_FetchExposure(dialog, g);
        break;
    case kItemAmbient:
        LM_FetchAmbientBrightness(dialog, g);
        break;
    case kItemIntensity:
        LM_FetchCurrentLightIntensity(dialog, g);
        break;
    case kItemSpread:
        LM_FetchCurrentLightSpread(dialog, g);
        break;
    case kItemLightType:
        LM_FetchLightType(dialog, g);
        break;
    case kItemTexture:
        return LM_FetchBumpMap(dialog, g);
    default:
        render = false;
        break;
    }
    if (item == kItemOK)
        render = false;
    return 0;
}

LM_sint16 runLoop(FilterRecord* record, LM_globals* g, ConstStr255Param firstStyle) {
    DialogPtr dialog = g->dialog;
    for (;;) {
        std::int16_t item = 0;
        bool render = false;
        MoveableModalDialog(dialog, record->eventProc, LM_DialogFilter, &item);
        if (item == kItemCancel)
            return filterStop;
        if (LM_sint16 r = dispatch(dialog, g, item, firstStyle, render))
            return r;
        if (item == kItemOK)
            return 0;
        if (render)
            if (LM_sint16 r = LM_GeneratePreview(dialog, g))
                return r;
    }
}

} // namespace

LM_sint16 LM_ConstructParameterDialog(FilterRecord* record, LM_globals* g) {
    Handle dialogTemplate = GetResource(FOUR_CHAR("DLOG"), kParameterDialog);
    if (!dialogTemplate)
        return resNotFound;
    HNoPurge(dialogTemplate);
    CenterDialog(dialogTemplate);
    SetUpMoveableModal(dialogTemplate, record->hostSignature);
    // The host's port (when it has one) draws small text while the controls are made.
    GrafPtr hostPort = nullptr;
    GetPort(&hostPort);
    if (hostPort) {
        TextSize(9);
        TextFont(applFont);
    }
    LM_RegisterSliderControl();
    DialogPtr dialog = GetNewDialog(kParameterDialog, nullptr, reinterpret_cast<WindowPtr>(-1));
    if (dialog)
        LM_InitSmallFontControls(dialog);
    SetPort(hostPort);
    if (hostPort) {
        TextSize(0);
        TextFont(0);
    }
    if (!dialog) {
        HPurge(dialogTemplate);
        return filterMemFull;
    }
    DrawDialog(dialog);
    g->dialogTemplate = dialogTemplate;
    g->dialog = dialog;
    return 0;
}

LM_sint16 LM_DoParameterDialog(FilterRecord* record, LM_globals* g) {
    // The Dialog Manager tracks presses in the current port's coordinates.
    GrafPtr hostPort;
    GetPort(&hostPort);
    SetPort(g->dialog);
    // Entry 1 of the style popup as the resource gives it: the style Delete falls back to.
    Str255 firstStyle;
    LM_sint16 result = openDialog(record, g, firstStyle);
    if (result == 0)
        result = runLoop(record, g, firstStyle);
    LM_DisposeParameterDialog(g);
    SetPort(hostPort);
    return result;
}

void LM_DisposeParameterDialog(LM_globals* g) {
    g->FreeCaches();
    if (g->dialog) {
        LM_ResetSmallFontControls(g->dialog);
        DisposeDialog(g->dialog);
    }
    if (g->dialogTemplate)
        HPurge(g->dialogTemplate);
    g->dialog = nullptr;
    g->dialogTemplate = nullptr;
}

namespace {

class MacDialog final : public LM_dialog {
  public:
    LM_sint16 Construct(FilterRecord* record, LM_globals* g) const override {
        return LM_ConstructParameterDialog(record, g);
    }
    LM_sint16 CalculatePreviewScaling(FilterRecord* record, LM_globals* g) const override {
        return LM_CalculatePreviewScaling(record, g);
    }
    LM_sint16 Run(FilterRecord* record, LM_globals* g) const override {
        return LM_DoParameterDialog(record, g);
    }
    void Dispose(LM_globals* g) const override { LM_DisposeParameterDialog(g); }
    void ShowAbout() const override { ::ShowAbout(kAboutBox); }
    void AlertUnsupportedHost() const override { StopAlert(kHostAlert, nullptr); }
};

} // namespace

const LM_dialog& LM_MacDialog() {
    static const MacDialog dialog;
    return dialog;
}

std::string LM_AboutText() {
    std::string text;
    DialogPtr about = GetNewDialog(kAboutBox, nullptr, reinterpret_cast<WindowPtr>(-1));
    if (!about)
        return text;
    for (std::int16_t item = 1; item <= CountDITL(about); ++item) {
        std::int16_t kind = 0;
        Handle handle = nullptr;
        Rect box;
        GetDialogItem(about, item, &kind, &handle, &box);
        Str255 line;
        if ((kind & 0x7F) != statText)
            continue;
        GetDialogItemText(handle, line);
        text += std::string(reinterpret_cast<const char*>(line + 1), line[0]) + "\n";
    }
    DisposeDialog(about);
    return text;
}

Boolean LM_DialogFilter(DialogPtr dialog, EventRecord* event, std::int16_t* item) {
    LM_globals* g = LM_DialogGlobals(dialog);
    if (!g)
        return false;
    switch (event->what) {
    case mouseDown:
        return onMouseDown(dialog, g, *event, item);
    case keyDown:
        return onKeyDown(dialog, g, *event);
    default:
        return false;
    }
}
