// The row kernels against the scalar shading they must reproduce bit for bit, over many random
// rows: every light type, lights on or below the surface, spread indices past both table ends,
// cosines exactly at the cone's edge, the three material kinds, saturating products, wrapping
// sums, and widths of every remainder of the vector width; the relief's quads with flat ones merged;
// the inverse root for every float.
#include "LM_bumps.h"
#include "LM_shade_rows.h"
#include "LM_shader.h"
#include "LM_test_support.h"

#include <gtest/gtest.h>
#include <hwy/targets.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

namespace {

// Deterministic on every platform: raw engine output only, no library distributions.
struct Rng {
    std::mt19937 engine;
    explicit Rng(std::uint32_t seed) : engine(seed) {}
    int below(int n) { return int(engine() % std::uint32_t(n)); }
    float real(float lo, float hi) { return lo + (hi - lo) * float(engine() >> 8) * (1.0f / 16777216.0f); }
    bool chance(int percent) { return below(100) < percent; }
};

// The cone cosine of a spotlight at a position, as the flat shader forms it.
float ConeCosine(const LM_light& l, LM_vector2f p) {
    const float lx = l.origin[0] - p.x, ly = l.origin[1] - p.y, lz = l.origin[2];
    return -(l.direction[0] * lx + l.direction[1] * ly + l.direction[2] * lz) * LM_InverseLength(lx, ly, lz);
}

void AddRandomLight(foo* b, Rng& r, const std::vector<LM_vector2f>& positions) {
    static const LM_sint32 kTypes[] = {lightTypeOmni, lightTypeDirectional, lightTypeSpot, lightTypeSpot, 7};
    const LM_sint32 type = kTypes[r.below(5)];
    const float heights[] = {0.0f, -0.5f, -1e-7f, 1e-20f};
    const float z = r.chance(15) ? heights[r.below(4)] : r.real(0.05f, 4.0f);
    LM_light& l =
        AddLight(b, type, 0, {r.real(-3, 3), r.real(-3, 3), z},
                 {r.real(-1, 1), r.real(-1, 1), type == lightTypeSpot ? r.real(-1, 0.2f) : r.real(-0.3f, 1)});
    for (int c = 0; c < 3; ++c)
        l.radiance[c] = r.chance(10) ? LM_sint32(r.real(-2e9f, 2e9f)) : LM_sint32(r.real(-70000, 70000));
    const bool preview = r.chance(50);
    l.spreadScale = LM_SpreadScale(preview ? LM_SPREAD_ENTRIES_PREVIEW : LM_SPREAD_ENTRIES_FINAL);
    l.spreadBase = r.chance(20) ? 1.5f : r.real(-0.5f, 1.0f); // past the last entry, or before the first
    for (LM_befloat& e : l.spreadTable)
        e = r.real(0, 2);
    l.cutoff = r.real(-0.2f, 0.99f);
    if (type == lightTypeSpot && r.chance(30)) // a pixel exactly on the edge, its neighbours near it
        l.cutoff = ConeCosine(l, positions[std::size_t(r.below(int(positions.size())))]);
}

void RandomSurface(foo* b, Rng& r) {
    const LM_sint16 materials[] = {0, -3, 1, 255, LM_sint16(2 + r.below(253)), 256, 400};
    SetSurface(b, LM_sint16(r.below(32768)), materials[r.below(7)], LM_sint16(r.below(2 * 32768) - 16384),
               r.chance(50) ? r.below(20000) : r.below(140000) - 70000);
}

struct Row {
    std::vector<LM_vector2f> positions;
    std::vector<unsigned char> colors;
    std::vector<LM_color96> diffuse, specular; // starting sums
};

Row RandomRow(Rng& r, int n) {
    Row row;
    const int fw = 1 + r.below(3000), fh = 1 + r.below(2000);
    const float s = r.real(0.0005f, 0.01f);
    const int x0 = r.below(fw), y = r.below(fh);
    for (int k = 0; k < n; ++k) {
        row.positions.push_back(LM_PixelPosition(x0 + k, y, fw, fh, s));
        for (int c = 0; c < 3; ++c)
            row.colors.push_back(static_cast<unsigned char>(r.below(256)));
        const bool large = r.chance(10);
        const auto v = [&] { return large ? LM_sint32(r.engine()) : r.below(200000) - 50000; };
        row.diffuse.push_back({v(), v(), v(), v()});
        row.specular.push_back({v(), v(), v(), v()});
    }
    return row;
}

bool Same(const std::vector<LM_color96>& a, const std::vector<LM_color96>& b) {
    return std::memcmp(a.data(), b.data(), a.size() * sizeof(LM_color96)) == 0;
}

const LM_rgb8* Rgb(const std::vector<unsigned char>& v) {
    return reinterpret_cast<const LM_rgb8*>(v.data());
}

// Runs check once with each instruction set this machine has, as if it were the best one.
template <typename Check> void OnEveryTarget(Check check) {
    for (const std::int64_t target : hwy::SupportedAndGeneratedTargets()) {
        hwy::SetSupportedTargetsForTest(target);
        SCOPED_TRACE(hwy::TargetName(target));
        check();
        if (::testing::Test::HasFatalFailure())
            break;
    }
    hwy::SetSupportedTargetsForTest(0);
}

// Each light added by the scalar shading and by the row kernel onto the same sums, which must agree
// after every light; the scalar sums are left in `sums`.
template <typename Scalar, typename Kernel>
void ExpectLightByLight(const foo* b, const LM_row_lights& lights, Row& sums, Scalar scalar, Kernel kernel,
                        std::uint32_t seed) {
    std::vector<LM_color96> d = sums.diffuse, s = sums.specular;
    for (int i = 0; i < b->lightCount; ++i) {
        scalar(b->lights[i], sums.diffuse.data(), sums.specular.data());
        kernel(lights.lights[i], d.data(), s.data());
        ASSERT_TRUE(Same(d, sums.diffuse) && Same(s, sums.specular))
            << "seed " << seed << " light " << i << " type " << b->lights[i].type.get();
    }
}

std::vector<unsigned char> Combined(const foo* b, const std::vector<LM_color96>& d,
                                    const std::vector<LM_color96>& s,
                                    const std::vector<unsigned char>& colors) {
    std::vector<LM_sint32> totals(colors.size());
    std::vector<unsigned char> out(colors.size());
    LM_CombineRow(b, LM_uint32(d.size()), d.data(), s.data(), colors.data(), totals.data(), out.data());
    return out;
}

// The scalar bytes of every light of the block summed from zero and combined with the colours.
template <typename ShadeLight>
std::vector<unsigned char> ScalarRow(const foo* b, const std::vector<unsigned char>& colors,
                                     ShadeLight shade) {
    std::vector<LM_color96> d(colors.size() / 3, LM_color96{0, 0, 0, 0}), s = d;
    for (int i = 0; i < b->lightCount; ++i)
        shade(b->lights[i], d.data(), s.data());
    return Combined(b, d, s, colors);
}

float InverseRootDefinition(float q) {
    return float(1.0 / std::sqrt(double(q)));
}

// Every float, or every 509th mantissa where a build is slow (sanitizers) or the target computes the
// definition itself (one lane).
constexpr std::uint32_t kSampleStep = 509;
#ifdef RELIGHT_SAMPLE_ROOTS
constexpr std::uint32_t kRootStep = kSampleStep;
#else
constexpr std::uint32_t kRootStep = 1;
#endif
constexpr std::uint32_t kBinade = 1u << 23;

// A random height map exactly as wide as a piece of pixels needs (the tile's edge), of few levels
// so that quads come out flat, in gentle or wrapping steps: each pixel's quads against the scalar
// split, then the average of random shaded samples against the scalar one.
void ExpectReliefSplitAndAverageOfTheScalarOnes(Rng& r, std::uint32_t seed) {
    const int pixels = 1 + r.below(40);
    const LM_sint32 step = r.chance(20) ? 0x7FFFFFFF : 1 + r.below(3);
    std::vector<LM_sint32> heights(3 * std::size_t(pixels + 2));
    for (LM_sint32& h : heights)
        h = LM_WrapMul(step, r.below(3));
    LM_bump_map map{LM_uint32(4 * heights.size()), heights.data(), LM_uint32(pixels + 2), 1};
    std::vector<LM_sint32> gx(4 * std::size_t(pixels)), gy(gx.size()), w(gx.size()), sample(gx.size()), list;
    LM_ReliefQuadsRow(heights.data(), map.rowLength, LM_uint32(pixels), gx.data(), gy.data(), w.data());
    for (int k = 0; k < pixels; ++k) {
        LM_sint32 h[3][3], sx[4], sy[4], sw[4];
        LM_sint32 *xEnd = sx, *yEnd = sy, *wEnd = sw;
        LM_uint32 count = 0;
        LM_GetPixelHeights(&map, LM_uint32(k), 0, h[0][0], h[0][1], h[0][2], h[1][0], h[1][1], h[1][2],
                           h[2][0], h[2][1], h[2][2]);
        for (const auto& [i, j] : {std::pair{0, 0}, {0, 1}, {1, 1}, {1, 0}})
            LM_GeneratePreviewBumpSample(h[i][j], h[i][j + 1], h[i + 1][j + 1], h[i + 1][j], sx, sy, sw,
                                         &xEnd, &yEnd, &wEnd, count);
        std::vector<std::array<LM_sint32, 3>> want, got;
        for (LM_uint32 q = 0; q < count; ++q)
            want.push_back({sx[q], sy[q], sw[q]});
        for (std::size_t j = 4 * std::size_t(k); j < 4 * std::size_t(k) + 4; ++j) {
            sample[j] = LM_sint32(list.size() - std::size_t(k)) - (w[j] == 0);
            if (w[j] != 0) {
                got.push_back({gx[j], gy[j], w[j]});
                list.push_back(w[j]);
            }
        }
        EXPECT_EQ(got, want) << "seed " << seed << " pixel " << k;
        list.push_back(0);
    }
    std::vector<unsigned char> shaded(3 * (list.size() - std::size_t(pixels)) + 1),
        want(3 * std::size_t(pixels)), got(want.size());
    for (unsigned char& c : shaded)
        c = static_cast<unsigned char>(r.below(256));
    LM_AverageSamples(shaded.data(), list.data(), LM_uint32(pixels), want.data());
    LM_AverageQuadsRow(LM_uint32(pixels), Rgb(shaded), sample.data(), w.data(),
                       reinterpret_cast<LM_rgb8*>(got.data()));
    EXPECT_EQ(got, want) << "average, seed " << seed;
}

} // namespace

