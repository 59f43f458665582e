// The definition of push buttons, check boxes and radio buttons (CDEF 0, variations 0, 1, 2).
#include "ControlDefs.h"

#include "CodeResources.h"
#include "Fonts.h"
#include "Scopes.h"
#include "Utf8.h"

#include <cstring>

namespace {

constexpr std::int16_t kBoxSize = 12;

enum class Kind { push, check, radio };

Kind kindOf(std::int16_t variation) {
    switch (variation & 7) {
    case checkBoxProc:
        return Kind::check;
    case radioButProc:
        return Kind::radio;
    default:
        return Kind::push;
    }
}

void drawTitle(const ControlRecord& c, std::int16_t h, bool inverted) {
    std::int16_t baseline = TBCentredBaseline(c.contrlRect);
    bool inactive = c.contrlHilite == kControlInactivePart;
    TextMode(inactive ? grayishTextOr : inverted ? srcBic : srcOr);
    TBDrawTruncated(c.contrlTitle, h, baseline, std::int16_t(c.contrlRect.right - h));
    TextMode(srcOr);
}

void drawPush(const ControlRecord& c) {
    bool pressed = c.contrlHilite > 0 && c.contrlHilite < kControlInactivePart;
    Rect r = c.contrlRect;
    EraseRoundRect(&r, 10, 10);
    if (pressed)
        PaintRoundRect(&r, 10, 10);
    else
        FrameRoundRect(&r, 10, 10);
    std::int16_t width = StringWidth(c.contrlTitle);
    std::int16_t h = std::int16_t((r.left + r.right - width) / 2);
    if (width > r.right - r.left - 8)
        h = std::int16_t(r.left + 4);
    drawTitle(c, h, pressed);
}

void drawMarkBox(const ControlRecord& c, Kind kind) {
    bool pressed = c.contrlHilite > 0 && c.contrlHilite < kControlInactivePart;
    Rect box;
    std::int16_t top = std::int16_t((c.contrlRect.top + c.contrlRect.bottom) / 2 - kBoxSize / 2);
    SetRect(&box, std::int16_t(c.contrlRect.left + 2), top, std::int16_t(c.contrlRect.left + 2 + kBoxSize),
            std::int16_t(top + kBoxSize));
    if (kind == Kind::radio)
        EraseOval(&box);
    else
        EraseRect(&box);
    PenSize(pressed ? 2 : 1, pressed ? 2 : 1);
    if (kind == Kind::radio)
        FrameOval(&box);
    else
        FrameRect(&box);
    PenSize(1, 1);
    if (c.contrlValue && kind == Kind::radio) {
        InsetRect(&box, 3, 3);
        PaintOval(&box);
    } else if (c.contrlValue) {
        MoveTo(box.left, box.top);
        LineTo(std::int16_t(box.right - 1), std::int16_t(box.bottom - 1));
        MoveTo(std::int16_t(box.right - 1), box.top);
        LineTo(box.left, std::int16_t(box.bottom - 1));
    }
}

void draw(ControlHandle control, Kind kind) {
    const ControlRecord& c = **control;
    if (!c.contrlVis)
        return;
    PenScope pen;
    TBControlForeColor(c);
    if (kind == Kind::push) {
        drawPush(c);
    } else {
        Rect text = c.contrlRect;
        text.left = std::int16_t(text.left + 2 + kBoxSize);
        EraseRect(&text);
        drawMarkBox(c, kind);
        ForeColor(blackColor);
        drawTitle(c, std::int16_t(c.contrlRect.left + 16), false);
    }
}

} // namespace

long TBButtonDefinition(std::int16_t variation, ControlHandle control, std::int16_t message, long param) {
    Kind kind = kindOf(variation);
    switch (message) {
    case drawCntl:
        draw(control, kind);
        return 0;
    case testCntl:
        if ((**control).contrlHilite == kControlInactivePart ||
            !PtInRect(TBControlMessagePoint(param), &(**control).contrlRect))
            return 0;
        return kind == Kind::push ? inButton : inCheckBox;
    default:
        return TBRectangleRegions(control, message, param);
    }
}

std::int16_t TBCentredBaseline(const Rect& r) {
    FontInfo fi;
    GetFontInfo(&fi);
    int lineHeight = fi.ascent + fi.descent + fi.leading;
    return std::int16_t((r.top + r.bottom) / 2 - (lineHeight - fi.leading + 1) / 2 + fi.ascent);
}

void TBDrawTruncated(ConstStr255Param text, std::int16_t h, std::int16_t baseline, std::int16_t width) {
    Str255 shown;
    std::memcpy(shown, text, std::size_t(text[0]) + 1);
    if (StringWidth(shown) > width) {
        static const unsigned char kDots[] = {3, '.', '.', '.'};
        std::int16_t room = std::int16_t(width - StringWidth(kDots));
        while (shown[0] > 0 && StringWidth(shown) > room)
            shown[0] = static_cast<unsigned char>(utf8::previous(shown + 1, shown[0]));
        std::memcpy(shown + 1 + shown[0], kDots + 1, 3);
        shown[0] = static_cast<unsigned char>(shown[0] + 3);
    }
    MoveTo(h, baseline);
    DrawString(shown);
}

void TBControlForeColor(const ControlRecord& c) {
    static constexpr RGBColor kBlack = {0, 0, 0};
    static constexpr RGBColor kDimmed = {0x8000, 0x8000, 0x8000};
    RGBForeColor(c.contrlHilite == kControlInactivePart ? &kDimmed : &kBlack);
}

long TBRectangleRegions(ControlHandle control, std::int16_t message, long param) {
    if (message == calcCntlRgn || message == calcThumbRgn)
        RectRgn(reinterpret_cast<RgnHandle>(param), &(**control).contrlRect);
    return 0;
}

void TBRegisterStandardControlDefinitions() {
    static bool done = false;
    if (done)
        return;
    done = true;
    ql_quorum_code_resource(FOUR_CHAR("CDEF"), 0, ql_quorum_passtr("Buttons"),
                            reinterpret_cast<TBCodeEntry>(&TBButtonDefinition));
    ql_quorum_code_resource(FOUR_CHAR("CDEF"), popupMenuProc >> 4, ql_quorum_passtr("Popup"),
                            reinterpret_cast<TBCodeEntry>(&TBPopupDefinition));
}
