// Compiles a style written as readable JSON into a style file, with the module's own writer, so the
// shipped styles are byte for byte what the dialog would save.
//
//   relight-stylec STYLE.json OUTPUT-FOLDER   writes OUTPUT-FOLDER/<name>
#include "LM_globals.h"
#include "LM_stream.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

using nlohmann::json;

struct Deleter {
    void operator()(LM_globals* g) const { LM_globals::Delete(g); }
};

LM_sint32 lightType(const std::string& name) {
    if (name == "omni")
        return lightTypeOmni;
    if (name == "directional")
        return lightTypeDirectional;
    if (name == "spot")
        return lightTypeSpot;
    throw std::runtime_error("unknown light type \"" + name + "\" (omni, directional or spot)");
}

LM_color48 colour(const json& c) {
    return {c.at(0).get<LM_uint16>(), c.at(1).get<LM_uint16>(), c.at(2).get<LM_uint16>()};
}

LM_vectori2 vector(const json& v) {
    return {v.at(0).get<LM_sint16>(), v.at(1).get<LM_sint16>()};
}

void readLight(const json& j, LM_light_UI& light, LM_vectori2 anchor) {
    light.anchor = anchor;
    light.type = lightType(j.at("type").get<std::string>());
    light.color = colour(j.value("color", json::array({65535, 65535, 65535})));
    light.intensity = j.value("intensity", LM_sint16(66));
    light.spread = j.value("spread", LM_sint16(128));
    light.isOn = j.value("on", true);
    light.position = vector(j.value("position", json::array({0, 0})));
    light.majorAxis = vector(j.value("major", json::array({30, 30})));
    light.minorAxis = vector(j.value("minor", json::array({-15, 15})));
    light.radius = j.value("radius", LM_sint16(30));
    light.Validate();
}

// The settings a style describes, in world units of `unit` dialog pixels.
void readStyle(const json& j, LM_globals& g) {
    const LM_sint16 unit = j.value("unit", LM_sint16(180));
    g.previewOrigin = {0, 0};
    g.previewCenter = {unit, unit};
    g.Default();
    const json& surface = j.value("surface", json::object());
    g.material = surface.value("material", g.material);
    g.gloss = surface.value("gloss", g.gloss);
    g.exposure = surface.value("exposure", g.exposure);
    const json& ambient = j.value("ambient", json::object());
    g.ambientColor = colour(ambient.value("color", json::array({65535, 65535, 65535})));
    g.ambientBrightness = ambient.value("brightness", g.ambientBrightness);
    const json& texture = j.value("texture", json::object());
    g.SetBumpChannel(texture.value("channel", LM_sint16(0)));
    g.SetBumpAmplitude(texture.value("height", g.BumpAmplitude()));
    g.SetWhiteIsHigh(texture.value("whiteIsHigh", true));
    const json& lights = j.at("lights");
    if (lights.empty() || lights.size() > LM_MAX_LIGHTS)
        throw std::runtime_error("a style holds 1 to 16 lights");
    g.lightCount = LM_uint16(lights.size());
    for (std::size_t i = 0; i < lights.size(); ++i)
        readLight(lights[i], g.lights[i], g.previewCenter);
    g.currentLight = j.value("current", LM_uint16(0)) < g.lightCount ? j.value("current", LM_uint16(0)) : 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: relight-stylec STYLE.json OUTPUT-FOLDER\n");
        return 2;
    }
    try {
        std::ifstream in(argv[1]);
        if (!in)
            throw std::runtime_error("cannot read the file");
        const json j = json::parse(in);
        const std::string name = j.at("name").get<std::string>();
        if (name.empty() || name.size() > 31 || name.find('/') != std::string::npos)
            throw std::runtime_error("a style name has 1 to 31 bytes and no slash");
        std::unique_ptr<LM_globals, Deleter> g(LM_globals::New());
        readStyle(j, *g);
        LM_memory_ostream out;
        if (!out.Open() || !g->Write(out))
            throw std::runtime_error("the style could not be written");
        const std::string path = std::string(argv[2]) + "/" + name;
        std::ofstream file(path, std::ios::binary);
        file.write(reinterpret_cast<const char*>(out.Bytes().data()), std::streamsize(out.Bytes().size()));
        if (!file.flush())
            throw std::runtime_error("cannot write " + path);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "relight-stylec: %s: %s\n", argv[1], e.what());
        return 2;
    }
    return 0;
}
