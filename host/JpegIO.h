// JPEG files: grey and colour (YCbCr or RGB) in, 8-bit RGB out at a chosen quality; the colour
// profile (over as many blocks as it needs), EXIF and XMP in and out.
#pragma once

#include "FileHandle.h"
#include "ImageIO.h"

#include <cstdio>
#include <memory>
#include <string>

// Reads `file` (`path` in errors), whose first two bytes have been read and were a JPEG start;
// throws HostError for an unreadable file, one that is not a usable JPEG, or one
// over `maxPixels`.
std::unique_ptr<RowReader> OpenJpeg(std::unique_ptr<FileHandle> file, const std::string& path,
                                    long long maxPixels);

// The largest EXIF and XMP that one JPEG block holds after the name that tells what it is.
constexpr std::size_t kJpegExifBytes = 65533 - 6;
constexpr std::size_t kJpegXmpBytes = 65533 - 29;

// Starts an RGB JPEG on `out` at `quality` (1 to 100) with `metadata`, which must fit (see
// MetadataFor); `name` names the file in errors.
std::unique_ptr<RowWriter> StartJpeg(std::FILE* out, const ImageMetadata& metadata, int width, int height,
                                     int quality, const std::string& name);
