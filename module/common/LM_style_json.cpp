#include "LM_style_json.h"

#include "LM_globals.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <initializer_list>
#include <stdexcept>

namespace {

using nlohmann::json;
using written = nlohmann::ordered_json; // keeps the fields in the order given

struct BadField : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::string join(const std::string& path, const std::string& key) {
    return path.empty() ? key : path + "." + key;
}

[[noreturn]] void bad(const std::string& field, const std::string& wanted) {
    throw BadField(field + ": " + wanted);
}

// `object` (at `path`) is an object holding no field but `known`.
void checkFields(const json& object, const std::string& path, std::initializer_list<const char*> known) {
    if (!object.is_object())
        bad(path, "must be an object { ... }");
    for (const auto& item : object.items())
        if (std::none_of(known.begin(), known.end(), [&](const char* k) { return item.key() == k; }))
            bad(join(path, item.key()), "unknown field");
}

const json* field(const json& object, const char* key) {
    const auto it = object.find(key);
    return it == object.end() ? nullptr : &*it;
}

long integer(const json& value, const std::string& path, long low, long high) {
    const std::string wanted =
        "must be a whole number from " + std::to_string(low) + " to " + std::to_string(high);
    // Past the signed range a number is kept unsigned only.
    if (value.is_number_unsigned() && value.get<std::uint64_t>() > std::uint64_t(high))
        bad(path, wanted);
    if (!value.is_number_integer() || value.get<std::int64_t>() < low || value.get<std::int64_t>() > high)
        bad(path, wanted);
    return long(value.get<std::int64_t>());
}

LM_sint16 number(const json& object, const std::string& path, const char* key, long low, long high,
                 long fallback) {
    const json* value = field(object, key);
    return LM_sint16(value ? integer(*value, join(path, key), low, high) : fallback);
}

bool flag(const json& object, const std::string& path, const char* key, bool fallback) {
    const json* value = field(object, key);
    if (value && !value->is_boolean())
        bad(join(path, key), "must be true or false");
    return value ? value->get<bool>() : fallback;
}

// An array of `size` whole numbers from `low` to `high`, or `fallback` when the field is missing.
std::vector<long> numbers(const json& object, const std::string& path, const char* key, std::size_t size,
                          long low, long high, std::vector<long> fallback) {
    const json* value = field(object, key);
    if (!value)
        return fallback;
    if (!value->is_array() || value->size() != size)
        bad(join(path, key), "must be a list of " + std::to_string(size) + " whole numbers");
    std::vector<long> out;
    for (std::size_t i = 0; i < size; ++i)
        out.push_back(integer((*value)[i], join(path, key) + "[" + std::to_string(i) + "]", low, high));
    return out;
}

LM_color48 colour(const json& object, const std::string& path) {
    const std::vector<long> c = numbers(object, path, "color", 3, 0, 65535, {65535, 65535, 65535});
    return {LM_uint16(c[0]), LM_uint16(c[1]), LM_uint16(c[2])};
}

LM_vectori2 vector(const json& object, const std::string& path, const char* key, std::vector<long> fallback) {
    const std::vector<long> v = numbers(object, path, key, 2, -32768, 32767, std::move(fallback));
    return {LM_sint16(v[0]), LM_sint16(v[1])};
}

LM_sint32 lightType(const json& light, const std::string& path) {
    const json* type = field(light, "type");
    for (const LM_sint32 t : {lightTypeOmni, lightTypeDirectional, lightTypeSpot})
        if (type && type->is_string() && type->get<std::string>() == LM_LightTypeName(t))
            return t;
    bad(join(path, "type"), "must be \"omni\", \"directional\" or \"spot\"");
}

void readLight(const json& j, const std::string& path, LM_light_UI& light, LM_vectori2 anchor) {
    checkFields(j, path,
                {"type", "position", "major", "minor", "radius", "color", "intensity", "spread", "on"});
    light.anchor = anchor;
    light.type = lightType(j, path);
    light.color = colour(j, path);
    light.intensity = number(j, path, "intensity", -127, 128, 66);
    light.spread = number(j, path, "spread", 0, 255, 128);
    light.isOn = flag(j, path, "on", true);
    light.position = vector(j, path, "position", {0, 0});
    light.majorAxis = vector(j, path, "major", {30, 30});
    light.minorAxis = vector(j, path, "minor", {-15, 15});
    light.radius = number(j, path, "radius", 0, 32767, 30);
    // A minor axis given is kept, as a style file keeps it, so that written JSON reads back the same.
    if (!field(j, "minor"))
        light.Validate();
}

const json& object(const json& j, const char* key) {
    static const json empty = json::object();
    const json* value = field(j, key);
    return value ? *value : empty;
}

void readStyle(const json& j, LM_globals& g, std::string& name) {
    checkFields(j, "", {"name", "unit", "surface", "ambient", "texture", "current", "lights"});
    const json* named = field(j, "name");
    if (named && !named->is_string())
        bad("name", "must be a text \"...\"");
    name = named ? named->get<std::string>() : "";
    const LM_sint16 unit = number(j, "", "unit", 1, 32767, LM_STYLE_JSON_UNIT);
    g.previewOrigin = {0, 0};
    g.previewCenter = {unit, unit};
    g.Default();
    const json& surface = object(j, "surface");
    checkFields(surface, "surface", {"gloss", "material", "exposure"});
    g.gloss = number(surface, "surface", "gloss", 0, 255, g.gloss);
    g.material = number(surface, "surface", "material", 0, 256, g.material);
    g.exposure = number(surface, "surface", "exposure", 0, 255, g.exposure);
    const json& ambient = object(j, "ambient");
    checkFields(ambient, "ambient", {"color", "brightness"});
    g.ambientColor = colour(ambient, "ambient");
    g.ambientBrightness = number(ambient, "ambient", "brightness", -127, 128, g.ambientBrightness);
    const json& texture = object(j, "texture");
    checkFields(texture, "texture", {"channel", "height", "whiteIsHigh"});
    g.SetBumpChannel(number(texture, "texture", "channel", 0, 32767, 0));
    g.SetBumpAmplitude(number(texture, "texture", "height", 0, 255, g.BumpAmplitude()));
    g.SetWhiteIsHigh(flag(texture, "texture", "whiteIsHigh", true));
    const json* lights = field(j, "lights");
    if (!lights || !lights->is_array() || lights->empty() || lights->size() > LM_MAX_LIGHTS)
        bad("lights", "must be a list of 1 to 16 lights");
    g.lightCount = LM_uint16(lights->size());
    for (std::size_t i = 0; i < lights->size(); ++i)
        readLight((*lights)[i], "lights[" + std::to_string(i) + "]", g.lights[i], g.previewCenter);
    g.currentLight = LM_uint16(number(j, "", "current", 0, g.lightCount - 1, 0));
}

// One value on one line: objects as { "key": value, ... }, lists as [a, b].
std::string compact(const written& j) {
    std::string out;
    if (j.is_object()) {
        for (const auto& item : j.items())
            out += std::string(out.empty() ? "{ " : ", ") + written(item.key()).dump() + ": " +
                   compact(item.value());
        return out + " }";
    }
    if (j.is_array()) {
        for (const written& value : j)
            out += (out.empty() ? "[" : ", ") + compact(value);
        return out + "]";
    }
    return j.dump(-1, ' ', false, written::error_handler_t::replace);
}

written pair(LM_vectori2 v) {
    return written::array({v.x, v.y});
}

written lightJSON(const LM_light_UI& l) {
    return written{{"type", LM_LightTypeName(l.type)},
                   {"position", pair(l.position)},
                   {"major", pair(l.majorAxis)},
                   {"minor", pair(l.minorAxis)},
                   {"radius", l.radius},
                   {"color", written::array({l.color.red, l.color.green, l.color.blue})},
                   {"intensity", l.intensity},
                   {"spread", l.spread},
                   {"on", l.isOn != 0}};
}

} // namespace

