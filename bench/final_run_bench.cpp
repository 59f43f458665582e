// Final-run throughput through the entry point, with the tile protocol served in-process.
// Reported as pixels per second (megapixels: divide by 1e6).
#include "TestBlocks.h"
#include "TestHost.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int kWidth = 3000;
constexpr int kHeight = 2000;

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

std::vector<std::uint8_t> relief() {
    std::vector<std::uint8_t> plane(std::size_t(kWidth) * kHeight);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            plane[std::size_t(y) * kWidth + x] = std::uint8_t((x * 7 + y * 3) % 256 < 128 ? 40 : 200);
    return plane;
}

void finalRun(benchmark::State& state) {
    const int lights = int(state.range(0));
    const bool textured = state.range(1) != 0;
    const std::vector<std::uint8_t> block = lightsBlock(lights, textured ? 4 : 0);
    const Image image = MakeTestImage(kWidth, kHeight);
    const std::vector<std::uint8_t> channel = textured ? relief() : std::vector<std::uint8_t>{};
    for (auto _ : state) {
        state.PauseTiming();
        TestHost host(image);
        if (textured)
            host.AddChannel(channel);
        host.SetParameterBlock(block.data(), block.size());
        state.ResumeTiming();
        if (host.RunWithoutDialog() != 0)
            state.SkipWithError("run failed");
        benchmark::DoNotOptimize(host.Result().rgb.data());
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
    state.counters["lights"] = lights;
}

BENCHMARK(finalRun)
    ->ArgNames({"lights", "texture"})
    ->Args({1, 0})
    ->Args({3, 0})
    ->Args({16, 0})
    ->Args({1, 1})
    ->Args({3, 1})
    ->Args({16, 1})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();
