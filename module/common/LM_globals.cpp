#include "LM_globals.h"

#include "LM_dispatch.h"

#include <cstring>
#include <new>

namespace {

template <typename T> void disposeCache(T*& cache, LM_bool& hot) {
    LM_DisposePtr(cache);
    cache = nullptr;
    hot = false;
}

template <typename T> void allocateCache(T*& cache, LM_bool& hot, unsigned long elements, unsigned long bytesEach) {
    if (cache)
        return;
    cache = static_cast<T*>(LM_NewPtr(long(elements * bytesEach)));
    hot = false;
}

} // namespace

LM_globals::LM_globals()
    : ambientColor{65535, 65535, 65535}, material(0), gloss(128), exposure(128), ambientBrightness(16),
      bumpAmplitude(128), whiteIsHigh(true), showDialog(false), previewGathered(false), previewEnabled(true),
      lightCount(0), dialogTemplate(nullptr), dialog(nullptr), bumpChannel(0), useCurrentSettings(false) {
    for (LM_light_UI& light : lights)
        light.owner = this;
    GenerateEllipseCoords();
}

LM_globals::~LM_globals() { FreeCaches(); }

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
    ambientColor = {65535, 65535, 65535};
    material = 0;
    gloss = 128;
    exposure = 128;
    ambientBrightness = 16;
    bumpAmplitude = 128;
    whiteIsHigh = true;
    lightCount = 0;
    LM_light_UI* light = _AppendLight();
    light->color = {65535, 65535, 0};
    light->intensity = 127;
    light->spread = 128;
    light->isOn = true;
    light->type = lightTypeSpot;
    light->position = {0, 0};
    light->majorAxis = {30, 30};
    light->minorAxis = {-15, 15};
    light->radius = 30;
    light->InvalidateCaches();
    GenerateEllipseCoords();
}

LM_sint32 LM_globals::CopySettingsFrom(const LM_globals& source) {
    ambientColor = source.ambientColor;
    material = source.material;
    gloss = source.gloss;
    exposure = source.exposure;
    ambientBrightness = source.ambientBrightness;
    bumpAmplitude = source.BumpAmplitude();
    whiteIsHigh = source.WhiteIsHigh();
    showDialog = source.showDialog;
    previewGathered = source.previewGathered;
    previewStep = source.previewStep;
    previewOffset = source.previewOffset;
    previewSize = source.previewSize;
    tileSize = source.tileSize;
    lightCount = source.lightCount;
    currentLight = source.currentLight;
    previewCenter = source.previewCenter;
    previewOrigin = source.previewOrigin;
    previewEnabled = source.previewEnabled;
    std::memcpy(ellipseX, source.ellipseX, sizeof ellipseX);
    std::memcpy(ellipseY, source.ellipseY, sizeof ellipseY);
    for (int i = 0; i < lightCount && i < LM_MAX_LIGHTS; ++i) {
        lights[i] = source.lights[i];
        lights[i].owner = this;
    }
    bumpChannel = source.BumpChannel();
    useCurrentSettings = source.UseCurrentSettings();
    styleIndex = source.StyleIndex();
    GenerateEllipseCoords();
    dialogTemplate = nullptr;
    dialog = nullptr;
    return 0;
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
        lights[i].ConvertToRealLight(&block->lights[converted], w, preview);
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

LM_light_UI* LM_globals::_AppendLight() {
    if (lightCount >= LM_MAX_LIGHTS)
        return nullptr;
    const LM_uint16 i = lightCount;
    lightCount = i + 1;
    currentLight = i;
    lights[i].anchor = previewCenter;
    DiffuseSumCacheHot(false);
    SpecularSumCacheHot(false);
    return &lights[i];
}

void LM_globals::CreateNewLight(LM_sint16 x, LM_sint16 y) {
    LM_light_UI* light = _AppendLight();
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
    light->InvalidateCaches();
    GenerateEllipseCoords();
}

void LM_globals::CopyNewLight(LM_sint16 x, LM_sint16 y) {
    const LM_light_UI source = lights[currentLight];
    LM_light_UI* light = _AppendLight();
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
    light->InvalidateCaches();
}

LM_bool LM_globals::DeleteCurrentLight() {
    if (lightCount <= 1)
        return false;
    --lightCount;
    lights[currentLight].FreeCaches();
    for (int i = currentLight; i < lightCount; ++i)
        lights[i] = lights[i + 1];
    lights[lightCount].DetachCaches();
    currentLight = 0;
    DiffuseSumCacheHot(false);
    SpecularSumCacheHot(false);
    return true;
}

void LM_globals::AllocateCaches(const unsigned long rows, const unsigned long columns, LM_bool texture) {
    const unsigned long pixels = rows * columns;
    const unsigned long n = texture ? 4 * pixels : pixels;
    if (texture) {
        allocateCache(normCache, normCacheHot, 4 * pixels, sizeof(LM_vector3f));
        allocateCache(weightCache, weightCacheHot, 5 * pixels, sizeof(LM_sint32));
        allocateCache(baseCache, baseCacheHot, 4 * pixels, 3);
        allocateCache(sampleCountCache, sampleCountCacheHot, rows, sizeof(LM_sint32));
    }
    allocateCache(posCache, posCacheHot, n, sizeof(LM_vector2f));
    allocateCache(diffuseSumCache, diffuseSumCacheHot, n, sizeof(LM_color96));
    allocateCache(specularSumCache, specularSumCacheHot, n, sizeof(LM_color96));
    for (int i = 0; i < lightCount && i < LM_MAX_LIGHTS; ++i)
        lights[i].AllocateCaches(n);
}

void LM_globals::FreeCaches() {
    for (LM_light_UI& light : lights)
        light.FreeCaches();
    disposeCache(posCache, posCacheHot);
    disposeCache(normCache, normCacheHot);
    disposeCache(weightCache, weightCacheHot);
    disposeCache(baseCache, baseCacheHot);
    disposeCache(sampleCountCache, sampleCountCacheHot);
    disposeCache(diffuseSumCache, diffuseSumCacheHot);
    disposeCache(specularSumCache, specularSumCacheHot);
}

void LM_globals::InvalidateCaches() {
    for (LM_light_UI& light : lights)
        light.InvalidateCaches();
    posCacheHot = normCacheHot = weightCacheHot = baseCacheHot = false;
    sampleCountCacheHot = diffuseSumCacheHot = specularSumCacheHot = false;
}

void LM_globals::ResolveLightCursors(const foo* block) {
    const int count = std::min<int>(block->lightCount, LM_MAX_LIGHTS);
    for (int i = 0; i < count; ++i) {
        const LM_light& light = block->lights[i];
        const LM_uint32 d = light.diffuseCache;
        const LM_uint32 s = light.specularCache;
        LM_light_cursor& cursor = lightCursors[i];
        cursor.diffuse = d >= 1 && d <= LM_MAX_LIGHTS ? lights[d - 1].diffuseCache : nullptr;
        cursor.specular = s >= 1 && s <= LM_MAX_LIGHTS ? lights[s - 1].specularCache : nullptr;
        cursor.hot = light.diffuseCacheHot == 1 && light.specularCacheHot == 1;
    }
}
