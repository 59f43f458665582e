// TIFF files: 8- and 16-bit grey and RGB, with or without alpha, in strips of any compression
// libtiff decodes (none, LZW and Deflate among them), and the other kinds of up to 8 bits libtiff converts to
// RGB (tiles, planes, white-is-zero, YCbCr, palettes) in; RGB or RGBA of 8 or 16 bits, Deflate
// compressed, out. The colour profile and XMP in and out; the orientation tag is obeyed.
#pragma once

#include "FileHandle.h"
#include "ImageIO.h"

#include <cstdio>
#include <memory>
#include <string>

// Reads `file` (`path` in errors), whose first two bytes have been read and were `order` twice, a
// TIFF byte order mark. Throws HostError for an unreadable file, one that is not a usable TIFF, or one over
// `maxPixels`.
std::unique_ptr<RowReader> OpenTiff(std::unique_ptr<FileHandle> file, char order, const std::string& path,
                                    long long maxPixels);

// Starts an RGB or RGBA TIFF of 8 or 16 bits, as `layout` says, with `metadata` on `out`, which
// must be a file (TIFF is written out of order); `name` names the file in errors.
std::unique_ptr<RowWriter> StartTiff(std::FILE* out, RowLayout layout, const ImageMetadata& metadata,
                                     int width, int height, const std::string& name);
