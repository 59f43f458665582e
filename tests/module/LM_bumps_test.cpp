#include "LM_bumps.h"
#include "LM_memory.h"
#include "LM_shader.h"
#include "LM_reference_shading.h"
#include "LM_test_support.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <tuple>
#include <utility>
#include <vector>

namespace {

// A channel block of w x h bytes, as the texture exchange delivers it.
struct ChannelBlock {
    std::vector<unsigned char> bytes;
    int width;
    LM_rows_in rows;

    ChannelBlock(int w, int h, unsigned char value = 0)
        : bytes(std::size_t(w * h), value),
          width(w), rows{{-3, -3, std::int16_t(h - 3), std::int16_t(w - 3)}, bytes.data(), w} {}
    unsigned char& at(int row, int col) { return bytes[std::size_t(row * width + col)]; }
};

struct Samples {
    LM_sint32 gx[4] = {}, gy[4] = {}, w[4] = {};
    LM_uint32 count = 0;
    LM_sint32 *gxEnd = gx, *gyEnd = gy, *wEnd = w;

    Samples& quad(LM_sint32 a, LM_sint32 b, LM_sint32 c, LM_sint32 d) {
        LM_GeneratePreviewBumpSample(a, b, c, d, gx, gy, w, &gxEnd, &gyEnd, &wEnd, count);
        return *this;
    }
    // Each sample as (gx, gy, weight).
    std::vector<std::array<LM_sint32, 3>> gradients() const {
        std::vector<std::array<LM_sint32, 3>> out;
        for (LM_uint32 i = 0; i < count; ++i)
            out.push_back({gx[i], gy[i], w[i]});
        EXPECT_EQ(gxEnd - gx, std::ptrdiff_t(count));
        return out;
    }
};

std::array<std::uint32_t, 3> BitsOf(LM_vector3f v) {
    return {Bits(v.x), Bits(v.y), Bits(v.z)};
}

} // namespace

TEST(HeightFilter, WeightsSumTo72AndTheDivisionIsBy68TowardZero) {
    const std::vector<unsigned char> white(25, 255);
    EXPECT_EQ(LM_FilterHeight(white.data(), 5, 256), 69120);
    EXPECT_EQ(LM_FilterHeight(white.data(), 5, -256), -69120);
    EXPECT_EQ(LM_FilterHeight(white.data(), 5, 0), 0);
    // 18360 x 200000 wraps in 32 bits to -622967296; / 68 = -9161283.8 toward zero.
    EXPECT_EQ(LM_FilterHeight(white.data(), 5, 200000), -9161283);
    std::vector<unsigned char> corner(25, 0);
    corner[6] = 1; // weighted sum 2: the outer ring of the 5 x 5 is never read
    corner[0] = corner[4] = corner[20] = corner[24] = 255;
    for (const auto& [amplitude, height] : {std::pair{-1, 0}, {-33, 0}, {-34, -1}, {33, 0}, {34, 1}})
        EXPECT_EQ(LM_FilterHeight(corner.data(), 5, amplitude), height) << amplitude;
}

// One white pixel on black filters to 30720 on it, 7680 beside it and 1920 on the diagonals.
TEST(HeightFilter, MapGeometryFollowsTheBlockAndTheBufferOnlyGrows) {
    LM_GlobalsPtr g = MakeGlobals();
    LM_bump_map& map = g->bumpMap;
    map.heights = static_cast<LM_sint32*>(LM_NewPtr(17424));
    map.heightsSize = 17424;
    map.amplitude = 256;
    LM_sint32* const start = map.heights;
    // Row length, whether the start block still serves, and its size.
    const auto geometry = [&] { return std::tuple(map.rowLength, map.heights == start, map.heightsSize); };

    ChannelBlock full(70, 70, 255); // a 64 x 64 tile: 66 x 66 heights, exactly the start block
    ASSERT_EQ(LM_StoreBumpMap(full.rows, g->bumpMap), 0);
    EXPECT_EQ(geometry(), std::tuple(66u, true, 17424u));
    EXPECT_EQ(map.heights[66 * 66 - 1], 69120);

    ChannelBlock small(42, 28); // a 36 x 22 tile: 38 x 24 heights in the same block
    small.at(10, 20) = 255;
    ASSERT_EQ(LM_StoreBumpMap(small.rows, g->bumpMap), 0);
    EXPECT_EQ(geometry(), std::tuple(38u, true, 17424u));
    // Map (r, c) is filtered around block (r + 2, c + 2).
    EXPECT_EQ((std::array{map.heights[8 * 38 + 18], map.heights[8 * 38 + 17], map.heights[7 * 38 + 19],
                          map.heights[23 * 38 + 37]}),
              (std::array{30720, 7680, 1920, 0}));

    ChannelBlock large(106, 106, 1); // 102 x 102 heights need a larger block
    ASSERT_EQ(LM_StoreBumpMap(large.rows, g->bumpMap), 0);
    EXPECT_EQ(map.heightsSize, 102u * 102 * 4);
    EXPECT_EQ(map.heights[102 * 102 - 1], 72 * 256 / 68);

    ChannelBlock huge(206, 206);
    TBFailAllocation(1);
    EXPECT_EQ(LM_StoreBumpMap(huge.rows, g->bumpMap), 1);
    EXPECT_EQ(std::pair(map.heights, map.heightsSize), (std::pair<LM_sint32*, LM_uint32>(nullptr, 0)));
    TBFailAllocation(0);
    EXPECT_EQ(LM_StoreBumpMap(full.rows, g->bumpMap), 0) << "the next capture tries again";
    EXPECT_EQ(map.heightsSize, 17424u);
}

