// The one image type of the tests: 8-bit samples, interleaved, `channels` a pixel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct Pixels {
    int width = 0;
    int height = 0;
    int channels = 3;
    std::vector<std::uint8_t> samples;

    // An RGB image of zeros.
    static Pixels Rgb(int width, int height) {
        return {width, height, 3, std::vector<std::uint8_t>(std::size_t(width) * std::size_t(height) * 3)};
    }
    std::size_t Offset(int x, int y) const {
        return (std::size_t(y) * std::size_t(width) + std::size_t(x)) * std::size_t(channels);
    }
    std::uint8_t At(int x, int y, int c) const { return samples[Offset(x, y) + std::size_t(c)]; }
    std::uint8_t* at(int x, int y) { return samples.data() + Offset(x, y); }
    const std::uint8_t* at(int x, int y) const { return samples.data() + Offset(x, y); }
};
