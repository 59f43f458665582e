// A parameter block from outside is checked, and a block the check accepts shades a small tile,
// flat and over a texture, without reading or writing outside the tile's buffers.
#include "LM_parameters.h"
#include "TestBlocks.h"

#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!LM_CheckParameterBlock(data, size, nullptr))
        return 0;
    static const Pixels image = MakeTestImage(12, 10);
    static const std::vector<std::uint8_t> texture = [] {
        std::vector<std::uint8_t> plane(std::size_t(image.width) * image.height);
        for (std::size_t i = 0; i < plane.size(); ++i)
            plane[i] = std::uint8_t(i * 37 % 251);
        return plane;
    }();
    const std::vector<std::uint8_t> block(data, data + size);
    const Rect area{2, 3, 9, 11}; // top, left, bottom, right
    ShadeWhole(image, block, area);
    ShadeWhole(image, block, area, &texture);
    return 0;
}
