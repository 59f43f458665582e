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

// An image of that size and kind with its planes named and zeroed.
Image EmptyImage(int width, int height, bool grey, bool alpha);

// Where one sample of each pixel of an interleaved row goes.
struct RowTarget {
    std::uint8_t* plane; // width x height
    int sample;          // index within the pixel
};

// Copies row `y` of interleaved samples, `samplesPerPixel` to a pixel, into each target plane.
void SplitRow(const std::uint8_t* samples, int samplesPerPixel, int width, int y,
              const std::vector<RowTarget>& targets);

// Row `y` of three planes (red, green, blue) interleaved into `out`.
void InterleaveRow(const std::uint8_t* const rgb[3], int width, int y, std::uint8_t* out);
