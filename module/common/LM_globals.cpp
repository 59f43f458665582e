#include "LM_globals.h"

#include "LM_memory.h"

#include <algorithm>
#include <cstring>
#include <new>

LM_globals::LM_globals()
    : showDialog(false), previewGathered(false), previewEnabled(true), dialogTemplate(nullptr),
      dialog(nullptr), useCurrentSettings(false) {
    DefaultSurface();
    lightCount = 0;
    bumpChannel = 0;
    GenerateEllipseCoords();
}

void LM_globals::DefaultSurface() {
    ambientColor = {65535, 65535, 65535};
    material = 0;
    gloss = 128;
    exposure = 128;
    ambientBrightness = 16;
    bumpAmplitude = 128;
    whiteIsHigh = true;
}

LM_globals* LM_globals::New() {
    void* block = LM_NewPtr(sizeof(LM_globals));
    if (!block)
        return nullptr;
    // Members the constructor leaves unset start at zero, so every run is reproducible.
    std::memset(block, 0, sizeof(LM_globals));
    return new (block) LM_globals();
}

void LM_globals::Delete(LM_globals* globals) {
    if (!globals)
        return;
    globals->~LM_globals();
    LM_DisposePtr(globals);
}

void LM_globals::GenerateEllipseCoords() {
    const float step = (LM_PI * 2.0) / 40.0;
    float angle = 0.0f;
    for (int i = 0; i < LM_ELLIPSE_POINTS; ++i) {
        ellipseX[i] = std::cos(double(angle));
        ellipseY[i] = std::sin(double(angle));
        angle = angle + step;
    }
}

void LM_globals::Default() {
    DefaultSurface();
    lightCount = 0;
    LM_light_UI* light = AppendLight();
    light->color = {65535, 65535, 0};
    light->intensity = 127;
    light->spread = 128;
    light->isOn = true;
    light->type = lightTypeSpot;
    light->position = {0, 0};
    light->majorAxis = {30, 30};
    light->minorAxis = {-15, 15};
    light->radius = 30;
    LightChanged(*light);
    GenerateEllipseCoords();
}

void LM_globals::SetSettings(const LM_settings& settings) {
    static_cast<LM_settings&>(*this) = settings;
    InvalidateCaches();
}

void LM_globals::ConvertToParameters(foo* block, LM_bool preview) {
    block->gloss = gloss;
    block->material = material;
    block->exposure = exposure;
    const LM_uint16 w = LM_uint16(previewCenter.x - previewOrigin.x);
    block->worldWidth = float(previewSize.x) / float(w);
    block->textureHeightScale = whiteIsHigh ? 2 * bumpAmplitude : -(2 * bumpAmplitude);
    block->textureChannel = bumpChannel;
    const LM_sint32 ambient[3] = {ambientColor.red, ambientColor.green, ambientColor.blue};
    for (int c = 0; c < 3; ++c)
        block->ambient[c] = ambientBrightness * ambient[c] / 64;
    LM_uint16 converted = 0;
    for (int i = 0; i < lightCount && i < LM_MAX_LIGHTS; ++i) {
        if (lights[i].isOn != 1)
            continue;
        LM_light& out = block->lights[converted];
        lights[i].ConvertToRealLight(&out, w, preview);
        // The block refers to a light's caches by its slot, counted from 1.
        const LM_light_caches& caches = lightCaches[i];
        out.diffuseCache = caches.diffuse.Used() ? LM_uint32(i + 1) : 0;
        out.diffuseCacheHot = caches.diffuse.Hot();
        out.specularCache = caches.specular.Used() ? LM_uint32(i + 1) : 0;
        out.specularCacheHot = caches.specular.Hot();
        ++converted;
    }
    block->lightCount = converted;
}

LM_sint16 LM_globals::LM_TranslateWorldUnits(LM_sint16 value, LM_sint16 from, LM_sint16 to) {
    if (from == 0)
        return 0;
    const LM_sint32 p = LM_sint32(value) * to;
    const LM_sint32 half = from / 2;
    return static_cast<LM_sint16>(value >= 0 ? (p + half) / from : (p - half) / from);
}