TEST(BumpSamples, QuadsBecomeGradientsAndOnlyFlatOnesMerge) {
    using G = std::vector<std::array<LM_sint32, 3>>;
    // dd = -3, de = 0: gx = -3 >> 1 = -2, gy = 3 >> 1 = 1; dd = 0, de = 1: both shifts give 0, a flat
    // quad; dd = 4, de = 2: gx = 3, gy = -1; flat again: merges into the first flat sample.
    EXPECT_EQ(Samples().quad(0, 0, -3, 0).quad(0, 1, 0, 0).quad(1, 3, 5, 1).quad(0, 0, 0, 0).gradients(),
              (G{{-2, 1, 4}, {0, 0, 8}, {3, -1, 4}}));
    EXPECT_EQ(Samples().quad(7, 7, 7, 7).quad(7, 7, 7, 7).quad(7, 7, 7, 7).quad(7, 7, 7, 7).gradients(),
              (G{{0, 0, 16}}));
    // A ramp rising by 5 to the right: equal sloped quads stay apart.
    EXPECT_EQ(Samples().quad(0, 5, 5, 0).quad(0, 5, 5, 0).gradients(), (G{{5, 0, 4}, {5, 0, 4}}));
    // Rows 5 lower each row down: gy = 5; then -1 >> 1.
    EXPECT_EQ(Samples().quad(5, 5, 0, 0).quad(0, 0, 0, 1).gradients(), (G{{0, 5, 4}, {-1, -1, 4}}));
}

TEST(BumpSamples, NormalsTiltAgainstTheSlope) {
    EXPECT_EQ(BitsOf(LM_BumpNormal(0, 0)), BitsOf({0, 0, 1})) << "flat";
    const LM_vector3f ramp = LM_BumpNormal(4096, 0); // 45 degrees, tilted toward minus x
    EXPECT_NEAR(ramp.x, -std::sqrt(0.5), 1e-7);
    EXPECT_EQ(ramp.y, 0.0f);
    EXPECT_NEAR(ramp.z, std::sqrt(0.5), 1e-7);
    const LM_vector3f up = LM_BumpNormal(0, 4096);
    EXPECT_NEAR(up.y, std::sqrt(0.5), 1e-7) << "rising toward the top gives a positive y";
    // 3 x 3 + 4096 x 4096 = 16777225 rounds to 16777224 in float before the root; the last q is
    // beyond 32 bits.
    const std::int32_t cases[][2] = {
        {3, 0}, {1, 0}, {0, -3}, {4096, 0}, {-700, 1234}, {100000, -5}, {2000000000, -2000000000}};
    for (const auto& c : cases)
        EXPECT_EQ(BitsOf(LM_BumpNormal(c[0], c[1])), BitsOf(reference::Normal(c[0], c[1])))
            << c[0] << ", " << c[1];
}

