// What a photograph carries besides its pixels: its colour profile, its camera data (EXIF) and its
// description (XMP), passed from the file read to the file written where that format holds them.
#pragma once

#include <cstddef>
#include <string>

// The most a file's profile, EXIF or XMP (each, compressed or not) may take in memory: a real one
// is far smaller, and a lying length must cost nothing.
constexpr std::size_t kMaxMetadataBytes = 16 << 20;

struct ImageMetadata {
    std::string icc;     // an ICC colour profile
    std::string exif;    // a readable TIFF structure: byte order mark, then the directories
    std::string xmp;     // an XMP packet
    bool unkept = false; // the file holds more (text, other blocks, unreadable EXIF), which no output carries

    // Whether this, written, holds every part of `read`.
    bool HoldsAllOf(const ImageMetadata& read) const {
        return !read.unkept && icc.empty() == read.icc.empty() && exif.empty() == read.exif.empty() &&
               xmp.empty() == read.xmp.empty();
    }
};

// Whether `exif` starts with a TIFF header whose first directory lies inside it.
bool ExifReadable(const std::string& exif);

// Drops `metadata`'s EXIF when it is no TIFF structure, which can neither be carried over nor tell
// the orientation, and counts it as unkept.
void DropUnreadableExif(ImageMetadata& metadata);

// How the stored pixels are turned to be upright: 1 (as stored) to 8, from the orientation tag of
// `exif`'s first directory; 1 when it has none or it is out of range.
int ExifOrientation(const std::string& exif);

// `exif` with its orientation tag, if any, saying the pixels are upright; after a quarter turn (5
// to 8) also with its pixel dimensions exchanged and its sideways thumbnail unlinked.
std::string ExifUpright(std::string exif);

// Whether `icc` is a colour profile for RGB pixels, which is what relight writes.
bool RgbProfile(const std::string& icc);
