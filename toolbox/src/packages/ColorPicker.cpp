// GetColor: a dialog of the Toolbox's own resources. The colour is kept as 16-bit channels; the
// hue/saturation/value area and the typed fields change it, and each change redraws what shows it.
#include "ColorPicker.h"

#include "Dialogs.h"
#include "Memory.h"
#include "TextUtils.h"
#include "Tracking.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr std::int16_t kPickerDialog = -4000;
enum : std::int16_t {
    kPrompt = 3,
    kArea = 4,
    kHueBar = 5,
    kSwatch = 6,
    kRedField = 8,
    kGreenField = 10,
    kBlueField = 12,
    kOutline = 13,
};

struct HSV {
    double h, s, v; // h in [0, 1), s and v in [0, 1]
};

struct Picker {
    RGBColor original;
    RGBColor colour;
    HSV hsv;
    Point pressed; // global; the first sample of a press, which may be over before it is tracked
};

Picker& picker(DialogPtr dialog) {
    return *reinterpret_cast<Picker*>(GetWRefCon(dialog));
}

std::uint16_t channel(double unit) {
    return std::uint16_t(std::lround(std::clamp(unit, 0.0, 1.0) * 65535.0));
}

RGBColor fromHSV(const HSV& c) {
    double h6 = c.h * 6.0, f = h6 - std::floor(h6);
    double p = c.v * (1 - c.s), q = c.v * (1 - c.s * f), t = c.v * (1 - c.s * (1 - f));
    double rgb[6][3] = {{c.v, t, p}, {q, c.v, p}, {p, c.v, t}, {p, q, c.v}, {t, p, c.v}, {c.v, p, q}};
    const double* x = rgb[int(h6) % 6];
    return RGBColor{channel(x[0]), channel(x[1]), channel(x[2])};
}

HSV toHSV(const RGBColor& c, double keepHue) {
    double r = c.red / 65535.0, g = c.green / 65535.0, b = c.blue / 65535.0;
    double mx = std::max({r, g, b}), mn = std::min({r, g, b}), d = mx - mn;
    double h = keepHue;
    if (d > 0) {
        h = mx == r ? (g - b) / d : mx == g ? 2 + (b - r) / d : 4 + (r - g) / d;
        h = std::fmod(h / 6.0 + 1.0, 1.0);
    }
    return HSV{h, mx > 0 ? d / mx : 0, mx};
}

std::uint32_t pixel(const RGBColor& c) {
    return std::uint32_t(c.red >> 8) << 16 | std::uint32_t(c.green >> 8) << 8 | std::uint32_t(c.blue >> 8);
}

Rect itemBox(DialogPtr dialog, std::int16_t item) {
    std::int16_t kind;
    Handle h;
    Rect box{};
    GetDialogItem(dialog, item, &kind, &h, &box);
    return box;
}

