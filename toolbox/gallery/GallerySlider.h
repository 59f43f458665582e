// A small custom control for the gallery: a titled horizontal slider whose definition tracks its
// own indicator, served as CDEF 300.
#pragma once

#include "Controls.h"

constexpr std::int16_t kGallerySliderDef = 300;

long GallerySliderDefinition(std::int16_t variation, ControlHandle control, std::int16_t message, long param);