void LM_globals::SetBumpAmplitude(LM_sint16 amplitude) {
    if (amplitude == bumpAmplitude)
        return;
    InvalidateCaches();
    bumpAmplitude = amplitude;
}

void LM_globals::SetWhiteIsHigh(LM_bool high) {
    if (high == whiteIsHigh)
        return;
    InvalidateCaches();
    whiteIsHigh = high;
}

void LM_globals::SetBumpChannel(LM_sint16 channel) {
    if (channel == bumpChannel)
        return;
    // With and without a texture the caches have different layouts.
    if (channel == 0 || bumpChannel == 0)
        FreeCaches();
    else
        InvalidateCaches();
    bumpChannel = channel;
}

LM_light_UI* LM_globals::AppendLight() {
    if (lightCount >= LM_MAX_LIGHTS)
        return nullptr;
    const LM_uint16 i = lightCount;
    lightCount = i + 1;
    currentLight = i;
    lights[i].anchor = previewCenter;
    diffuseSumCache.Invalidate();
    specularSumCache.Invalidate();
    return &lights[i];
}

void LM_globals::CreateNewLight(LM_sint16 x, LM_sint16 y) {
    LM_light_UI* light = AppendLight();
    if (!light)
        return;
    light->color = {65535, 65535, 65535};
    light->intensity = 66;
    light->spread = 128;
    light->isOn = true;
    light->type = lightTypeSpot;
    light->position = {LM_sint16(x - previewCenter.x), LM_sint16(y - previewCenter.y)};
    light->majorAxis = {30, 30};
    light->minorAxis = {-15, 15};
    light->radius = 30;
    LightChanged(*light);
    GenerateEllipseCoords();
}

void LM_globals::CopyNewLight(LM_sint16 x, LM_sint16 y) {
    const LM_light_UI source = lights[currentLight];
    LM_light_UI* light = AppendLight();
    if (!light)
        return;
    light->color = source.color;
    light->intensity = source.intensity;
    light->spread = source.spread;
    light->isOn = true;
    light->type = source.type;
    light->position = {LM_sint16(x - previewCenter.x), LM_sint16(y - previewCenter.y)};
    light->majorAxis = source.majorAxis;
    light->minorAxis = source.minorAxis;
    light->radius = source.radius;
    LightChanged(*light);
}

LM_bool LM_globals::DeleteCurrentLight() {
    if (lightCount <= 1)
        return false;
    --lightCount;
    lightCaches[currentLight].Free();
    // The freed caches move up to the slot that falls out of use.
    for (int i = currentLight; i < lightCount; ++i) {
        lights[i] = lights[i + 1];
        lightCaches[i].Swap(lightCaches[i + 1]);
    }
    currentLight = 0;
    diffuseSumCache.Invalidate();
    specularSumCache.Invalidate();
    return true;
}

void LM_globals::AllocateCaches(const unsigned long rows, const unsigned long columns, LM_bool texture) {
    const unsigned long pixels = rows * columns;
    const unsigned long n = texture ? 4 * pixels : pixels;
    if (texture) {
        normCache.Allocate(4 * pixels);
        weightCache.Allocate(5 * pixels);
        baseCache.Allocate(3 * 4 * pixels);
        sampleCountCache.Allocate(rows);
    }
    posCache.Allocate(n);
    diffuseSumCache.Allocate(n);
    specularSumCache.Allocate(n);
    for (int i = 0; i < lightCount && i < LM_MAX_LIGHTS; ++i) {
        if (lights[i].isOn != 1)
            continue;
        lightCaches[i].diffuse.Allocate(n);
        lightCaches[i].specular.Allocate(n);
    }
}

void LM_globals::FreeCaches() {
    for (LM_light_caches& caches : lightCaches)
        caches.Free();
    posCache.Free();
    normCache.Free();
    weightCache.Free();
    baseCache.Free();
    sampleCountCache.Free();
    diffuseSumCache.Free();
    specularSumCache.Free();
}

