#include "Image.h"

#include "HostError.h"

void CheckImageSize(long width, long height, long long maxPixels, const std::string& file) {
    if (width <= 0 || height <= 0)
        BadInput("image has no pixels", file);
    if (width > kMaxImageSide || height > kMaxImageSide)
        BadInput("image is larger than " + std::to_string(kMaxImageSide) + " pixels on a side (" +
                     std::to_string(width) + " x " + std::to_string(height) + ")",
                 file);
    if (width * height > maxPixels)
        BadInput("image has " + std::to_string(width * height) + " pixels, more than the limit of " +
                     std::to_string(maxPixels) + " (see --max-pixels)",
                 file);
}

Image EmptyImage(int width, int height, bool grey, bool alpha) {
    std::vector<std::string> names =
        grey ? std::vector<std::string>{"Grey"} : std::vector<std::string>{"Red", "Green", "Blue"};
    if (alpha)
        names.push_back("Alpha");
    Image image{width, height, grey, {}};
    for (std::string& name : names)
        image.planes.push_back({std::move(name), PlaneBytes(std::size_t(width) * std::size_t(height))});
    return image;
}

void SplitRow(const std::uint8_t* samples, int samplesPerPixel, int width, int y,
              const std::vector<RowTarget>& targets) {
    const std::size_t step = std::size_t(samplesPerPixel);
    for (const RowTarget& target : targets) {
        std::uint8_t* out = target.plane + std::size_t(y) * std::size_t(width);
        const std::uint8_t* in = samples + target.sample;
        for (int x = 0; x < width; ++x, in += step)
            out[x] = *in;
    }
}

void InterleaveRow(const std::uint8_t* const planes[4], RowLayout layout, int width, int y,
                   std::uint8_t* out) {
    const std::size_t start = std::size_t(y) * std::size_t(width);
    const int count = layout.alpha ? 4 : 3;
    // A value v widened to 16 bits is v x 257: the same byte twice.
    const int repeat = layout.sixteen ? 2 : 1;
    for (int x = 0; x < width; ++x)
        for (int p = 0; p < count; ++p)
            for (int r = 0; r < repeat; ++r)
                *out++ = planes[p][start + std::size_t(x)];
}
