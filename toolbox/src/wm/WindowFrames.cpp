// Window frames and the composed screen: a calm desktop, soft shadows, light grey frames and title
// bars with the title centred in the system font.
#include "WindowState.h"

namespace {

const RGBColor kDesktop{0x5E5E, 0x6C6C, 0x7A7A};
const RGBColor kBorderActive{0x6E6E, 0x6E6E, 0x6E6E};
const RGBColor kBorderInactive{0xA6A6, 0xA6A6, 0xA6A6};
const RGBColor kTitleTop{0xF4F4, 0xF4F4, 0xF4F4};
const RGBColor kTitleBottom{0xD8D8, 0xD8D8, 0xD8D8};
const RGBColor kTitleInactive{0xECEC, 0xECEC, 0xECEC};
const RGBColor kTitleText{0x2A2A, 0x2A2A, 0x2A2A};
const RGBColor kTitleTextInactive{0x9A9A, 0x9A9A, 0x9A9A};
const RGBColor kFace{0xE4E4, 0xE4E4, 0xE4E4};
const RGBColor kShadowWeight{0x3000, 0x3000, 0x3000};
constexpr std::int16_t kShadowOffset = 3;

std::int16_t borderOf(const WindowRecord& w) {
    return w.procID == dBoxProc ? 3 : 1;
}

RGBColor between(const RGBColor& a, const RGBColor& b, int k, int n) {
    auto mix = [&](std::uint16_t x, std::uint16_t y) { return std::uint16_t(x + (int(y) - int(x)) * k / n); };
    return RGBColor{mix(a.red, b.red), mix(a.green, b.green), mix(a.blue, b.blue)};
}

void paintColour(const Rect& r, const RGBColor& c) {
    RGBForeColor(&c);
    PaintRect(&r);
}

void drawTitleBar(const WindowRecord& w, const Rect& bar, bool active) {
    for (std::int16_t y = bar.top; y < bar.bottom; ++y) {
        const Rect row{y, bar.left, std::int16_t(y + 1), bar.right};
        paintColour(row, active ? between(kTitleTop, kTitleBottom, y - bar.top, bar.bottom - bar.top)
                                : kTitleInactive);
    }
    TextFont(systemFont);
    TextSize(0);
    TextFace(normal);
    RGBForeColor(active ? &kTitleText : &kTitleTextInactive);
    const std::int16_t width = StringWidth(w.titleText);
    MoveTo(std::int16_t((bar.left + bar.right - width) / 2), std::int16_t(bar.bottom - 6));
    DrawString(w.titleText);
}

} // namespace

namespace tbwm {

bool hasTitleBar(const WindowRecord& w) {
    return w.procID == documentProc || w.procID == noGrowDocProc || w.procID == movableDBoxProc;
}

Rect structureRect(const WindowRecord& w) {
    Rect r;
    TBGetWindowContentRect(const_cast<GrafPort*>(&w.port), &r);
    const std::int16_t b = borderOf(w);
    InsetRect(&r, std::int16_t(-b), std::int16_t(-b));
    if (hasTitleBar(w))
        r.top = std::int16_t(r.top - kTBTitleBarHeight);
    return r;
}

// Only the frame is painted; the content is copied over the inside afterwards.
void drawFrame(const WindowRecord& w, bool active) {
    PenNormal();
    const Rect outer = structureRect(w);
    const RGBColor black{0, 0, 0};
    OpColor(&kShadowWeight);
    PenMode(blend);
    paintColour(Rect{std::int16_t(outer.top + kShadowOffset), outer.right,
                     std::int16_t(outer.bottom + kShadowOffset), std::int16_t(outer.right + kShadowOffset)},
                black);
    paintColour(Rect{outer.bottom, std::int16_t(outer.left + kShadowOffset),
                     std::int16_t(outer.bottom + kShadowOffset), outer.right},
                black);
    PenNormal();
    Rect inner = outer;
    InsetRect(&inner, 1, 1);
    if (borderOf(w) > 1) {
        PenSize(std::int16_t(borderOf(w) - 1), std::int16_t(borderOf(w) - 1));
        RGBForeColor(&kFace);
        FrameRect(&inner);
        PenNormal();
    }
    if (hasTitleBar(w)) {
        const Rect bar{inner.top, inner.left, std::int16_t(inner.top + kTBTitleBarHeight - 1), inner.right};
        drawTitleBar(w, bar, active);
        const Rect rule{bar.bottom, bar.left, std::int16_t(bar.bottom + 1), bar.right};
        paintColour(rule, active ? kBorderActive : kBorderInactive);
    }
    RGBForeColor(active ? &kBorderActive : &kBorderInactive);
    FrameRect(&outer);
}

void composeScreen(std::vector<std::uint32_t>* pixels, std::int16_t width, std::int16_t height) {
    pixels->assign(std::size_t(width) * std::size_t(height), 0);
    GrafPtr saved;
    GetPort(&saved);
    GrafPort screen;
    const Rect bounds{0, 0, height, width};
    if (!TBOpenPortOnPixels(&screen, PixMap{reinterpret_cast<Ptr>(pixels->data()), width * 4, bounds, 32}))
        return;
    SetPort(&screen);
    RGBBackColor(&kDesktop);
    EraseRect(&bounds);
    std::vector<WindowPtr> order;
    for (WindowPtr w = FrontWindow(); w; w = TBNextWindow(w))
        order.insert(order.begin(), w);
    for (WindowPtr w : order) {
        const auto& rec = *reinterpret_cast<const WindowRecord*>(w);
        drawFrame(rec, w == FrontWindow());
        Rect content;
        TBGetWindowContentRect(w, &content);
        CopyBits(*w->portPixMap, *screen.portPixMap, &w->portRect, &content, srcCopy, nullptr);
    }
    TBClosePort(&screen);
    SetPort(saved);
}

} // namespace tbwm