void LM_globals::InvalidateCaches() {
    for (LM_light_caches& caches : lightCaches)
        caches.Invalidate();
    posCache.Invalidate();
    normCache.Invalidate();
    weightCache.Invalidate();
    baseCache.Invalidate();
    sampleCountCache.Invalidate();
    diffuseSumCache.Invalidate();
    specularSumCache.Invalidate();
}

LM_light_caches& LM_globals::CachesOf(const LM_light_UI& light) {
    return lightCaches[&light - lights];
}

void LM_globals::LightChanged(const LM_light_UI& light) {
    CachesOf(light).Invalidate();
    diffuseSumCache.Invalidate();
    specularSumCache.Invalidate();
}

void LM_globals::SetLightCachesHot(bool hot) {
    for (int i = 0; i < lightCount && i < LM_MAX_LIGHTS; ++i) {
        lightCaches[i].diffuse.SetHot(hot);
        lightCaches[i].specular.SetHot(hot);
    }
}

void LM_globals::ResolveLightCursors(const foo* block) {
    const int count = std::min<int>(block->lightCount, LM_MAX_LIGHTS);
    for (int i = 0; i < count; ++i) {
        const LM_light& light = block->lights[i];
        const LM_uint32 d = light.diffuseCache;
        const LM_uint32 s = light.specularCache;
        LM_light_cursor& cursor = lightCursors[i];
        cursor.diffuse = d >= 1 && d <= LM_MAX_LIGHTS ? lightCaches[d - 1].diffuse.Data() : nullptr;
        cursor.specular = s >= 1 && s <= LM_MAX_LIGHTS ? lightCaches[s - 1].specular.Data() : nullptr;
        cursor.hot = light.diffuseCacheHot == 1 && light.specularCacheHot == 1;
    }
}

LM_bool LM_globals::ReserveThreads(int count) {
    StopThreads();
    if (count <= 1)
        return true;
    helperRows.Allocate(static_cast<unsigned long>(count - 1));
    if (!helperRows.Used())
        return false;
    reservedThreads = count;
    return true;
}

void LM_globals::StartThreads() {
    if (reservedThreads > 1 && !threads)
        threads.reset(new (std::nothrow) LM_thread_pool(reservedThreads));
}

void LM_globals::StopThreads() {
    threads.reset();
    helperRows.Free();
    reservedThreads = 1;
}

LM_row_work LM_globals::RowWork(int thread) {
    if (thread == 0)
        return {rowPositions, rowNormals, rowWeights, rowBaseColors, rowShaded};
    LM_row_buffers& b = helperRows.Data()[thread - 1];
    return {b.positions, b.normals, b.weights, b.baseColors, b.shaded};
}

namespace {

// Light types as style files code them.
LM_uint16 styleTypeCode(LM_sint32 type) {
    return type == lightTypeDirectional ? 1 : type == lightTypeOmni ? 2 : 3;
}

LM_sint32 lightTypeOfCode(LM_uint16 code) {
    return code == 1 ? lightTypeDirectional : code == 2 ? lightTypeOmni : lightTypeSpot;
}

struct StyleLight {
    LM_uint16 red, green, blue, isOn, type;
    LM_sint16 intensity, spread, radius;
    LM_vectori2 position, majorAxis, minorAxis;
};

// Reads one 28-byte light record, rescaling its lengths from the stored unit to the current one.
bool readLight(LM_istream& in, StyleLight& l, LM_sint16 storedUnit, LM_sint16 unit) {
    LM_sint16* lengths[] = {&l.position.x,  &l.position.y,  &l.majorAxis.x, &l.majorAxis.y,
                            &l.minorAxis.x, &l.minorAxis.y, &l.radius};
    if (!(in.ReadU16(l.red) && in.ReadU16(l.green) && in.ReadU16(l.blue) && in.ReadS16(l.intensity) &&
          in.ReadS16(l.spread) && in.ReadU16(l.isOn) && in.ReadU16(l.type)))
        return false;
    for (LM_sint16* v : lengths) {
        if (!in.ReadS16(*v))
            return false;
        *v = LM_globals::LM_TranslateWorldUnits(*v, storedUnit, unit);
    }
    return true;
}

} // namespace

