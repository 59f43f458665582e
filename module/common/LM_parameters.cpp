#include "LM_parameters.h"

#include <cmath>

float LM_SpreadScale(int entries) {
    return static_cast<float>((static_cast<double>(entries - 1) * 2.0) / (2.0 - std::sqrt(2.0)));
}

float LM_SpreadBase() {
    return static_cast<float>(std::sqrt(2.0) / 2.0);
}

int LM_SpreadLastEntry(float spreadScale) {
    return spreadScale == LM_SpreadScale(LM_SPREAD_ENTRIES_PREVIEW) ? LM_SPREAD_ENTRIES_PREVIEW - 1
                                                                    : LM_SPREAD_ENTRIES_FINAL - 1;
}

void LM_InitParameterBlock(foo* block) {
    block->signature = LM_PARAMETER_SIGNATURE;
    block->version = LM_PARAMETER_VERSION;
    block->reserved8 = 0;
}

namespace {

bool finite(const LM_befloat* v, int count) {
    for (int i = 0; i < count; ++i)
        if (!std::isfinite(v[i].get()))
            return false;
    return true;
}

const char* checkLight(const LM_light& light) {
    const LM_sint32 type = light.type;
    if (type != lightTypeOmni && type != lightTypeDirectional && type != lightTypeSpot)
        return "a light has an unknown type";
    if (light.diffuseCache > LM_MAX_LIGHTS || light.specularCache > LM_MAX_LIGHTS)
        return "a light refers to a cache that cannot exist";
    if (type == lightTypeDirectional)
        return finite(light.direction, 3) ? nullptr : "a directional light has no valid direction";
    if (!finite(light.origin, 3))
        return "a light has no valid position";
    if (type == lightTypeOmni)
        return nullptr;
    const float scale = light.spreadScale;
    if (scale != LM_SpreadScale(LM_SPREAD_ENTRIES_PREVIEW) &&
        scale != LM_SpreadScale(LM_SPREAD_ENTRIES_FINAL))
        return "a spotlight's spread table has an unknown scale";
    if (light.spreadBase.get() != LM_SpreadBase())
        return "a spotlight's spread table has an unknown base";
    if (!finite(light.direction, 3) || !finite(&light.cutoff, 1))
        return "a spotlight has no valid cone";
    if (!finite(light.spreadTable, LM_SpreadLastEntry(scale) + 1))
        return "a spotlight's spread table holds values that are not numbers";
    return nullptr;
}

} // namespace

const char* LM_TextureChannelFault(LM_sint32 channel) {
    return channel < 0 ? "the settings name a negative texture channel" : nullptr;
}

bool LM_CheckParameterBlock(const void* bytes, std::size_t size, const char** why) {
    const char* reason = nullptr;
    const foo* block = static_cast<const foo*>(bytes);
    if (!bytes)
        reason = "there is no parameter block";
    else if (size != sizeof(foo))
        reason = "the parameter block has the wrong size";
    else if (block->signature != LM_PARAMETER_SIGNATURE)
        reason = "the data is not a lighting parameter block";
    else if (block->version != LM_PARAMETER_VERSION)
        reason = "the parameter block has an unknown version";
    else if (block->lightCount > LM_MAX_LIGHTS)
        reason = "the parameter block holds more than 16 lights";
    else if (!std::isfinite(block->worldWidth.get()))
        reason = "the parameter block has no valid world width";
    else if (const char* channel = LM_TextureChannelFault(block->textureChannel))
        reason = channel;
    for (int i = 0; !reason && i < block->lightCount; ++i)
        reason = checkLight(block->lights[i]);
    if (why)
        *why = reason;
    return reason == nullptr;
}
