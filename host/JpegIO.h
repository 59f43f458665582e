// JPEG files: grey and colour (YCbCr or RGB) in, 8-bit RGB out at a chosen quality.
#pragma once

#include "Image.h"

#include <cstdio>
#include <string>

// Reads `path`; throws HostError for an unreadable file or one that is not a usable JPEG.
Image ReadJpeg(const std::string& path);

// Writes interleaved 8-bit RGB to `out` at `quality` (1 to 100); `name` names the file in errors.
void WriteJpeg(std::FILE* out, int width, int height, const std::uint8_t* rgb, int quality,
               const std::string& name);
