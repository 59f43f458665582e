// `relight apply` as a whole process: decode, shade, encode, over a 3000 x 2000 PNG.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr int kWidth = 3000;
constexpr int kHeight = 2000;

// The input image (the bundled photograph scaled up) and the block of the one-spotlight style,
// written once.
const fs::path& workFolder() {
    static const fs::path folder = [] {
        fs::path f = fs::temp_directory_path() / "relight-bench";
        fs::create_directories(f);
        const std::string image = std::string(RELIGHT_TEST_IMAGE) + " photo " + RELIGHT_PHOTO + " " +
                                  std::to_string(kWidth) + " " + std::to_string(kHeight) + " " +
                                  (f / "in.png").string();
        const std::string block = std::string(RELIGHT_STYLE_BLOCK) + " \"" + RELIGHT_STYLES_DIR +
                                  "/Soft Spotlight\" 3000 2000 " + (f / "spot.block").string();
        if (std::system(image.c_str()) != 0 || std::system(block.c_str()) != 0)
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
