#include "Image.h"

#include "HostError.h"

void CheckImageSize(long width, long height, const std::string& file) {
    if (width <= 0 || height <= 0)
        BadInput("image has no pixels", file);
    if (width > kMaxImageSide || height > kMaxImageSide)
        BadInput("image is larger than " + std::to_string(kMaxImageSide) + " pixels on a side (" +
                     std::to_string(width) + " x " + std::to_string(height) + ")",
                 file);
}

void SplitInterleaved(Image& image, const std::uint8_t* samples, const std::vector<std::string>& names) {
    const std::size_t pixels = std::size_t(image.width) * std::size_t(image.height);
    const std::size_t count = names.size();
    image.planes.clear();
    for (std::size_t p = 0; p < count; ++p) {
        Plane plane{names[p], std::vector<std::uint8_t>(pixels)};
        for (std::size_t i = 0; i < pixels; ++i)
            plane.bytes[i] = samples[i * count + p];
        image.planes.push_back(std::move(plane));
    }
}

std::vector<std::uint8_t> InterleavedRGB(const std::vector<std::vector<std::uint8_t>>& rgb,
                                         std::size_t pixels) {
    std::vector<std::uint8_t> out(pixels * 3);
    for (std::size_t i = 0; i < pixels; ++i)
        for (std::size_t c = 0; c < 3; ++c)
            out[i * 3 + c] = rgb[c][i];
    return out;
}
