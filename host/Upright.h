// Photographs stored turned or mirrored, with an EXIF orientation saying how to show them, are
// read upright.
#pragma once

#include "ImageIO.h"

#include <memory>

// `stored` as its orientation (2 to 8) shows it. Its first row needs the last stored one, so the
// whole stored image is read at the first call: one more copy of the image while it is turned.
std::unique_ptr<RowReader> ReadUpright(std::unique_ptr<RowReader> stored, int orientation);