// Every float of sign 0: zero, subnormals, normals, infinity and every NaN, a run of mantissas at a
// time for every exponent. The definition is taken directly for two binades ([1, 4)) and for the
// exponent fields 0 and 255; multiplying q by 4^k divides the double root and quotient by exactly 2^k
// (they stay normal doubles, the result a normal float), so the other binades' results are those
// scaled.
TEST(RowKernels, InverseRootGivesTheDefinitionsBitsForEveryFloat) {
    constexpr std::uint32_t kRun = 4096;
    struct Run {
        float q[kRun], got[kRun], want[kRun], oneToFour[2][kRun];
    };
    const auto run = std::make_unique<Run>();
    OnEveryTarget([&] {
        Run& r = *run;
        const std::uint32_t step = hwy::SupportedTargets() == HWY_SCALAR ? kSampleStep : kRootStep;
        // A sampled last run wraps round to mantissas already checked.
        const auto mantissa = [&](std::uint32_t first, std::uint32_t i) {
            return (first + i * step) % kBinade;
        };
        for (std::uint32_t first = 0; first < kBinade; first += kRun * step) {
            for (std::uint32_t i = 0; i < kRun; ++i)
                for (std::uint32_t b = 0; b < 2; ++b)
                    r.oneToFour[b][i] =
                        InverseRootDefinition(std::bit_cast<float>((127 + b) << 23 | mantissa(first, i)));
            for (std::uint32_t exponent = 0; exponent <= 255; ++exponent) {
                for (std::uint32_t i = 0; i < kRun; ++i)
                    r.q[i] = std::bit_cast<float>(exponent << 23 | mantissa(first, i));
                LM_InverseRootRow(kRun, r.q, r.got);
                const int e = int(exponent) - 127;
                const float scale = std::ldexp(1.0f, -(e >> 1));
                const bool direct = exponent == 0 || exponent == 255;
                for (std::uint32_t i = 0; i < kRun; ++i)
                    r.want[i] = direct ? InverseRootDefinition(r.q[i]) : r.oneToFour[e & 1][i] * scale;
                if (std::memcmp(r.got, r.want, sizeof r.got) == 0)
                    continue;
                for (std::uint32_t i = 0; i < kRun; ++i)
                    ASSERT_EQ(Bits(r.got[i]), Bits(r.want[i]))
                        << "q " << std::hexfloat << r.q[i] << " gives " << r.got[i] << ", not " << r.want[i];
            }
        }
    });
}

