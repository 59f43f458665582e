// PNG files: 8- and 16-bit grey, grey with alpha, RGB, RGBA and palette in; RGB or RGBA of 8 or 16
// bits out; the colour profile (iCCP), EXIF (eXIf) and XMP (iTXt) in and out (EXIF and XMP after
// the pixels only from a file that can seek).
#pragma once

#include "FileHandle.h"
#include "ImageIO.h"

#include <cstdio>
#include <memory>
#include <string>

// Reads `file` (`path` in errors), whose first two bytes have been read and were those of a PNG
// signature; its rows come with 16-bit samples scaled to 8 bits with rounding, palettes and
// transparency expanded. Throws HostError for an unreadable file, one that is not a usable PNG, or one over
// `maxPixels`.
std::unique_ptr<RowReader> OpenPng(std::unique_ptr<FileHandle> file, const std::string& path,
                                   long long maxPixels);

// Starts an RGB or RGBA PNG of 8 or 16 bits, as `layout` says, with `metadata` on `out`; `name`
// names the file in errors.
std::unique_ptr<RowWriter> StartPng(std::FILE* out, RowLayout layout, const ImageMetadata& metadata,
                                    int width, int height, const std::string& name);
