#include "LM_mac_items.h"

#include "CodeResources.h"
#include "LM_globals.h"
#include "LM_light_UI_mac.h"
#include "LM_mac_preview.h"
#include "Memory.h"
#include "Resources.h"
#include "Windows.h"

#include <cstring>
#include <initializer_list>

namespace {

constexpr LM_sint16 kSmallButtonLabels = 139;
constexpr LM_sint16 kSurfaceTitle = 140;
constexpr LM_sint16 kWellIcon = 128;
constexpr LM_sint16 kFullWellIcon = 130;
constexpr LM_sint16 kTrashIcon = 131;
constexpr LM_sint16 kTrashHighlightIcon = 133;
constexpr LM_sint16 kSmallFontItems[] = {kItemLightType, kItemTexture,     kItemStyle,
                                         kItemLightOn,   kItemWhiteIsHigh, kItemPreviewOn};
constexpr RGBColor kBlack = {0, 0, 0};
constexpr long kDefinitionMissing = -109; // the saved definition is empty or purged for good

// Draws into the dialog with a normal pen; the port and pen are put back afterwards.
class DialogDrawing {
  public:
    explicit DialogDrawing(DialogPtr dialog) {
        GetPort(&savedPort_);
        SetPort(dialog);
        GetPenState(&savedPen_);
        PenNormal();
    }
    ~DialogDrawing() {
        SetPenState(&savedPen_);
        SetPort(savedPort_);
    }
    DialogDrawing(const DialogDrawing&) = delete;
    DialogDrawing& operator=(const DialogDrawing&) = delete;

  private:
    GrafPtr savedPort_;
    PenState savedPen_;
};

// The dialog's small text: application font at 9, face as given; back to the defaults after.
class SmallText {
  public:
    explicit SmallText(Style face = normal) {
        TextFont(applFont);
        TextSize(9);
        TextFace(face);
    }
    ~SmallText() {
        TextFont(0);
        TextSize(0);
        TextFace(normal);
    }
    SmallText(const SmallText&) = delete;
    SmallText& operator=(const SmallText&) = delete;
};

bool itemDisabled(DialogPtr dialog, LM_sint16 item) {
    LM_sint16 kind = 0;
    Handle h = nullptr;
    Rect box;
    GetDialogItem(dialog, item, &kind, &h, &box);
    return (kind & itemDisable) != 0;
}

void setItemKind(DialogPtr dialog, LM_sint16 item, bool disabled) {
    LM_sint16 kind = 0;
    Handle h = nullptr;
    Rect box;
    GetDialogItem(dialog, item, &kind, &h, &box);
    kind = LM_sint16(disabled ? kind | itemDisable : kind & ~itemDisable);
    SetDialogItem(dialog, item, kind, h, &box);
}

void setForeGrey(std::uint16_t level) {
    const RGBColor grey = {level, level, level};
    RGBForeColor(&grey);
}

// The frame of a small button; with keepInterior 0 the inside is inverted, so two such calls
// cancel out.
void drawButton(Rect box, LM_sint16 colorIndex, LM_bool keepInterior) {
    Rect inner = box;
    InsetRect(&inner, 2, 2);
    if (!keepInterior)
        InvertRect(&inner);
    for (LM_sint16 grow : {-1, 0, 1}) {
        Rect r = box;
        InsetRect(&r, grow, grow);
        ql_quorum_frame_gui_color(&r, colorIndex);
    }
}

void plotIcon(LM_sint16 id, const Rect& box) {
    CIconHandle icon = GetCIcon(id);
    if (!icon)
        return;
    PlotCIcon(&box, icon);
    DisposeCIcon(icon);
}

LM_sint16 stringWidthIn(ConstStr255Param text, Style face) {
    SmallText small(face);
    return StringWidth(text);
}

// The gap that the group's title (a pop-up or the surface title) cuts into the group's top edge.
void titleGap(DialogPtr dialog, LM_sint16 item, LM_sint16& g1, LM_sint16& g2) {
    g1 = g2 = 0;
    Rect title;
    switch (item) {
    case kItemLightGroup:
        LM_ItemGetBox(dialog, kItemLightType, title);
        break;
    case kItemTextureGroup:
        if (ControlHandle c = LM_ItemControl(dialog, kItemTexture))
            title = (**c).contrlRect;
        else
            LM_ItemGetBox(dialog, kItemTexture, title);
        break;
    case kItemStyleGroup:
        LM_ItemGetBox(dialog, kItemStyle, title);
        break;
    case kItemSurfaceGroup: {
        LM_ItemGetBox(dialog, kItemSurfaceTitle, title);
        Str255 text;
        GetIndString(text, kSurfaceTitle, 1);
        g1 = title.left;
        g2 = LM_sint16(title.left + stringWidthIn(text, bold) + 8);
        return;
    }
    default:
        return;
    }
    g1 = title.left;
    g2 = LM_sint16(title.right + 4);
}

// A copy of a colour icon's pixels as a bitmap CopyBits reads.
BitMap iconBits(CIconHandle icon) {
    BitMap bits{};
    bits.baseAddr = reinterpret_cast<Ptr>((**icon).pixels);
    bits.bounds = (**icon).bounds;
    bits.rowBytes = std::int32_t((bits.bounds.right - bits.bounds.left) * 4);
    bits.pixelSize = 32;
    return bits;
}

Handle savedDefinition(ControlHandle control) {
    AuxCtlHandle aux = nullptr;
    if (!GetAuxiliaryControlRecord(control, &aux) || !aux)
        return nullptr;
    return reinterpret_cast<Handle>((**aux).acRefCon);
}

void setSavedDefinition(ControlHandle control, Handle definition) {
    AuxCtlHandle aux = nullptr;
    if (GetAuxiliaryControlRecord(control, &aux) && aux)
        (**aux).acRefCon = reinterpret_cast<long>(definition);
}

long callSavedDefinition(Handle definition, short variation, ControlHandle control, short message,
                         long parameter) {
    if (!definition)
        return kDefinitionMissing;
    if (!*definition) {
        LoadResource(definition);
        if (OSErr err = ResError())
            return err;
        if (!*definition)
            return kDefinitionMissing;
    }
    HLock(definition);
    auto procedure = reinterpret_cast<ControlDefProcPtr>(ql_base_check_mac_proc_ptr(*definition));
    const long result =
        procedure ? procedure(variation, control, message, parameter) : long(kDefinitionMissing);
    HUnlock(definition);
    return result;
}

} // namespace

