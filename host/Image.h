// An image as read from a file: 8-bit planes of one size, each named.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Plane {
    std::string name;
    std::vector<std::uint8_t> bytes; // width x height, row after row
};

struct Image {
    int width = 0;
    int height = 0;
    bool grey = false;         // planes are Grey[, Alpha]; otherwise Red, Green, Blue[, Alpha]
    std::vector<Plane> planes; // colour planes first, then the alpha plane when the file has one

    bool HasAlpha() const { return planes.size() == (grey ? 2u : 4u); }
};

// The filter's rectangles are 16-bit: larger images cannot be addressed.
constexpr int kMaxImageSide = 32767;

// Refuses zero-sized images and those over kMaxImageSide on a side, naming `file`.
void CheckImageSize(long width, long height, const std::string& file);

// Splits interleaved 8-bit samples into one plane per name, in the names' order.
void SplitInterleaved(Image& image, const std::uint8_t* samples, const std::vector<std::string>& names);

// Red, green and blue planes of `pixels` samples interleaved, as the writers want them.
std::vector<std::uint8_t> InterleavedRGB(const std::vector<std::vector<std::uint8_t>>& rgb,
                                         std::size_t pixels);
