// The pop-up menu definition (CDEF 63): a title at the left, then a framed box with a drop shadow
// showing the chosen item and a downward triangle. It tracks itself through PopUpMenuSelect.
#include "ControlDefs.h"

#include "Fonts.h"
#include "Memory.h"
#include "Menus.h"
#include "Scopes.h"

namespace {

// contrlData: the public part first, then what the definition keeps for itself.
struct PopupState {
    PopupPrivateData shared;
    std::int16_t titleWidth;
    std::int16_t titleStyle; // the creation value: justification low byte, style high byte
};
using PopupStateHandle = PopupState**;

PopupStateHandle state(ControlHandle c) {
    return reinterpret_cast<PopupStateHandle>((**c).contrlData);
}

Rect menuBox(ControlHandle c) {
    Rect r = (**c).contrlRect;
    r.left = std::int16_t(r.left + (**state(c)).titleWidth);
    r.right = std::int16_t(r.right - 1);
    r.bottom = std::int16_t(r.bottom - 1);
    return r;
}

// The menu shows the control's value checked, whatever was appended or chosen since.
void markValue(ControlHandle c) {
    MenuHandle menu = (**state(c)).shared.mHandle;
    for (std::int16_t i = 1; i <= CountMItems(menu); ++i)
        CheckItem(menu, i, i == (**c).contrlValue);
}

void init(ControlHandle c) {
    ControlRecord& r = **c;
    auto s = reinterpret_cast<PopupStateHandle>(NewHandleClear(sizeof(PopupState)));
    MenuHandle menu = GetMenu(r.contrlMin);
    if (!s || !menu) {
        DisposeHandle(reinterpret_cast<Handle>(s));
        DisposeMenu(menu);
        return;
    }
    (**s).shared = {menu, r.contrlMin};
    (**s).titleWidth = r.contrlMax;
    (**s).titleStyle = r.contrlValue;
    InsertMenu(menu, -1);
    r.contrlData = reinterpret_cast<Handle>(s);
    r.contrlValue = 1;
    r.contrlMin = 1;
    r.contrlMax = CountMItems(menu);
    r.contrlAction = kControlActionDefault;
    markValue(c);
}

void dispose(ControlHandle c) {
    PopupStateHandle s = state(c);
    if (!s)
        return;
    DisposeMenu((**s).shared.mHandle);
    DisposeHandle(reinterpret_cast<Handle>(s));
    (**c).contrlData = nullptr;
}

void drawTitle(ControlHandle c, bool inverted) {
    const ControlRecord& r = **c;
    std::int16_t titleWidth = (**state(c)).titleWidth;
    if (titleWidth <= 0)
        return;
    Rect area = r.contrlRect;
    area.right = std::int16_t(area.left + titleWidth - 1);
    EraseRect(&area);
    std::int16_t style = (**state(c)).titleStyle;
    TextFace(style & 0x8000 ? Style(normal) : Style((style >> 8) & 0x7F));
    std::int16_t width = StringWidth(r.contrlTitle);
    std::int16_t justify = std::int16_t(style & 0xFF);
    std::int16_t h = justify == 1      ? std::int16_t((area.left + area.right - width) / 2)
                     : justify == 0xFF ? std::int16_t(area.right - 2 - width)
                                       : std::int16_t(area.left + 2);
    TextMode(r.contrlHilite == kControlInactivePart ? grayishTextOr : srcOr);
    TBDrawTruncated(r.contrlTitle, h, TBCentredBaseline(r.contrlRect), std::int16_t(area.right - h));
    TextMode(srcOr);
    TextFace(normal);
    if (inverted)
        InvertRect(&area);
}

void drawTriangle(const Rect& box) {
    std::int16_t left = std::int16_t(box.right - 22);
    std::int16_t top = std::int16_t((box.top + box.bottom) / 2 - 3);
    for (std::int16_t row = 0; row < 6; ++row) {
        MoveTo(std::int16_t(left + row), std::int16_t(top + row));
        LineTo(std::int16_t(left + 10 - row), std::int16_t(top + row));
    }
}

void draw(ControlHandle c, bool inverted) {
    const ControlRecord& r = **c;
    if (!r.contrlVis || !state(c))
        return;
    PenScope pen;
    TBControlForeColor(r);
    drawTitle(c, inverted);
    Rect box = menuBox(c);
    Rect whole = box;
    whole.right = std::int16_t(whole.right + 1);
    whole.bottom = std::int16_t(whole.bottom + 1);
    EraseRect(&whole);
    FrameRect(&box);
    MoveTo(std::int16_t(box.left + 1), box.bottom);
    LineTo(box.right, box.bottom);
    LineTo(box.right, std::int16_t(box.top + 1));
    Str255 text;
    GetMenuItemText((**state(c)).shared.mHandle, r.contrlValue, text);
    std::int16_t h = std::int16_t(box.left + 1 + CharWidth(' '));
    TextMode(r.contrlHilite == kControlInactivePart ? grayishTextOr : srcOr);
    TBDrawTruncated(text, h, TBCentredBaseline(box), std::int16_t(box.right - 24 - h));
    TextMode(srcOr);
    drawTriangle(box);
}

void track(ControlHandle c) {
    MenuHandle menu = (**state(c)).shared.mHandle;
    draw(c, true);
    Rect box = menuBox(c);
    Point topLeft{box.top, box.left};
    LocalToGlobal(&topLeft);
    markValue(c);
    (**menu).menuWidth = std::int16_t(box.right - box.left);
    long chosen = PopUpMenuSelect(menu, topLeft.v, topLeft.h, (**c).contrlValue);
    if (chosen)
        (**c).contrlValue = std::int16_t(chosen & 0xFFFF);
    markValue(c);
    draw(c, false);
}

} // namespace

long TBPopupDefinition(std::int16_t, ControlHandle control, std::int16_t message, long param) {
    switch (message) {
    case initCntl:
        init(control);
        return 0;
    case dispCntl:
        dispose(control);
        return 0;
    case drawCntl:
        draw(control, false);
        return 0;
    case testCntl:
        return state(control) && PtInRect(TBControlMessagePoint(param), &(**control).contrlRect) ? inButton
                                                                                                 : 0;
    case autoTrack:
        track(control);
        return 0;
    default:
        return TBRectangleRegions(control, message, param);
    }
}
