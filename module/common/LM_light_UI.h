// A light as the user edits it (dialog-pixel geometry measured from an anchor) and its conversion
// into shading form. A value: its preview caches are kept by LM_globals, its figure and drags on
// the preview by the dialog (LM_light_figure).
#pragma once

#include "LM_parameters.h"
#include "LM_types.h"
#include "Types.h"

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

    LM_light_UI();

    // Fills `out` in world units of halfPreviewWidth dialog pixels; preview tables have 256 entries.
    // The light knows no caches: the references stay 0 (LM_globals::ConvertToParameters sets them).
    void ConvertToRealLight(LM_light* out, LM_uint16 halfPreviewWidth, LM_bool preview) const;
    // Makes a spotlight's minor axis perpendicular to its major axis and no longer than it.
    void Validate();

  private:
    void ConvertSpotLight(LM_light* out, float halfPreviewWidth, LM_bool preview) const;
    // Returns false when the spread gives pow a negative base: no table can be built.
    bool BuildSpreadTable(LM_light* out, LM_bool preview) const;
    void ConvertDarkLight(LM_light* out, LM_bool preview) const;
};
