// `relight apply` as a whole process: decode, shade, encode, over a 3000 x 2000 PNG.
#include "ImageIO.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr int kWidth = 3000;
constexpr int kHeight = 2000;

std::vector<std::uint8_t> gradient() {
    std::vector<std::uint8_t> rgb(std::size_t(kWidth) * kHeight * 3);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            std::uint8_t* p = &rgb[(std::size_t(y) * kWidth + x) * 3];
            p[0] = std::uint8_t(x * 255 / kWidth);
            p[1] = std::uint8_t(y * 255 / kHeight);
            p[2] = std::uint8_t((x ^ y) & 0xFF);
        }
    return rgb;
}

// The input image and the block of the one-spotlight style, written once.
const fs::path& workFolder() {
    static const fs::path folder = [] {
        fs::path f = fs::temp_directory_path() / "relight-bench";
        fs::create_directories(f);
        std::FILE* png = std::fopen((f / "in.png").c_str(), "wb");
        WriteImage(png, ImageFormat::png, kWidth, kHeight, gradient().data(), 90, "in.png");
        std::fclose(png);
        const std::string block = std::string(RELIGHT_STYLE_BLOCK) + " \"" + RELIGHT_STYLES_DIR +
                                  "/Soft Spotlight\" 3000 2000 " + (f / "spot.block").string();
        if (std::system(block.c_str()) != 0)
            std::abort();
        return f;
    }();
    return folder;
}

void applyProcess(benchmark::State& state) {
    const fs::path& f = workFolder();
    // The accepted settings go to a scratch state folder, not the user's.
    const std::string command = "XDG_STATE_HOME=" + f.string() + " " + std::string(RELIGHT_PROGRAM) +
                                " apply " + (f / "in.png").string() + " -o " + (f / "out.png").string() +
                                " --params " + (f / "spot.block").string() + " --quiet";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("relight apply failed");
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}

BENCHMARK(applyProcess)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

} // namespace
BENCHMARK_MAIN();