// Fills `box` pixel by pixel from colourAt(x, y), x and y in [0, 1].
template <class F> void plot(DialogPtr dialog, const Rect& box, F colourAt) {
    std::int16_t w = std::int16_t(box.right - box.left), h = std::int16_t(box.bottom - box.top);
    std::vector<std::uint32_t> pixels(std::size_t(w) * std::size_t(h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            pixels[std::size_t(y) * std::size_t(w) + std::size_t(x)] =
                pixel(colourAt(double(x) / std::max(1, w - 1), double(y) / std::max(1, h - 1)));
    PixMap source{reinterpret_cast<Ptr>(pixels.data()), std::int32_t(w * 4), Rect{0, 0, h, w}, 32};
    CopyBits(&source, GetPortBitMapForCopyBits(dialog), &source.bounds, &box, srcCopy, nullptr);
}

void frameOutside(const Rect& box) {
    Rect r = box;
    InsetRect(&r, -1, -1);
    FrameRect(&r);
}

// Marks a point of the area or bar with a small ring that shows on any colour.
void marker(std::int16_t h, std::int16_t v) {
    Rect r{std::int16_t(v - 3), std::int16_t(h - 3), std::int16_t(v + 4), std::int16_t(h + 4)};
    PenMode(patXor);
    FrameOval(&r);
    PenNormal();
}

void drawArea(DialogPtr dialog, std::int16_t) {
    Picker& p = picker(dialog);
    Rect box = itemBox(dialog, kArea);
    plot(dialog, box, [&](double x, double y) { return fromHSV({p.hsv.h, x, 1 - y}); });
    frameOutside(box);
    ClipRect(&box);
    marker(std::int16_t(box.left + std::lround(p.hsv.s * (box.right - box.left - 1))),
           std::int16_t(box.top + std::lround((1 - p.hsv.v) * (box.bottom - box.top - 1))));
    Rect all{-32768, -32768, 32767, 32767};
    ClipRect(&all);
}

void drawHueBar(DialogPtr dialog, std::int16_t) {
    Picker& p = picker(dialog);
    Rect box = itemBox(dialog, kHueBar);
    plot(dialog, box, [](double, double y) { return fromHSV({std::min(y, 0.9999), 1, 1}); });
    frameOutside(box);
    std::int16_t v = std::int16_t(box.top + std::lround(p.hsv.h * (box.bottom - box.top - 1)));
    MoveTo(std::int16_t(box.right + 1), v);
    LineTo(std::int16_t(box.right + 5), v);
}

void drawSwatch(DialogPtr dialog, std::int16_t) {
    Picker& p = picker(dialog);
    Rect box = itemBox(dialog, kSwatch), left = box, right = box;
    left.right = right.left = std::int16_t((box.left + box.right) / 2);
    RGBColor saved;
    GetForeColor(&saved);
    RGBForeColor(&p.colour);
    PaintRect(&left);
    RGBForeColor(&p.original);
    PaintRect(&right);
    RGBForeColor(&saved);
    frameOutside(box);
}

void drawOutline(DialogPtr dialog, std::int16_t) {
    TBDrawDefaultOutline(dialog, 1);
}

void setField(DialogPtr dialog, std::int16_t item, std::uint16_t value) {
    std::int16_t kind;
    Handle h;
    Rect box;
    GetDialogItem(dialog, item, &kind, &h, &box);
    Str255 text;
    NumToString(std::lround(value / 257.0), text);
    SetDialogItemText(h, text);
}

void showColour(DialogPtr dialog, bool fields) {
    Picker& p = picker(dialog);
    if (fields) {
        setField(dialog, kRedField, p.colour.red);
        setField(dialog, kGreenField, p.colour.green);
        setField(dialog, kBlueField, p.colour.blue);
        std::int16_t start, end, active = TBDialogEditItem(dialog, &start, &end);
        if (active)
            SelectDialogItemText(dialog, active, 0, 32767);
    }
    RgnHandle all = NewRgn();
    for (std::int16_t item : {kArea, kHueBar, kSwatch}) {
        Rect box = itemBox(dialog, item);
        InsetRect(&box, -6, -4);
        RectRgn(all, &box);
        UpdateDialog(dialog, all);
    }
    DisposeRgn(all);
}

// A typed channel: 0..255 scaled to 16 bits, larger numbers count as 255; anything else leaves
// the channel as it was.
void readField(DialogPtr dialog, std::int16_t item, std::uint16_t* channelValue) {
    std::int16_t kind;
    Handle h;
    Rect box;
    GetDialogItem(dialog, item, &kind, &h, &box);
    Str255 text;
    GetDialogItemText(h, text);
    bool digits =
        text[0] > 0 && text[0] <= 5 &&
        std::all_of(text + 1, text + 1 + text[0], [](unsigned char c) { return c >= '0' && c <= '9'; });
    long value = 0;
    if (digits)
        StringToNum(text, &value);
    value = std::min(value, 255L);
    if (!digits || value == std::lround(*channelValue / 257.0))
        return; // the shown value: the channel keeps its exact 16 bits
    *channelValue = std::uint16_t(value * 257);
    Picker& p = picker(dialog);
    p.hsv = toHSV(p.colour, p.hsv.h);
    showColour(dialog, false);
}

void trackPress(DialogPtr dialog, std::int16_t item) {
    SetPort(dialog);
    Picker& p = picker(dialog);
    Rect box = itemBox(dialog, item);
    Point pt = p.pressed;
    GlobalToLocal(&pt);
    for (bool first = true; first || TBStillTracking(); first = false) {
        if (!first)
            GetMouse(&pt);
        double x = std::clamp(double(pt.h - box.left) / std::max(1, box.right - box.left - 1), 0.0, 1.0);
        double y = std::clamp(double(pt.v - box.top) / std::max(1, box.bottom - box.top - 1), 0.0, 1.0);
        if (item == kArea) {
            p.hsv.s = x;
            p.hsv.v = 1 - y;
        } else {
            p.hsv.h = std::min(y, 0.9999);
        }
        p.colour = fromHSV(p.hsv);
        showColour(dialog, true);
    }
}

Boolean notePress(DialogPtr dialog, EventRecord* e, std::int16_t*) {
    if (e->what == mouseDown)
        picker(dialog).pressed = e->where;
    return false;
}

DialogPtr openPicker(Point where, ConstStr255Param prompt, Picker* state) {
    DialogPtr dialog = GetNewDialog(kPickerDialog, nullptr, reinterpret_cast<WindowPtr>(-1));
    if (!dialog)
        return nullptr;
    SetWRefCon(dialog, reinterpret_cast<long>(state));
    if (where.h != 0 || where.v != 0)
        MoveWindow(dialog, where.h, where.v, true);
    std::int16_t kind;
    Handle h;
    Rect box;
    GetDialogItem(dialog, kPrompt, &kind, &h, &box);
    SetDialogItemText(h, prompt ? prompt : reinterpret_cast<ConstStr255Param>(""));
    TBSetUserItemProc(dialog, kArea, drawArea);
    TBSetUserItemProc(dialog, kHueBar, drawHueBar);
    TBSetUserItemProc(dialog, kSwatch, drawSwatch);
    TBSetUserItemProc(dialog, kOutline, drawOutline);
    showColour(dialog, true);
    SelectDialogItemText(dialog, kRedField, 0, 32767);
    ShowWindow(dialog);
    DrawDialog(dialog);
    return dialog;
}

} // namespace

Boolean GetColor(Point where, ConstStr255Param prompt, const RGBColor* inColor, RGBColor* outColor) {
    Picker state{*inColor, *inColor, toHSV(*inColor, 0), Point{0, 0}};
    *outColor = *inColor;
    DialogPtr dialog = openPicker(where, prompt, &state);
    if (!dialog)
        return false;
    std::int16_t item = 0;
    while (item != kStdOkItemIndex && item != kStdCancelItemIndex) {
        ModalDialog(notePress, &item);
        if (item == kArea || item == kHueBar)
            trackPress(dialog, item);
        else if (item == kRedField)
            readField(dialog, item, &state.colour.red);
        else if (item == kGreenField)
            readField(dialog, item, &state.colour.green);
        else if (item == kBlueField)
            readField(dialog, item, &state.colour.blue);
    }
    DisposeDialog(dialog);
    if (item == kStdOkItemIndex)
        *outColor = state.colour;
    return item == kStdOkItemIndex;
}
