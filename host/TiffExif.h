// EXIF between the block other formats carry (a TIFF structure of its own) and a TIFF file, whose
// first directory is the image's own and links to its Exif and GPS directories.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// Text tags that a TIFF's first directory and EXIF's share, with their values (no terminating NUL).
using ExifText = std::vector<std::pair<std::uint16_t, std::string>>;

// The tags of ExifText: description, make, model, date, artist and copyright.
const std::vector<std::uint16_t>& ExifTextTags();

// `size` bytes of a file from `at`; fewer when the file ends sooner or cannot be read.
using ByteReader = std::function<std::string(std::uint64_t at, std::size_t size)>;

// What a TIFF's first directory says of its EXIF.
struct TiffExifSource {
    bool little = true; // the file's byte order
    ExifText text;
    int orientation = 0;                 // 0: the file has no orientation tag
    std::uint64_t exifAt = 0, gpsAt = 0; // where its directories lie; 0: none
};

// The EXIF block of `source`, its directories' values copied from `read` and placed after them.
// Entries that cannot be carried (maker notes and links, whose offsets would break, unknown
// types, values past the file's end or over the metadata limit) are left out and set `dropped`.
std::string ExifFromTiff(const TiffExifSource& source, const ByteReader& read, bool& dropped);

// What a TIFF written in `exif`'s byte order takes of it: its text tags, and its Exif and GPS
// directories laid out to lie at `base` in the file, with where each went (0: none).
struct TiffExifTarget {
    bool little = true;
    ExifText text;
    std::string directories;
    std::uint32_t exifAt = 0, gpsAt = 0;
};
TiffExifTarget ExifForTiff(const std::string& exif, std::uint32_t base);