const char* LM_LightTypeName(LM_sint32 type) {
    return type == lightTypeOmni ? "omni" : type == lightTypeDirectional ? "directional" : "spot";
}

bool LM_ReadStyleJSON(const std::string& text, LM_globals& g, std::string& name, std::string& why) {
    try {
        readStyle(json::parse(text), g, name);
        return true;
    } catch (const json::parse_error& e) {
        const std::string what = e.what();
        why = what.substr(what.find("] ") == std::string::npos ? 0 : what.find("] ") + 2);
    } catch (const std::exception& e) {
        why = e.what();
    }
    return false;
}

std::string LM_WriteStyleJSON(const LM_globals& g, const std::string& name) {
    const std::pair<const char*, written> fields[] = {
        {"name", name},
        {"unit", g.previewCenter.x - g.previewOrigin.x},
        {"surface", {{"gloss", g.gloss}, {"material", g.material}, {"exposure", g.exposure}}},
        {"ambient",
         {{"color", {g.ambientColor.red, g.ambientColor.green, g.ambientColor.blue}},
          {"brightness", g.ambientBrightness}}},
        {"texture",
         {{"channel", g.BumpChannel()},
          {"height", g.BumpAmplitude()},
          {"whiteIsHigh", g.WhiteIsHigh() != 0}}},
        {"current", g.currentLight},
    };
    std::string out = "{\n";
    for (const auto& [key, value] : fields)
        out += "  \"" + std::string(key) + "\": " + compact(value) + ",\n";
    out += "  \"lights\": [\n";
    for (int i = 0; i < g.lightCount; ++i)
        out += "    " + compact(lightJSON(g.lights[i])) + (i + 1 < g.lightCount ? ",\n" : "\n");
    return out + "  ]\n}\n";
}
