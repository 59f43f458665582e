// The style functions a host calls across the plug-in boundary (declared in relight_filter.h): the
// module's own reader, writer and style folder behind a C interface.
#include "LM_globals.h"
#include "LM_mac_exchange.h"
#include "LM_mac_items.h"
#include "LM_mac_stream.h"
#include "LM_mac_styles.h"
#include "LM_parameters.h"
#include "LM_style_check.h"
#include "LM_style_describe.h"
#include "LM_style_json.h"
#include "relight_filter.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#define LM_EXPORT extern "C" __attribute__((visibility("default")))

// A style as a style file holds it; its settings are read from these bytes whenever they are asked for.
struct PluginStyle {
    std::vector<unsigned char> bytes;
};

namespace {

// Positions are read into a preview whose half width is 100 pixels: they come out in hundredths.
constexpr LM_sint16 kShownUnit = 100;

struct GlobalsDeleter {
    void operator()(LM_globals* g) const { LM_globals::Delete(g); }
};
using GlobalsPtr = std::unique_ptr<LM_globals, GlobalsDeleter>;

// Reads style bytes into `g`; a refused style leaves it unchanged.
int readStyle(const void* bytes, std::size_t size, LM_globals& g) {
    if (const int result = LM_CheckStyle(bytes, size, nullptr))
        return result;
    LM_memory_istream in(bytes, size);
    return in.Open() && g.Read(in) ? styleNoErr : styleDamaged;
}

// New settings in a preview whose half width is `unit` (lengths are measured in it).
GlobalsPtr newSettings(LM_sint16 unit) {
    GlobalsPtr g(LM_globals::New());
    if (g) {
        g->previewOrigin = {0, 0};
        g->previewCenter = {unit, unit};
    }
    return g;
}

// The settings of a style read before, in a preview of half width `unit`; null when out of memory.
GlobalsPtr settingsOf(const PluginStyle& style, LM_sint16 unit) {
    GlobalsPtr g = newSettings(unit);
    if (g && readStyle(style.bytes.data(), style.bytes.size(), *g) != styleNoErr)
        g.reset();
    return g;
}

// The unit a style's lengths are stored in: the field after the format tag and twelve 16-bit
// fields of the body.
LM_sint16 storedUnit(const std::vector<unsigned char>& bytes) {
    LM_memory_istream in(bytes.data(), bytes.size());
    LM_uint32 tag = 0;
    LM_uint16 skipped = 0;
    LM_sint16 unit = 0;
    bool read = in.Open() && in.ReadU32(tag);
    for (int i = 0; read && i < 12; ++i)
        read = in.ReadU16(skipped);
    return read && in.ReadS16(unit) && unit > 0 ? unit : LM_STYLE_JSON_UNIT;
}

// Copies what fits of `whole` to `out` (`size` bytes, a NUL after text when `text`); its length.
std::size_t handOut(const std::string& whole, void* out, std::size_t size, bool text) {
    const std::size_t room = text && size > 0 ? size - 1 : size;
    const std::size_t n = std::min(room, whole.size());
    if (n > 0)
        std::memcpy(out, whole.data(), n);
    if (text && size > 0)
        static_cast<char*>(out)[n] = 0;
    return whole.size();
}

PluginStyle* newStyle(const unsigned char* bytes, std::size_t size) {
    try {
        return new PluginStyle{std::vector<unsigned char>(bytes, bytes + size)};
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

LM_globals* globalsIn(std::intptr_t word) {
    return reinterpret_cast<LM_globals*>(word);
}

} // namespace

LM_EXPORT int PluginStyleRead(const void* bytes, std::size_t size, PluginStyle** style) {
    *style = nullptr;
    const GlobalsPtr g = newSettings(kShownUnit);
    if (!g)
        return filterMemFull;
    if (const int result = readStyle(bytes, size, *g))
        return result;
    *style = newStyle(static_cast<const unsigned char*>(bytes), size);
    return *style ? int(styleNoErr) : int(filterMemFull);
}

LM_EXPORT void PluginStyleFree(PluginStyle* style) {
    delete style;
}

LM_EXPORT std::size_t PluginStyleDescribe(const PluginStyle* style, char* text, std::size_t size) {
    const GlobalsPtr g = settingsOf(*style, kShownUnit);
    return handOut(g ? LM_DescribeStyle(*g) : "", text, size, true);
}

LM_EXPORT std::size_t PluginStyleBytes(const PluginStyle* style, void* bytes, std::size_t size) {
    return handOut(std::string(style->bytes.begin(), style->bytes.end()), bytes, size, false);
}

LM_EXPORT std::size_t PluginStyleWriteJSON(const PluginStyle* style, ConstStr255Param name, char* text,
                                           std::size_t size) {
    const GlobalsPtr g = settingsOf(*style, storedUnit(style->bytes));
    const std::string named(reinterpret_cast<const char*>(name + 1), name[0]);
    return handOut(g ? LM_WriteStyleJSON(*g, named) : "", text, size, true);
}

LM_EXPORT int PluginStyleReadJSON(const char* text, std::size_t size, PluginStyle** style, Str255 name,
                                  char* why, std::size_t whySize) {
    *style = nullptr;
    const GlobalsPtr g = newSettings(LM_STYLE_JSON_UNIT);
    if (!g)
        return filterMemFull;
    std::string named, reason;
    LM_memory_ostream out;
    if (!LM_ReadStyleJSON(std::string(text, size), *g, named, reason)) {
        handOut(reason, why, whySize, true);
        return styleDamaged;
    }
    if (!out.Open() || !g->Write(out))
        return filterMemFull;
    const char* fault = nullptr;
    if (LM_CheckStyle(out.Bytes().data(), out.Bytes().size(), &fault) != styleNoErr) {
        handOut(fault, why, whySize, true);
        return styleDamaged;
    }
    name[0] = static_cast<unsigned char>(std::min<std::size_t>(named.size(), 255));
    std::memcpy(name + 1, named.data(), name[0]);
    *style = newStyle(out.Bytes().data(), out.Bytes().size());
    return *style ? int(styleNoErr) : int(filterMemFull);
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

LM_EXPORT int PluginStyleCheck(const void* bytes, std::size_t size, char* why, std::size_t whySize) {
    const char* fault = nullptr;
    const int result = LM_CheckStyle(bytes, size, &fault);
    handOut(fault ? fault : "", why, whySize, true);
    return result;
}

LM_EXPORT int PluginStyleOpens(Str255 name) {
    return LM_IsStyleFile(name) ? 1 : 0;
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
    return handOut(std::string(out.Bytes().begin(), out.Bytes().end()), bytes, size, false);
}

LM_EXPORT int PluginSettingsRead(std::intptr_t* globalsSlot, const void* bytes, std::size_t size,
                                 ConstStr255Param style) {
    LM_globals* g = globalsIn(*globalsSlot);
    if (!g || !g->dialog || g->showDialog != 1)
        return filterBadSelector;
    if (const int result = readStyle(bytes, size, *g))
        return result;
    // The popup is filled again as the dialog opens; the entry's number stays valid until then.
    if (LM_RebuildStylePopup(g->dialog, kItemStyle) != 0)
        return filterMemFull;
    g->SetStyleIndex(style[0] ? LM_PopupItemIndex(g->dialog, kItemStyle, style) : 0);
    g->SetUseCurrentSettings(true);
    return styleNoErr;
}

LM_EXPORT std::int16_t PluginSettingsStyleEntry(const std::intptr_t* globalsSlot) {
    const LM_globals* g = globalsIn(*globalsSlot);
    return g && g->UseCurrentSettings() ? g->StyleIndex() : 0;
}
