// A light as the user edits it (dialog-pixel geometry measured from an anchor), its conversion
// into shading form, and its own two preview caches.
#pragma once

#include "LM_parameters.h"
#include "LM_types.h"

class LM_globals;

class LM_light_UI {
  public:
    LM_sint32 type;
    LM_vectori2 position;
    LM_vectori2 anchor;
    LM_vectori2 majorAxis;
    LM_vectori2 minorAxis;
    LM_sint16 radius;
    LM_color48 color;
    LM_sint16 intensity;
    LM_sint16 spread;
    LM_bool isOn;
    LM_globals* owner;
    LM_color96* diffuseCache;
    LM_bool diffuseCacheHot;
    LM_color96* specularCache;
    LM_bool specularCacheHot;

    LM_light_UI();

    // Fills `out` in world units of halfPreviewWidth dialog pixels; preview tables have 256 entries.
    void ConvertToRealLight(LM_light* out, LM_uint16 halfPreviewWidth, LM_bool preview) const;
    // Makes a spotlight's minor axis perpendicular to its major axis and no longer than it.
    void Validate();

    void AllocateCaches(unsigned long n);
    void FreeCaches();
    void InvalidateCaches();
    void DetachCaches();

    LM_bool UseDiffuseCache() const { return diffuseCache != nullptr; }
    LM_color96* DiffuseCache() const { return diffuseCache; }
    LM_bool DiffuseCacheHot() const { return diffuseCacheHot; }
    void DiffuseCacheHot(const LM_bool hot) {
        if (diffuseCache)
            diffuseCacheHot = hot;
    }
    LM_bool UseSpecularCache() const { return specularCache != nullptr; }
    LM_color96* SpecularCache() const { return specularCache; }
    LM_bool SpecularCacheHot() const { return specularCacheHot; }
    void SpecularCacheHot(const LM_bool hot) {
        if (specularCache)
            specularCacheHot = hot;
    }

  private:
    void _ConvertSpotLight(LM_light* out, float halfPreviewWidth, LM_bool preview) const;
    // Returns false when the spread gives pow a negative base: no table can be built.
    bool _BuildSpreadTable(LM_light* out, LM_bool preview) const;
    void _ConvertDarkLight(LM_light* out, LM_bool preview) const;
    LM_uint32 _CacheReference() const;
};