LM_globals* LM_DialogGlobals(DialogPtr dialog) {
    AuxWinHandle aux = nullptr;
    GetAuxWin(dialog, &aux);
    return aux ? reinterpret_cast<LM_globals*>((**aux).awRefCon) : nullptr;
}

void LM_SetDialogGlobals(DialogPtr dialog, LM_globals* globals) {
    AuxWinHandle aux = nullptr;
    GetAuxWin(dialog, &aux);
    if (aux)
        (**aux).awRefCon = reinterpret_cast<long>(globals);
}

void LM_ItemGetBox(DialogPtr dialog, LM_sint16 item, Rect& box) {
    LM_sint16 kind = 0;
    Handle h = nullptr;
    GetDialogItem(dialog, item, &kind, &h, &box);
}

ControlHandle LM_ItemControl(DialogPtr dialog, LM_sint16 item) {
    LM_sint16 kind = 0;
    Handle h = nullptr;
    Rect box;
    GetDialogItem(dialog, item, &kind, &h, &box);
    return reinterpret_cast<ControlHandle>(h);
}

LM_sint16 LM_ControlValue(DialogPtr dialog, LM_sint16 item) {
    ControlHandle c = LM_ItemControl(dialog, item);
    return c ? GetControlValue(c) : 0;
}

void LM_SetControlValue(DialogPtr dialog, LM_sint16 item, LM_sint16 value) {
    ControlHandle c = LM_ItemControl(dialog, item);
    if (c && GetControlValue(c) != value)
        SetControlValue(c, value);
}

void LM_EnableControl(DialogPtr dialog, LM_sint16 item) {
    if (ControlHandle c = LM_ItemControl(dialog, item)) {
        HiliteControl(c, 0);
        Draw1Control(c);
    }
}

void LM_DisableControl(DialogPtr dialog, LM_sint16 item) {
    if (ControlHandle c = LM_ItemControl(dialog, item)) {
        HiliteControl(c, kControlInactivePart);
        Draw1Control(c);
    }
}

void LM_EnableItem(DialogPtr dialog, LM_sint16 item) {
    setItemKind(dialog, item, false);
}

void LM_DisableItem(DialogPtr dialog, LM_sint16 item) {
    setItemKind(dialog, item, true);
}

void LM_ItemForceDraw(DialogPtr dialog, LM_sint16 item) {
    Rect box;
    LM_ItemGetBox(dialog, item, box);
    RgnHandle region = NewRgn();
    if (!region)
        return;
    RectRgn(region, &box);
    UpdateDialog(dialog, region);
    DisposeRgn(region);
}

void LM_UserItemSetDrawProc(DialogPtr dialog, LM_sint16 item, UserItemProcPtr procedure) {
    LM_sint16 kind = 0;
    Handle h = nullptr;
    Rect box;
    GetDialogItem(dialog, item, &kind, &h, &box);
    SetDialogItem(dialog, item, kind, reinterpret_cast<Handle>(procedure), &box);
}