TEST(RowKernels, FlatRowsMatchTheScalarShadingBitForBit) {
    auto lights = std::make_unique<LM_row_lights>();
    BlockHandle block;
    OnEveryTarget([&] {
        for (std::uint32_t seed = 1; seed <= 300; ++seed) {
            Rng r(seed);
            const int n = 1 + r.below(70);
            Row row = RandomRow(r, n);
            RandomSurface(block.block(), r);
            for (int i = 1 + r.below(LM_MAX_LIGHTS); i > 0; --i)
                AddRandomLight(block.block(), r, row.positions);
            LM_PrepareRowLights(block.block(), *lights);
            const LM_vector2f* at = row.positions.data();
            const auto scalar = [&](const LM_light& l, LM_color96* d, LM_color96* s) {
                LM_ShadeLight(l, LM_uint16(n), at, d, s);
            };
            const auto kernel = [&](const LM_row_light& l, LM_color96* d, LM_color96* s) {
                LM_ShadeLightRow(l, LM_uint32(n), at, d, s);
            };
            // Light by light, onto arbitrary sums.
            ASSERT_NO_FATAL_FAILURE(ExpectLightByLight(block.block(), *lights, row, scalar, kernel, seed));
            std::vector<unsigned char> got(row.colors.size(), 0xA5);
            LM_CombineRowFast(block.block(), LM_uint32(n), row.diffuse.data(), row.specular.data(),
                              Rgb(row.colors), reinterpret_cast<LM_rgb8*>(got.data()));
            ASSERT_EQ(got, Combined(block.block(), row.diffuse, row.specular, row.colors))
                << "combination, seed " << seed << " material " << block->material.get();
            // Every light at once from zero, the sums never leaving registers.
            LM_ShadeRowAllLights(block.block(), *lights, LM_uint32(n), at, Rgb(row.colors),
                                 reinterpret_cast<LM_rgb8*>(got.data()));
            ASSERT_EQ(got, ScalarRow(block.block(), row.colors, scalar)) << "all lights, seed " << seed;
        }
    });
}

