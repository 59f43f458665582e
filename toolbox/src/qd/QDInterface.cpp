// Drawing helpers the porting layer offers beside QuickDraw proper: interface colours and the
// slider's indicator.
#include "QDInternal.h"

namespace {
const RGBColor kInterfaceColours[] = {
    {0x7A7A, 0x7A7A, 0x7A7A}, // control frame
    {0x5050, 0x5050, 0x5050}, // well frame
    {0xFFFF, 0xFFFF, 0xFFFF}, // light edge
    {0xE4E4, 0xE4E4, 0xE4E4}, // face
};
const RGBColor kIndicatorFill{0xF4F4, 0xF4F4, 0xF4F4};
const RGBColor kIndicatorEdge{0x4040, 0x4040, 0x4040};
} // namespace

RGBColor TBInterfaceColor(std::int16_t index) {
    return (index >= 0 && index < 4) ? kInterfaceColours[index] : RGBColor{0, 0, 0};
}

namespace {
// A caller that drew a disabled item in a dimmed foreground wants its lines in that grey too.
RGBColor inkOr(const RGBColor& fg, const RGBColor& normal) {
    const bool dimmed = (fg.red | fg.green | fg.blue) != 0;
    return dimmed ? fg : normal;
}
} // namespace

void ql_quorum_frame_gui_color(const Rect* r, std::int16_t index) {
    PenState pen;
    RGBColor fg;
    GetPenState(&pen);
    GetForeColor(&fg);
    PenNormal();
    const RGBColor colour = inkOr(fg, TBInterfaceColor(index));
    RGBForeColor(&colour);
    FrameRect(r);
    RGBForeColor(&fg);
    SetPenState(&pen);
}

// The fill is painted row by row (which adds nothing to an open region); the outline is one closed
// path of lines, which is what an open region records.
void DrawPISlider() {
    PenState pen;
    RGBColor fg;
    GetPenState(&pen);
    GetForeColor(&fg);
    const std::int16_t h = pen.pnLoc.h, v = pen.pnLoc.v;
    PenNormal();
    RGBForeColor(&kIndicatorFill);
    for (std::int16_t k = 0; k < 6; ++k) {
        const Rect row{std::int16_t(v + k), std::int16_t(h - k), std::int16_t(v + k + 1),
                       std::int16_t(h + k + 1)};
        PaintRect(&row);
    }
    const RGBColor edge = inkOr(fg, kIndicatorEdge);
    RGBForeColor(&edge);
    MoveTo(h, v);
    LineTo(std::int16_t(h + 5), std::int16_t(v + 5));
    LineTo(std::int16_t(h - 5), std::int16_t(v + 5));
    LineTo(h, v);
    RGBForeColor(&fg);
    SetPenState(&pen);
}
