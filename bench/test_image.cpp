// Writes the images the whole-process benchmarks use:
//   relight-test-image photo IN.png WIDTH HEIGHT OUT.png   IN scaled (bilinear) to WIDTH x HEIGHT
//   relight-test-image synthetic WIDTH HEIGHT OUT.png      smooth colour waves with fine grain
// A photograph scaled up is smoother than a camera's own pixels, the synthetic image noisier than
// most: PNG sizes and times of real photographs lie between the two.
#include "AtomicOutput.h"
#include "HostError.h"
#include "ImageIO.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Sampler = std::uint8_t (*)(const Image&, int x, int y, int c, int width, int height);

std::uint8_t scaled(const Image& in, int x, int y, int c, int width, int height) {
    const double fx = std::max(0.0, (x + 0.5) * in.width / width - 0.5);
    const double fy = std::max(0.0, (y + 0.5) * in.height / height - 0.5);
    const int x0 = std::min(int(fx), in.width - 1), y0 = std::min(int(fy), in.height - 1);
    const int x1 = std::min(x0 + 1, in.width - 1), y1 = std::min(y0 + 1, in.height - 1);
    const double ax = fx - x0, ay = fy - y0;
    const PlaneBytes& p = in.planes[std::size_t(in.grey ? 0 : c)].bytes;
    auto at = [&](int px, int py) {
        return double(p[std::size_t(py) * std::size_t(in.width) + std::size_t(px)]);
    };
    const double top = at(x0, y0) * (1 - ax) + at(x1, y0) * ax;
    const double bottom = at(x0, y1) * (1 - ax) + at(x1, y1) * ax;
    return std::uint8_t(std::lround(top * (1 - ay) + bottom * ay));
}

std::uint8_t synthetic(const Image&, int x, int y, int c, int, int) {
    std::uint32_t h =
        std::uint32_t(x) * 73856093u ^ std::uint32_t(y) * 19349663u ^ std::uint32_t(c) * 83492791u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    const double wave = 128 + 90 * std::sin(x / (180.0 + 40 * c)) * std::cos(y / (130.0 + 30 * c));
    return std::uint8_t(std::clamp(wave + int(h % 17) - 8, 0.0, 255.0));
}

void write(const Image& in, Sampler sample, int width, int height, const std::string& path) {
    std::vector<std::uint8_t> rgb(std::size_t(width) * std::size_t(height) * 3);
    std::uint8_t* out = rgb.data();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c)
                *out++ = sample(in, x, y, c, width, height);
    AtomicOutput file(path);
    WriteImage(file.Stream(), FormatOf(path), width, height, rgb.data(), 95, path);
    file.Commit();
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (args.size() == 5 && args[0] == "photo")
            write(ReadImage(args[1]), scaled, std::stoi(args[2]), std::stoi(args[3]), args[4]);
        else if (args.size() == 4 && args[0] == "synthetic")
            write(Image{}, synthetic, std::stoi(args[1]), std::stoi(args[2]), args[3]);
        else {
            std::fprintf(stderr, "usage: relight-test-image photo IN.png WIDTH HEIGHT OUT.png\n"
                                 "       relight-test-image synthetic WIDTH HEIGHT OUT.png\n");
            return 2;
        }
    } catch (const HostError& error) {
        std::fprintf(stderr, "%s\n", error.Line().c_str());
        return int(error.Status());
    }
    return 0;
}
