// PNG files: 8- and 16-bit grey, grey with alpha, RGB, RGBA and palette in; 8-bit RGB out.
#pragma once

#include "Image.h"

#include <cstdio>
#include <string>

// Reads `path`; 16-bit samples are scaled to 8 bits with rounding, palettes and transparency
// expanded. Throws HostError for an unreadable file or one that is not a usable PNG.
Image ReadPng(const std::string& path);

// Writes interleaved 8-bit RGB to `out`; `name` names the file in errors.
void WritePng(std::FILE* out, int width, int height, const std::uint8_t* rgb, const std::string& name);
