// Image files by extension: .png, .jpg and .jpeg (letter case ignored).
#pragma once

#include "Image.h"

#include <cstdio>
#include <string>

enum class ImageFormat { png, jpeg };

// The format `path`'s extension names; throws HostError for any other extension.
ImageFormat FormatOf(const std::string& path);

// Reads an image file in the format its extension names.
Image ReadImage(const std::string& path);

// Writes interleaved 8-bit RGB in `format`; `quality` applies to JPEG; `name` names the file in errors.
void WriteImage(std::FILE* out, ImageFormat format, int width, int height, const std::uint8_t* rgb,
                int quality, const std::string& name);
