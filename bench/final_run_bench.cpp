// Final-run throughput through the entry point, with the tile protocol served in-process and no
// codec, at 1, 6 and 24 megapixels: the cost grows with pixels times lights. MP/s is megapixels per
// second of CPU time (of wall time for the thread scaling). Beside it, the row kernels alone and the
// inverse root they spend most on, per pixel-light.
#include "LM_bumps.h"
#include "LM_shade_rows.h"
#include "LM_shader.h"
#include "TestBlocks.h"
#include "TestHost.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

namespace {

// 3:2 images of about 1, 6 and 24 megapixels.
struct Size {
    int width, height;
};
Size sizeOf(int megapixels) {
    return megapixels == 1 ? Size{1224, 816} : megapixels == 6 ? Size{3000, 2000} : Size{6000, 4000};
}

// 1: the default spotlight; 3: spot, omni and directional; 16: the types in turn.
std::vector<std::uint8_t> lightsBlock(int lights, int textureChannel) {
    BlockBuilder b;
    for (int i = 1; i < lights; ++i) {
        const LM_sint32 type = i % 3 == 1 ? lightTypeOmni : i % 3 == 2 ? lightTypeDirectional : lightTypeSpot;
        LM_light_UI& light = b.AddLight(type, LM_sint16(-150 + 20 * i), LM_sint16(-90 + 11 * i));
        light.radius = LM_sint16(40 + 5 * i);
        light.majorAxis = {LM_sint16(30 + i), LM_sint16(20 - i)};
        light.color = {LM_uint16(65535 - 3000 * i), LM_uint16(20000 + 2000 * i), 40000};
    }
    b.Settings().SetBumpChannel(LM_sint16(textureChannel));
    b.Settings().gloss = 180;
    return b.Build();
}

std::vector<std::uint8_t> relief(Size size) {
    std::vector<std::uint8_t> plane(std::size_t(size.width) * size.height);
    for (int y = 0; y < size.height; ++y)
        for (int x = 0; x < size.width; ++x)
            plane[std::size_t(y) * size.width + x] = std::uint8_t((x * 7 + y * 3) % 256 < 128 ? 40 : 200);
    return plane;
}

void finalRun(benchmark::State& state) {
    const int lights = int(state.range(0));
    const bool textured = state.range(1) != 0;
    const Size size = sizeOf(int(state.range(2)));
    const int threads = int(state.range(3));
    const std::vector<std::uint8_t> block = lightsBlock(lights, textured ? 4 : 0);
    const Pixels image = MakeTestImage(size.width, size.height);
    const std::vector<std::uint8_t> channel = textured ? relief(size) : std::vector<std::uint8_t>{};
    for (auto _ : state) {
        state.PauseTiming();
        TestHost host(image);
        host.threads = threads;
        if (textured)
            host.AddChannel(channel);
        host.SetParameterBlock(block.data(), block.size());
        state.ResumeTiming();
        if (host.RunWithoutDialog() != 0)
            state.SkipWithError("run failed");
        benchmark::DoNotOptimize(host.Result().samples.data());
    }
    const double pixels = double(size.width) * size.height;
    state.SetItemsProcessed(state.iterations() * std::int64_t(pixels));
    state.counters["MP/s"] =
        benchmark::Counter(double(state.iterations()) * pixels / 1e6, benchmark::Counter::kIsRate);
}

BENCHMARK(finalRun)
    ->ArgNames({"lights", "texture", "MP", "threads"})
    ->Args({1, 0, 1, 1})
    ->Args({3, 0, 1, 1})
    ->Args({16, 0, 1, 1})
    ->Args({3, 1, 1, 1})
    ->Args({1, 0, 6, 1})
    ->Args({3, 0, 6, 1})
    ->Args({16, 0, 6, 1})
    ->Args({1, 1, 6, 1})
    ->Args({3, 1, 6, 1})
    ->Args({16, 1, 6, 1})
    ->Args({1, 0, 24, 1})
    ->Args({3, 1, 24, 1})
    ->Unit(benchmark::kMillisecond);

// Thread scaling: wall time, since the threads' CPU time adds up.
BENCHMARK(finalRun)
    ->ArgNames({"lights", "texture", "MP", "threads"})
    ->ArgsProduct({{1, 16}, {0, 1}, {6}, {1, 2}})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

constexpr int kRow = 64; // a tile's width

// A tile row of the 6 MP image lit by every light and combined, the sums in registers.
void rowKernel(benchmark::State& state) {
    const int lights = int(state.range(0));
    const bool textured = state.range(1) != 0;
    const std::vector<std::uint8_t> bytes = lightsBlock(lights, 0);
    const foo* block = reinterpret_cast<const foo*>(bytes.data());
    auto rowLights = std::make_unique<LM_row_lights>();
    LM_PrepareRowLights(block, *rowLights);
    std::vector<LM_vector2f> positions;
    std::vector<LM_vector3f> normals;
    for (int x = 0; x < kRow; ++x) {
        positions.push_back(LM_PixelPosition(1400 + x, 900, 3000, 2000, 2.0f / 3000));
        normals.push_back(LM_BumpNormal(x % 7 - 3, x % 5 - 2));
    }
    const std::vector<LM_rgb8> colors(kRow, LM_rgb8{200, 150, 100});
    std::vector<LM_rgb8> out(kRow);
    for (auto _ : state) {
        if (textured)
            LM_ShadeBumpsAllLights(block, *rowLights, kRow, positions.data(), normals.data(), colors.data(),
                                   out.data());
        else
            LM_ShadeRowAllLights(block, *rowLights, kRow, positions.data(), colors.data(), out.data());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kRow * lights);
}

BENCHMARK(rowKernel)->ArgNames({"lights", "texture"})->Args({1, 0})->Args({16, 0})->Args({16, 1});

std::vector<float> squaredDistances() {
    std::vector<float> q(16 * kRow);
    for (std::size_t i = 0; i < q.size(); ++i)
        q[i] = 0.01f + 0.37f * float(i);
    return q;
}

// The vector inverse root of the kernels.
void inverseRoot(benchmark::State& state) {
    const std::vector<float> q = squaredDistances();
    std::vector<float> out(q.size());
    for (auto _ : state) {
        LM_InverseRootRow(LM_uint32(q.size()), q.data(), out.data());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t(q.size()));
}

// Its definition as the compiler builds it, one value at a time.
void inverseRootDefinition(benchmark::State& state) {
    const std::vector<float> q = squaredDistances();
    std::vector<float> out(q.size());
    for (auto _ : state) {
        for (std::size_t i = 0; i < q.size(); ++i)
            out[i] = float(1.0 / std::sqrt(double(q[i])));
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t(q.size()));
}

BENCHMARK(inverseRoot);
BENCHMARK(inverseRootDefinition);

} // namespace

BENCHMARK_MAIN();
