#include "StyleSummary.h"

#include "HostError.h"
#include "LM_globals.h"
#include "LM_parameters.h"
#include "LM_stream.h"

#include <memory>
#include <sstream>

namespace {

struct GlobalsDeleter {
    void operator()(LM_globals* globals) const { LM_globals::Delete(globals); }
};
using Globals = std::unique_ptr<LM_globals, GlobalsDeleter>;

// Positions are read into a preview whose half width is 100 pixels: they come out in hundredths.
constexpr LM_sint16 kShownUnit = 100;

Globals load(const std::string& bytes, const std::string& file) {
    Globals globals(LM_globals::New());
    if (!globals)
        throw HostError(ExitStatus::filterFailed, "out of memory reading a style", file);
    globals->previewOrigin = {0, 0};
    globals->previewCenter = {kShownUnit, kShownUnit};
    LM_memory_istream in(bytes.data(), bytes.size());
    if (!in.Open())
        BadInput("not a style file (its first six bytes are not a style's)", file);
    if (!globals->Read(in))
        BadInput("damaged style file (wrong format, no light, or cut short)", file);
    return globals;
}

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

} // namespace

void CheckStyle(const std::string& bytes, const std::string& file) {
    load(bytes, file);
}

std::string DescribeStyle(const std::string& name, const std::string& bytes, const std::string& file) {
    const Globals g = load(bytes, file);
    std::ostringstream out;
    out << name << '\n';
    out << "surface: gloss " << g->gloss << ", material " << g->material << ", exposure " << g->exposure
        << '\n';
    out << "ambient: colour " << g->ambientColor << ", brightness " << g->ambientBrightness << '\n';
    out << "texture: ";
    if (g->BumpChannel() == 0)
        out << "none\n";
    else
        out << "channel " << g->BumpChannel() << ", height " << g->BumpAmplitude() << ", "
            << (g->WhiteIsHigh() ? "white is high" : "black is high") << '\n';
    out << "lights: " << g->lightCount << " (current " << g->currentLight + 1
        << "; positions in hundredths of half the preview's width, from its centre)\n";
    for (int i = 0; i < g->lightCount; ++i)
        describeLight(out, i + 1, g->lights[i]);
    return out.str();
}