void LM_PStringCopy(unsigned char* destination, const unsigned char* source) {
    std::memmove(destination, source, std::size_t(source[0]) + 1);
}

LM_bool LM_TrackSmallButton(DialogPtr dialog, LM_sint16 item) {
    // A disabled button does not answer: drawn pressed, it would keep the enabled look.
    if (itemDisabled(dialog, item))
        return true;
    DialogDrawing drawing(dialog);
    Rect box;
    LM_ItemGetBox(dialog, item, box);
    drawButton(box, 1, 0);
    bool pressedLook = true;
    Point pt;
    while (StillDown()) {
        GetMouse(&pt);
        const bool inside = PtInRect(pt, &box);
        if (inside != pressedLook) {
            drawButton(box, inside ? 1 : 0, 0);
            pressedLook = inside;
        }
    }
    if (pressedLook)
        drawButton(box, 1, 0);
    GetMouse(&pt);
    return !PtInRect(pt, &box);
}

void LM_InitDialogUserItems(DialogPtr dialog) {
    const struct {
        LM_sint16 item;
        UserItemProcPtr procedure;
    } table[] = {
        {kItemOKOutline, LM_DrawOKOutline},          {kItemSaveStyle, LM_DrawSmallButton},
        {kItemAmbientColor, LM_DrawAmbientColorBox}, {kItemWorkArea, LM_DrawWorkArea},
        {kItemLightColor, LM_DrawLightColorBox},     {kItemPreview, LM_DrawPreview},
        {kItemLightWell, LM_DrawLightWell},          {kItemTrash, LM_DrawTrash},
        {kItemDeleteStyle, LM_DrawSmallButton},      {kItemLightGroup, LM_DrawGroupBox},
        {kItemSurfaceGroup, LM_DrawGroupBox},        {kItemTextureGroup, LM_DrawGroupBox},
        {kItemStyleGroup, LM_DrawGroupBox},          {kItemSurfaceTitle, LM_DrawPropertiesTitle},
    };
    for (const auto& entry : table)
        LM_UserItemSetDrawProc(dialog, entry.item, entry.procedure);
}

void LM_InitSmallFontControls(DialogPtr dialog) {
    for (LM_sint16 item : kSmallFontItems) {
        ControlHandle c = LM_ItemControl(dialog, item);
        Handle wrapper =
            c ? ql_quorum_new_code_resource_handle(reinterpret_cast<TBCodeEntry>(&LM_SmallFontControlFunc))
              : nullptr;
        if (!wrapper)
            continue;
        setSavedDefinition(c, (**c).contrlDefProc);
        (**c).contrlDefProc = wrapper;
    }
}

void LM_ResetSmallFontControls(DialogPtr dialog) {
    for (LM_sint16 item : kSmallFontItems) {
        ControlHandle c = LM_ItemControl(dialog, item);
        Handle own = c ? savedDefinition(c) : nullptr;
        if (!own)
            continue;
        ql_quorum_free_code_resource_handle((**c).contrlDefProc);
        (**c).contrlDefProc = own;
        setSavedDefinition(c, nullptr);
    }
}

long LM_SmallFontControlFunc(short variation, ControlHandle control, short message, long parameter) {
    TextSize(9);
    TextFont(applFont);
    const long result = callSavedDefinition(savedDefinition(control), variation, control, message, parameter);
    TextFont(0);
    TextSize(0);
    return result;
}

void LM_DrawOKOutline(DialogPtr dialog, LM_sint16) {
    ControlHandle ok = LM_ItemControl(dialog, kItemOK);
    if (!ok)
        return;
    DialogDrawing drawing((**ok).contrlOwner);
    Rect box;
    LM_ItemGetBox(dialog, kItemOK, box);
    PenSize(3, 3);
    InsetRect(&box, -4, -4);
    FrameRoundRect(&box, 16, 16);
}

void LM_DrawSmallButton(DialogPtr dialog, LM_sint16 item) {
    DialogDrawing drawing(dialog);
    const bool disabled = itemDisabled(dialog, item);
    if (disabled)
        setForeGrey(32768);
    Str255 label;
    GetIndString(label, kSmallButtonLabels, item == kItemSaveStyle ? 1 : 2);
    Rect box;
    LM_ItemGetBox(dialog, item, box);
    drawButton(box, 0, 1);
    // Antialiased text drawn over itself darkens: each redraw starts from a blank face.
    Rect face = box;
    InsetRect(&face, 2, 2);
    EraseRect(&face);
    {
        SmallText small;
        MoveTo(LM_sint16((box.left + box.right - StringWidth(label)) / 2),
               LM_sint16((box.top + box.bottom) / 2 + 3));
        DrawString(label);
    }
    if (disabled)
        RGBForeColor(&kBlack);
}