TEST(RowKernels, ReliefQuadsNormalsAndSamplesMatchTheScalarShadingBitForBit) {
    auto lights = std::make_unique<LM_row_lights>();
    BlockHandle block;
    OnEveryTarget([&] {
        for (std::uint32_t seed = 1; seed <= 300; ++seed) {
            Rng r(seed);
            // Pixels of one to four samples sharing a position; flat, gentle and steep gradients, and
            // some whose squares a double cannot hold exactly.
            std::vector<LM_vector2f> positions;
            std::vector<LM_vector3f> normals;
            std::vector<LM_sint32> weights, gx, gy;
            for (const LM_vector2f& p : RandomRow(r, 1 + r.below(24)).positions) {
                for (int j = 1 + r.below(4); j > 0; --j) {
                    const int kind = r.below(20);
                    const LM_sint32 range = kind < 6 ? 0 : kind < 12 ? 4 : 2000000;
                    gx.push_back(range ? r.below(2 * range + 1) - range : 0);
                    gy.push_back(kind == 0 ? LM_sint32(r.engine())
                                 : range   ? r.below(2 * range + 1) - range
                                           : 0);
                    positions.push_back(p);
                    normals.push_back(LM_BumpNormal(gx.back(), gy.back()));
                    weights.push_back(4);
                }
                weights.push_back(0);
            }
            const std::size_t n = positions.size();
            ExpectReliefSplitAndAverageOfTheScalarOnes(r, seed);
            std::vector<LM_vector3f> fast(n);
            LM_BumpNormalsRow(LM_uint32(n), gx.data(), gy.data(), fast.data());
            for (std::size_t k = 0; k < n; ++k)
                ASSERT_EQ(std::memcmp(&fast[k], &normals[k], sizeof fast[k]), 0)
                    << "seed " << seed << " normal of (" << gx[k] << ", " << gy[k] << ")";
            block->lightCount = 0;
            for (int i = 1 + r.below(6); i > 0; --i)
                AddRandomLight(block.block(), r, positions);
            LM_PrepareRowLights(block.block(), *lights);
            Row sums = RandomRow(r, int(n));
            const auto scalar = [&](const LM_light& l, LM_color96* d, LM_color96* s) {
                LM_ShadeLightBumps(l, LM_uint32(n), positions.data(), normals.data(), d, s, weights.data());
            };
            const auto kernel = [&](const LM_row_light& l, LM_color96* d, LM_color96* s) {
                LM_ShadeLightBumpsRow(l, LM_uint32(n), positions.data(), normals.data(), d, s);
            };
            ASSERT_NO_FATAL_FAILURE(ExpectLightByLight(block.block(), *lights, sums, scalar, kernel, seed));
            std::vector<unsigned char> got(3 * n, 0xA5);
            LM_ShadeBumpsAllLights(block.block(), *lights, LM_uint32(n), positions.data(), normals.data(),
                                   Rgb(sums.colors), reinterpret_cast<LM_rgb8*>(got.data()));
            ASSERT_EQ(got, ScalarRow(block.block(), sums.colors, scalar)) << "all lights, seed " << seed;
        }
    });
}
