// WebP files: lossy and lossless, with or without alpha, in; out lossy at a chosen quality, or
// lossless at quality 100. The colour profile, EXIF and XMP in and out (ICCP, EXIF and XMP chunks).
// WebP is coded whole: the image is decoded at once when read, one more copy of it, and encoded at
// the end when written, its rows kept meanwhile in the encoder's own form.
#pragma once

#include "FileHandle.h"
#include "ImageIO.h"

#include <cstdio>
#include <memory>
#include <string>

// Reads `file` (`path` in errors), whose first two bytes have been read and were "RI"; throws
// HostError for an unreadable file, one that is not a usable WebP, or one over `maxPixels`.
std::unique_ptr<RowReader> OpenWebp(std::unique_ptr<FileHandle> file, const std::string& path,
                                    long long maxPixels);

// Starts a WebP of RGB or RGBA, as `layout` says (never 16-bit), with `metadata` on `out`, lossy at
// `quality` below 100, else lossless; `name` names the file in errors.
std::unique_ptr<RowWriter> StartWebp(std::FILE* out, RowLayout layout, const ImageMetadata& metadata,
                                     int width, int height, int quality, const std::string& name);
