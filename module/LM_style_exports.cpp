// The style functions a host calls across the plug-in boundary (declared in relight_filter.h): the
// module's own reader, writer and style folder behind a C interface.
#include "LM_globals.h"
#include "LM_mac_exchange.h"
#include "LM_mac_items.h"
#include "LM_mac_stream.h"
#include "LM_mac_styles.h"
#include "LM_parameters.h"
#include "relight_filter.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <sstream>

#define LM_EXPORT extern "C" __attribute__((visibility("default")))

struct PluginStyle {
    LM_globals* settings = nullptr;

    PluginStyle() = default;
    PluginStyle(const PluginStyle&) = delete;
    PluginStyle& operator=(const PluginStyle&) = delete;
    ~PluginStyle() { LM_globals::Delete(settings); }
};

namespace {

// Positions are read into a preview whose half width is 100 pixels: they come out in hundredths.
constexpr LM_sint16 kShownUnit = 100;

const char* typeName(LM_sint32 type) {
    switch (type) {
    case lightTypeOmni:
        return "omni";
    case lightTypeDirectional:
        return "directional";
    default:
        return "spot";
    }
}

std::ostream& operator<<(std::ostream& out, const LM_color48& c) {
    return out << c.red << ' ' << c.green << ' ' << c.blue;
}

void describeLight(std::ostream& out, int number, const LM_light_UI& light) {
    out << "  " << number << ": " << typeName(light.type) << " at " << light.position.x << ','
        << light.position.y << ", colour " << light.color << ", intensity " << light.intensity << ", spread "
        << light.spread << ", " << (light.isOn ? "on" : "off") << '\n';
}

std::string describe(const LM_globals& g) {
    std::ostringstream out;
    out << "surface: gloss " << g.gloss << ", material " << g.material << ", exposure " << g.exposure << '\n';
    out << "ambient: colour " << g.ambientColor << ", brightness " << g.ambientBrightness << '\n';
    out << "texture: ";
    if (g.BumpChannel() == 0)
        out << "none\n";
    else
        out << "channel " << g.BumpChannel() << ", height " << g.BumpAmplitude() << ", "
            << (g.WhiteIsHigh() ? "white is high" : "black is high") << '\n';
    out << "lights: " << g.lightCount << " (current " << g.currentLight + 1
        << "; positions in hundredths of half the preview's width, from its centre)\n";
    for (int i = 0; i < g.lightCount; ++i)
        describeLight(out, i + 1, g.lights[i]);
    return out.str();
}

// Reads style bytes into `g`; a refused style leaves it unchanged.
int readStyle(const void* bytes, std::size_t size, LM_globals& g) {
    LM_memory_istream in(bytes, size);
    return !in.Open() ? styleNotAStyle : !g.Read(in) ? styleDamaged : styleNoErr;
}

LM_globals* globalsIn(std::intptr_t word) {
    return reinterpret_cast<LM_globals*>(word);
}

} // namespace

LM_EXPORT int PluginStyleRead(const void* bytes, std::size_t size, PluginStyle** style) {
    *style = nullptr;
    PluginStyle* read = new (std::nothrow) PluginStyle;
    if (!read || !(read->settings = LM_globals::New())) {
        delete read;
        return filterMemFull;
    }
    read->settings->previewOrigin = {0, 0};
    read->settings->previewCenter = {kShownUnit, kShownUnit};
    const int result = readStyle(bytes, size, *read->settings);
    if (result == styleNoErr)
        *style = read;
    else
        delete read;
    return result;
}

LM_EXPORT void PluginStyleFree(PluginStyle* style) {
    delete style;
}

LM_EXPORT std::size_t PluginStyleDescribe(const PluginStyle* style, char* text, std::size_t size) {
    const std::string described = describe(*style->settings);
    if (size > 0) {
        const std::size_t n = std::min(size - 1, described.size());
        std::memcpy(text, described.data(), n);
        text[n] = 0;
    }
    return described.size();
}

LM_EXPORT int PluginStyleFolder(std::int16_t* volume, long* directory) {
    return LM_GetStyleFolder(*volume, *directory) ? 1 : 0;
}

LM_EXPORT void PluginStyleDefault(Str255 name) {
    LM_UndeletableStyleName(name);
}

LM_EXPORT void PluginStyleCut(Str255 name) {
    LM_CutStyleName(name);
}

LM_EXPORT int PluginStyleOpens(Str255 name) {
    LM_style_istream probe;
    return probe.Open(name) ? 1 : 0;
}

LM_EXPORT int PluginStyleIndexed(std::int16_t index, Str255 name) {
    return index >= 0 && LM_style_istream::IndexedInfo(index, name) ? 1 : 0;
}

LM_EXPORT int PluginStyleIsLocked(Str255 name) {
    return LM_style_ostream::IsLocked(name) ? 1 : 0;
}

LM_EXPORT int PluginStyleErase(Str255 name) {
    return LM_style_ostream::Erase(name) ? 1 : 0;
}

LM_EXPORT std::size_t PluginSettingsWrite(const std::intptr_t* globalsSlot, void* bytes, std::size_t size) {
    const LM_globals* g = globalsIn(*globalsSlot);
    LM_memory_ostream out;
    if (!g || !g->UseCurrentSettings() || !out.Open() || !g->Write(out))
        return 0;
    if (size > 0)
        std::memcpy(bytes, out.Bytes().data(), std::min(size, out.Bytes().size()));
    return out.Bytes().size();
}

LM_EXPORT int PluginSettingsRead(std::intptr_t* globalsSlot, const void* bytes, std::size_t size,
                                 ConstStr255Param style) {
    LM_globals* g = globalsIn(*globalsSlot);
    if (!g || !g->dialog || g->showDialog != 1)
        return filterBadSelector;
    if (const int result = readStyle(bytes, size, *g))
        return result;
    // The popup is filled again as the dialog opens; the entry's number stays valid until then.
    LM_RebuildStylePopup(g->dialog, kItemStyle);
    g->SetStyleIndex(style[0] ? LM_PopupItemIndex(g->dialog, kItemStyle, style) : 0);
    g->SetUseCurrentSettings(true);
    return styleNoErr;
}
