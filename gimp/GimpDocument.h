// A GIMP layer as the host's document: its colour and alpha, the image's saved selections and its
// other layers as texture channels, the selection as the filtered area and the mask.
#pragma once

#include "Document.h"

#include <libgimp/gimp.h>

// Reads `drawable`, a layer of `image`. Throws HostError (bad input) for what the filter cannot
// work on, saying how to convert it.
Document ReadDrawable(gint32 image, gint32 drawable);

// Writes the document's result into `drawable` as one undo step. The result is already blended
// by the selection, so GIMP's own blending is kept out of it; the selection ends as it was.
void WriteDrawable(const Document& document, gint32 image, gint32 drawable);