// Cones and normals facing away are the row kernels' comparison with this scalar shading.
TEST(BumpShading, TiltedNormalsFollowTheMirrorRule) {
    BlockHandle block;
    const LM_light& overhead = AddLight(block.block(), lightTypeDirectional, 1000, {0, 0, 0}, {0, 0, 1});
    const LM_vector2f at[] = {{0, 0}, {0, 0}, {2, 0}};
    const LM_vector3f normals[] = {{0.6f, 0, 0.8f}, {0, 0, 1}, {0, 0, 1}};
    const LM_sint32 weights[] = {4, 12, 0, 16, 0};
    std::vector<LM_color96> d(3), s(3);
    LM_ShadeLightBumps(overhead, 3, at, normals, d.data(), s.data(), weights);
    // d = 0.8; t = 1.6, t nz - 1 = 0.28: specular 1000 x 0.0784 = 78.
    EXPECT_EQ(d[0].red, 800);
    EXPECT_EQ(s[0].red, 78);
    EXPECT_EQ(d[1].green, 1000);
    EXPECT_EQ(s[1].blue, 1000);
}

TEST(BumpShading, SamplesAverageByWeightAndLongRowsAreNotLit) {
    const unsigned char shaded[] = {100, 0, 255, 200, 50, 0, 9, 9, 9};
    const LM_sint32 weights[] = {4, 12, 0, 16, 0};
    unsigned char out[6];
    LM_AverageSamples(shaded, weights, 2, out);
    // (100 x 4 + 200 x 12) >> 4 = 175; 600 >> 4 = 37; 1020 >> 4 = 63.
    EXPECT_EQ(std::vector<unsigned char>(out, out + 6), (std::vector<unsigned char>{175, 37, 63, 9, 9, 9}));

    LM_GlobalsPtr g = MakeGlobals();
    BlockHandle block;
    SetSurface(block.block(), 0, 0, 128, 16383);
    std::vector<unsigned char> result(3 * 1025, 0xA5);
    LM_ShadeBumps(block.block(), 1025, g->rowPositions, g->rowNormals, g->rowBaseColors, g->rowDiffuse,
                  g->rowSpecular, false, result.data(), g.get(), g->rowWeights);
    EXPECT_EQ(result, std::vector<unsigned char>(3 * 1025, 0xA5));
}

// Amplitude 0 stands for no texture: the flat shader.
TEST(TileShading, WholeTilesFlatAndWithReliefMatchTheScalarReference) {
    LM_GlobalsPtr g = MakeThreeLights();
    BlockHandle block;
    const Rect tile = {10, 14, 22, 30}; // 16 x 12 in an area of 40 x 30
    ChannelBlock channel(22, 18);
    std::uint32_t seed = 12345;
    for (unsigned char& b : channel.bytes) {
        seed = seed * 1103515245u + 12345u;
        b = static_cast<unsigned char>((seed >> 16) % 7 < 4 ? 128 : seed >> 24); // flat stretches and steps
    }
    // The height of tile pixel (row, col) filtered from the channel with the weights written out.
    const auto height = [&](int row, int col, LM_sint32 amplitude) {
        const int w[3][3] = {{2, 8, 2}, {8, 32, 8}, {2, 8, 2}};
        LM_sint32 sum = 0;
        for (int i = -1; i <= 1; ++i)
            for (int j = -1; j <= 1; ++j)
                sum += w[i + 1][j + 1] * channel.at(row + 3 + i, col + 3 + j);
        return reference::Mul(sum, amplitude) / 68;
    };
    for (LM_sint32 amplitude : {0, 256, -512, 40, 65534})
        for (const Look& look : kLooks)
            for (LM_bool preview : {0, 1}) {
                ApplyLook(*g, look);
                g->ConvertToParameters(block.block(), preview);
                TileRun run(block, 40, 30, tile);
                g->bumpMap.amplitude = amplitude;
                if (amplitude == 0)
                    LM_ShadeTile(run.view, run.block, g.get());
                else if (LM_StoreBumpMap(channel.rows, g->bumpMap) == 0)
                    LM_ShadeTileWithBumps(run.view, run.block, g.get());
                int wrong = 0;
                for (int row = 0; row < 12; ++row)
                    for (int col = 0; col < 16; ++col) {
                        const std::size_t i = std::size_t(3 * (row * 16 + col));
                        const int x = tile.left + col, y = tile.top + row;
                        unsigned char want[3];
                        if (amplitude == 0)
                            reference::FlatPixel(*block.block(), x, y, 40, 30, &run.source[i], want);
                        else
                            reference::BumpPixel(
                                *block.block(), x, y, 40, 30, &run.source[i],
                                [&](int r, int c) { return height(row + r, col + c, amplitude); }, want);
                        wrong += std::memcmp(want, &run.result[i], 3) != 0;
                    }
                EXPECT_EQ(wrong, 0) << "amplitude " << amplitude << " material " << look.material
                                    << " spread " << look.spread << " preview " << preview;
            }
}