LM_bool LM_globals::Write(LM_ostream& out) const {
    const LM_sint16 unit = LM_sint16(previewCenter.x - previewOrigin.x);
    if (!(out.WriteU32(styleFormatTag) && out.WriteS16(bumpChannel) && out.WriteU16(whiteIsHigh ? 1 : 0) &&
          out.WriteS16(bumpAmplitude) && out.WriteU16(ambientColor.red) && out.WriteU16(ambientColor.green) &&
          out.WriteU16(ambientColor.blue) && out.WriteS16(material) && out.WriteS16(gloss) &&
          out.WriteS16(exposure) && out.WriteS16(ambientBrightness) && out.WriteU16(lightCount) &&
          out.WriteU16(currentLight) && out.WriteS16(unit)))
        return false;
    for (int i = 0; i < lightCount && i < LM_MAX_LIGHTS; ++i) {
        const LM_light_UI& l = lights[i];
        if (!(out.WriteU16(l.color.red) && out.WriteU16(l.color.green) && out.WriteU16(l.color.blue) &&
              out.WriteS16(l.intensity) && out.WriteS16(l.spread) && out.WriteU16(l.isOn == 1 ? 1 : 0) &&
              out.WriteU16(styleTypeCode(l.type)) && out.WriteS16(l.position.x) &&
              out.WriteS16(l.position.y) && out.WriteS16(l.majorAxis.x) && out.WriteS16(l.majorAxis.y) &&
              out.WriteS16(l.minorAxis.x) && out.WriteS16(l.minorAxis.y) && out.WriteS16(l.radius)))
            return false;
    }
    return true;
}

LM_bool LM_globals::Read(LM_istream& in) {
    LM_uint32 tag = 0;
    if (!in.ReadU32(tag) || tag != styleFormatTag)
        return false;
    LM_sint16 channel, amplitude, surface[3], brightness, storedUnit;
    LM_uint16 white, ambient[3], count, current;
    if (!(in.ReadS16(channel) && in.ReadU16(white) && in.ReadS16(amplitude) && in.ReadU16(ambient[0]) &&
          in.ReadU16(ambient[1]) && in.ReadU16(ambient[2]) && in.ReadS16(surface[0]) &&
          in.ReadS16(surface[1]) && in.ReadS16(surface[2]) && in.ReadS16(brightness) && in.ReadU16(count) &&
          in.ReadU16(current) && in.ReadS16(storedUnit)))
        return false;
    count = std::min<LM_uint16>(count, LM_MAX_LIGHTS);
    const LM_sint16 unit = LM_sint16(previewCenter.x - previewOrigin.x);
    LM_uint16 read = 0;
    for (StyleLight l; read < count && readLight(in, l, storedUnit, unit); ++read) {
        LM_light_UI& light = lights[read];
        light.anchor = previewCenter;
        light.color = {l.red, l.green, l.blue};
        light.intensity = l.intensity;
        light.spread = l.spread;
        light.isOn = l.isOn == 1;
        light.type = lightTypeOfCode(l.type);
        light.position = l.position;
        light.majorAxis = l.majorAxis;
        light.minorAxis = l.minorAxis;
        light.radius = l.radius;
    }
    if (read == 0)
        return false;
    lightCount = read;
    currentLight = current < read ? current : 0;
    ambientColor = {ambient[0], ambient[1], ambient[2]};
    material = surface[0];
    gloss = surface[1];
    exposure = surface[2];
    ambientBrightness = brightness;
    bumpChannel = channel;
    whiteIsHigh = white != 0;
    bumpAmplitude = amplitude;
    FreeCaches();
    return true;
}