void LM_DrawColorBox(DialogPtr dialog, LM_sint16 item, const LM_color48& color) {
    DialogDrawing drawing(dialog);
    Rect box;
    LM_ItemGetBox(dialog, item, box);
    if (PixPatHandle pattern = NewPixPat()) {
        const RGBColor rgb = {color.red, color.green, color.blue};
        MakeRGBPat(pattern, &rgb);
        FillCRect(&box, pattern);
        DisposePixPat(pattern);
    }
    PenNormal();
    const bool disabled = itemDisabled(dialog, item);
    if (disabled)
        setForeGrey(32767);
    ql_quorum_frame_gui_color(&box, 1);
    if (disabled)
        RGBForeColor(&kBlack);
}

void LM_DrawAmbientColorBox(DialogPtr dialog, LM_sint16 item) {
    if (const LM_globals* g = LM_DialogGlobals(dialog))
        LM_DrawColorBox(dialog, item, g->ambientColor);
}

void LM_DrawLightColorBox(DialogPtr dialog, LM_sint16 item) {
    if (const LM_globals* g = LM_DialogGlobals(dialog))
        LM_DrawColorBox(dialog, item, g->lights[g->currentLight].color);
}

void LM_DrawWorkArea(DialogPtr dialog, LM_sint16 item) {
    LM_globals* g = LM_DialogGlobals(dialog);
    if (!g || !g->previewMap.baseAddr)
        return;
    GrafPtr saved;
    GetPort(&saved);
    SetPort(dialog);
    Rect box;
    LM_ItemGetBox(dialog, item, box);
    LM_DisplayPixels(g->filterRecord, &g->previewMap, &g->previewMap.bounds, box.top, box.left);
    RgnHandle savedClip = NewRgn();
    if (savedClip) {
        GetClip(savedClip);
        InsetRect(&box, 1, 1);
        ClipRect(&box);
        LM_DrawLights(g);
        SetClip(savedClip);
        DisposeRgn(savedClip);
    }
    SetPort(saved);
}

void LM_DrawPreview(DialogPtr, LM_sint16) {}

void LM_DrawLightWell(DialogPtr dialog, LM_sint16 item) {
    const LM_globals* g = LM_DialogGlobals(dialog);
    DialogDrawing drawing(dialog);
    Rect box;
    LM_ItemGetBox(dialog, item, box);
    plotIcon(g && g->lightCount >= LM_MAX_LIGHTS ? kFullWellIcon : kWellIcon, box);
}

void LM_DrawTrash(DialogPtr dialog, LM_sint16) {
    DialogDrawing drawing(dialog);
    Rect box;
    LM_ItemGetBox(dialog, kItemTrash, box);
    // The icon's mask leaves a highlight's corners standing: the box is cleared first.
    EraseRect(&box);
    plotIcon(kTrashIcon, box);
}

void LM_DrawInverseTrash(DialogPtr dialog, LM_sint16) {
    DialogDrawing drawing(dialog);
    CIconHandle trash = GetCIcon(kTrashIcon);
    CIconHandle highlight = GetCIcon(kTrashHighlightIcon);
    if (trash && highlight) {
        Rect box;
        LM_ItemGetBox(dialog, kItemTrash, box);
        Rect below = box;
        OffsetRect(&below, 0, 32);
        PlotCIcon(&below, highlight);
        PlotCIcon(&box, trash);
        const BitMap bits = iconBits(highlight);
        Rect source;
        SetRect(&source, 0, 0, 32, 32);
        CopyBits(&bits, GetPortBitMapForCopyBits(dialog), &source, &box, hilite, nullptr);
    }
    DisposeCIcon(trash);
    DisposeCIcon(highlight);
}

void LM_DrawGroupBox(DialogPtr dialog, LM_sint16 item) {
    DialogDrawing drawing(dialog);
    Rect b;
    LM_ItemGetBox(dialog, item, b);
    LM_sint16 g1, g2;
    titleGap(dialog, item, g1, g2);
    MoveTo(g1, b.top);
    LineTo(b.left, b.top);
    LineTo(b.left, LM_sint16(b.bottom - 1));
    LineTo(LM_sint16(b.right - 1), LM_sint16(b.bottom - 1));
    LineTo(LM_sint16(b.right - 1), b.top);
    LineTo(g2, b.top);
}

void LM_DrawPropertiesTitle(DialogPtr dialog, LM_sint16 item) {
    DialogDrawing drawing(dialog);
    Rect box;
    LM_ItemGetBox(dialog, item, box);
    Str255 title;
    GetIndString(title, kSurfaceTitle, 1);
    SmallText small(bold);
    MoveTo(LM_sint16(box.left + 4), LM_sint16((box.top + box.bottom) / 2 + 3));
    DrawString(title);
}
