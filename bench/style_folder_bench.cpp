// `relight styles list` and `relight apply --style` as whole processes over a style folder of
// 1000 styles beside 1000 files of other kinds.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr int kStyles = 1000;
constexpr int kForeign = 1000;

void write(const fs::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
}

// A data folder whose style folder holds the shipped styles, kStyles copies of one and kForeign
// text files, and a small input image; made once.
const fs::path& dataFolder() {
    static const fs::path folder = [] {
        const fs::path f = fs::temp_directory_path() / "relight-style-bench";
        fs::remove_all(f);
        fs::create_directories(f);
        const std::string seed =
            "RELIGHT_HOME=" + f.string() + " " + RELIGHT_PROGRAM + " styles list > /dev/null";
        const std::string image =
            std::string(RELIGHT_TEST_IMAGE) + " photo " + RELIGHT_PHOTO + " 64 48 " + (f / "in.png").string();
        if (std::system(seed.c_str()) != 0 || std::system(image.c_str()) != 0)
            std::abort();
        const fs::path styles = f / "Lighting Styles";
        for (int i = 0; i < kStyles; ++i)
            fs::copy_file(styles / "Noon", styles / ("Copy " + std::to_string(i)));
        for (int i = 0; i < kForeign; ++i)
            write(styles / ("notes " + std::to_string(i) + ".txt"), "not a style\n");
        return f;
    }();
    return folder;
}

void runEach(benchmark::State& state, const std::string& arguments) {
    const fs::path& f = dataFolder();
    const std::string command = "RELIGHT_HOME=" + f.string() + " XDG_STATE_HOME=" + f.string() + " " +
                                RELIGHT_PROGRAM + " " + arguments + " > /dev/null";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("relight failed");
}

void stylesList(benchmark::State& state) {
    runEach(state, "styles list");
}

void applyStyle(benchmark::State& state) {
    const fs::path& f = dataFolder();
    runEach(state, "apply " + (f / "in.png").string() + " -o " + (f / "out.png").string() +
                       " --style 'Copy 999' --quiet");
}

BENCHMARK(stylesList)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(applyStyle)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

} // namespace
