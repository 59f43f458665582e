#include "LM_mac_color.h"

#include "ColorPicker.h"
#include "LM_globals.h"
#include "LM_light_UI_mac.h"
#include "LM_mac_items.h"
#include "Resources.h"
#include "relight_filter.h"

namespace {

constexpr LM_sint16 kAmbientPrompt = 135;
constexpr LM_sint16 kLightPrompt = 136;

// The host sees 8-bit components and hands 8-bit components back.
LM_sint16 askHost(ColorServicesProc service, ConstStr255Param prompt, const RGBColor& in, RGBColor& out) {
    ColorServicesInfo info;
    info.infoSize = 36; // the size the host interface documents for the record
    info.selector = 0;
    info.sourceSpace = 0;
    info.resultSpace = 0;
    info.reservedSourceSpaceInfo = 0;
    info.reservedResultSpaceInfo = 0;
    info.colorComponents[0] = LM_sint16(in.red >> 8);
    info.colorComponents[1] = LM_sint16(in.green >> 8);
    info.colorComponents[2] = LM_sint16(in.blue >> 8);
    info.reserved = 0;
    info.selectorParameter = prompt;
    const LM_sint16 result = service(&info);
    if (result == 0) {
        out.red = std::uint16_t(info.colorComponents[0] * 257);
        out.green = std::uint16_t(info.colorComponents[1] * 257);
        out.blue = std::uint16_t(info.colorComponents[2] * 257);
    }
    return result;
}

// Asks for a colour starting from `color`; true when one was chosen (then stored in `color`).
bool pick(LM_sint16 promptList, LM_color48& color, LM_globals* g) {
    const RGBColor in = {color.red, color.green, color.blue};
    RGBColor out = in;
    Str255 prompt;
    GetIndString(prompt, promptList, 1);
    if (!QXGetColor(Point{0, 0}, prompt, in, out, g))
        return false;
    color = {out.red, out.green, out.blue};
    return true;
}

} // namespace

LM_bool QXGetColor(Point where, ConstStr255Param prompt, const RGBColor& in, RGBColor& out, LM_globals* g) {
    FilterRecord* record = g->filterRecord;
    if (record && record->colorServicesProc) {
        const LM_sint16 result = askHost(record->colorServicesProc, prompt, in, out);
        if (result != filterServiceMissing)
            return result == 0;
    }
    GrafPtr saved;
    GetPort(&saved);
    const Boolean chosen = GetColor(where, prompt, &in, &out);
    SetPort(saved);
    return chosen;
}

void LM_PickAmbientColor(DialogPtr dialog, LM_sint16 item, LM_globals* g) {
    if (pick(kAmbientPrompt, g->ambientColor, g))
        LM_ItemForceDraw(dialog, item);
}

void LM_PickLightColor(DialogPtr dialog, LM_sint16 item, LM_globals* g) {
    LM_light_UI& light = g->lights[g->currentLight];
    if (!pick(kLightPrompt, light.color, g))
        return;
    g->LightChanged(light);
    LM_ItemForceDraw(dialog, item);
    RgnHandle figure = NewRgn();
    if (!figure)
        return;
    GrafPtr saved;
    GetPort(&saved);
    SetPort(dialog);
    OpenRgn();
    LM_light_figure(light).DrawActive(g, true);
    CloseRgn(figure);
    SetPort(saved);
    UpdateDialog(dialog, figure);
    DisposeRgn(figure);
}
