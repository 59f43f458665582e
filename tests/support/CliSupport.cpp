#include "CliSupport.h"

#include "TestBlocks.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <fstream>
#include <jpeglib.h>
#include <png.h>
#include <pty.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// Through libpng's simplified writer; `channels` 1 to 4, `flags` added to the format.
void writePngImage(const std::string& path, int width, int height, int channels, png_uint_32 flags,
                   const void* buffer, const std::vector<std::uint8_t>& colormap = {}) {
    static const png_uint_32 formats[] = {PNG_FORMAT_GRAY, PNG_FORMAT_GA, PNG_FORMAT_RGB, PNG_FORMAT_RGBA};
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(width);
    image.height = png_uint_32(height);
    image.format = formats[channels - 1] | flags;
    image.colormap_entries = png_uint_32(colormap.size() / 3);
    ASSERT_NE(png_image_write_to_file(&image, path.c_str(), 0, buffer, 0, colormap.data()), 0)
        << image.message;
}

// Environment for the program: ours replaces anything that could reach the real home.
std::vector<std::string> environmentFor(const std::string& dir) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        if (entry.rfind("HOME=", 0) != 0 && entry.rfind("XDG_", 0) != 0 && entry.rfind("RELIGHT_", 0) != 0)
            env.push_back(entry);
    }
    for (const auto& [name, folder] :
         {std::pair{"HOME", "/home"}, std::pair{"XDG_STATE_HOME", "/state"},
          std::pair{"XDG_DATA_HOME", "/data"}, std::pair{"RELIGHT_HOME", "/relight"}})
        env.push_back(std::string(name) + "=" + dir + folder);
    return env;
}

} // namespace

Pixels Uniform(int width, int height, std::vector<std::uint8_t> value) {
    Pixels p{width, height, int(value.size()), {}};
    for (int i = 0; i < width * height; ++i)
        p.samples.insert(p.samples.end(), value.begin(), value.end());
    return p;
}

Pixels Gradient(int width, int height, int channels) {
    Pixels p{width, height, channels, {}};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c)
                p.samples.push_back(std::uint8_t((x * 7 + y * 13 + c * 50) % 256));
    return p;
}

void WritePng(const std::string& path, const Pixels& pixels) {
    writePngImage(path, pixels.width, pixels.height, pixels.channels, 0, pixels.samples.data());
}

void WritePng16(const std::string& path, int width, int height, int channels,
                const std::vector<std::uint16_t>& samples) {
    writePngImage(path, width, height, channels, PNG_FORMAT_FLAG_LINEAR, samples.data());
}

void WritePalettePng(const std::string& path, int width, int height, const std::vector<std::uint8_t>& indices,
                     const std::vector<std::uint8_t>& paletteRGB) {
    writePngImage(path, width, height, 3, PNG_FORMAT_FLAG_COLORMAP, indices.data(), paletteRGB);
}

void WriteInterlacedPng(const std::string& path, const Pixels& pixels) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr) << path;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<png_bytep> rows;
    for (int y = 0; y < pixels.height; ++y)
        rows.push_back(
            const_cast<png_bytep>(&pixels.samples[std::size_t(y * pixels.width * pixels.channels)]));
    // libpng's default error handler aborts the test program: the arguments here are valid.
    png_init_io(png, file);
    png_set_IHDR(png, info, png_uint_32(pixels.width), png_uint_32(pixels.height), 8,
                 pixels.channels == 4 ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_ADAM7,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
}

Pixels ReadPng(const std::string& path) {
    Pixels p;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (!file || setjmp(png_jmpbuf(png))) {
        ADD_FAILURE() << "cannot read " << path;
        p = {};
    } else {
        png_init_io(png, file);
        png_read_info(png, info);
        png_set_expand(png);
        png_set_gray_to_rgb(png);
        png_set_scale_16(png); // a 16-bit v x 257 is v again
        png_read_update_info(png, info);
        const int channels = png_get_channels(png, info);
        p = {int(png_get_image_width(png, info)), int(png_get_image_height(png, info)), channels, {}};
        p.samples.resize(std::size_t(p.width) * std::size_t(p.height) * std::size_t(channels));
        for (int y = 0; y < p.height; ++y)
            png_read_row(png,
                         p.samples.data() + std::size_t(y) * std::size_t(p.width) * std::size_t(channels),
                         nullptr);
    }
    png_destroy_read_struct(&png, &info, nullptr);
    if (file)
        std::fclose(file);
    return p;
}

void WriteJpeg(const std::string& path, const Pixels& pixels, int quality) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr) << path;
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = JDIMENSION(pixels.width);
    info.image_height = JDIMENSION(pixels.height);
    info.input_components = pixels.channels;
    info.in_color_space = pixels.channels == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    for (int y = 0; y < pixels.height; ++y) {
        JSAMPROW row = const_cast<JSAMPROW>(&pixels.samples[std::size_t(y * pixels.width * pixels.channels)]);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(file);
}

std::string LightingBlock(int textureChannel) {
    BlockBuilder builder;
    builder.Settings().SetBumpChannel(LM_sint16(textureChannel));
    const std::vector<std::uint8_t> block = builder.Build();
    return std::string(block.begin(), block.end());
}

std::string ProbeBlock(ProbeMode mode, int textureChannel) {
    std::string block(66736, '\0');
    std::memcpy(block.data(), "PRBE", 4);
    block[4] = char(mode);
    block[66728] = char(textureChannel >> 8);
    block[66729] = char(textureChannel & 0xFF);
    return block;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void CliTest::SetUp() {
    std::string pattern = std::filesystem::temp_directory_path().string() + "/relight-cli-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
}

void CliTest::TearDown() {
    std::filesystem::remove_all(dir_);
}

bool CliTest::Exists(const std::string& name) const {
    return std::filesystem::exists(Path(name));
}

std::vector<std::string> CliTest::Listing() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir_))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

namespace {

// Runs `argv` with `env` in a child; `redirect` prepares the child's output first.
pid_t spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env, pid_t pid,
            const std::function<bool()>& redirect) {
    if (pid != 0)
        return pid;
    std::vector<char*> a, e;
    for (const std::string& s : argv)
        a.push_back(const_cast<char*>(s.c_str()));
    for (const std::string& s : env)
        e.push_back(const_cast<char*>(s.c_str()));
    a.push_back(nullptr);
    e.push_back(nullptr);
    if (redirect())
        execve(a[0], a.data(), e.data());
    _exit(127);
}

// The exit status; the child's peak resident memory into `peakKiB` when given.
int exitStatusOf(pid_t pid, long* peakKiB = nullptr) {
    int wstatus = 0;
    rusage usage{};
    wait4(pid, &wstatus, 0, &usage);
    if (peakKiB)
        *peakKiB = usage.ru_maxrss;
    return WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
}

std::vector<std::string> commandLine(const std::vector<std::string>& args) {
    std::vector<std::string> argv = {RELIGHT_BIN};
    argv.insert(argv.end(), args.begin(), args.end());
    return argv;
}

} // namespace

std::string CliTest::Expand(const std::string& text) const {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '@') {
            out += text[i];
            continue;
        }
        const std::size_t end = std::min(text.find_first_of(" \n,:')", i), text.size());
        out += Path(text.substr(i + 1, end - i - 1));
        i = end - 1;
    }
    return out;
}

std::vector<std::string> CliTest::Expand(const std::vector<std::string>& texts) const {
    std::vector<std::string> out;
    for (const std::string& text : texts)
        out.push_back(Expand(text));
    return out;
}

RunResult CliTest::Relight(const std::vector<std::string>& args,
                           const std::vector<std::string>& extraEnvironment) const {
    return RelightMeanwhile(args, extraEnvironment, [](pid_t) {});
}

RunResult CliTest::RelightMeanwhile(const std::vector<std::string>& args,
                                    const std::vector<std::string>& extraEnvironment,
                                    const std::function<void(pid_t)>& meanwhile) const {
    return run(commandLine(Expand(args)), extraEnvironment, meanwhile);
}

RunResult CliTest::Program(const std::vector<std::string>& argv,
                           const std::vector<std::string>& extraEnvironment) const {
    return run(argv, extraEnvironment, [](pid_t) {});
}

RunResult CliTest::run(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnvironment,
                       const std::function<void(pid_t)>& meanwhile) const {
    std::vector<std::string> env = environmentFor(dir_);
    const std::vector<std::string> extras = Expand(extraEnvironment);
    // An extra entry replaces ours of that name.
    for (const std::string& extra : extras)
        std::erase_if(env, [&](const std::string& entry) {
            return entry.compare(0, entry.find('='), extra, 0, extra.find('=')) == 0;
        });
    env.insert(env.end(), extras.begin(), extras.end());
    // Numbered, so that a program started meanwhile keeps its own.
    static int runs = 0;
    const std::string number = std::to_string(++runs);
    const std::string outFile = Path(".stdout" + number), errFile = Path(".stderr" + number);
    const std::string inFile = std::filesystem::exists(Path("stdin")) ? Path("stdin") : "/dev/null";
    const pid_t pid = spawn(argv, env, fork(), [&] {
        return std::freopen(inFile.c_str(), "r", stdin) && std::freopen(outFile.c_str(), "w", stdout) &&
               std::freopen(errFile.c_str(), "w", stderr);
    });
    meanwhile(pid);
    RunResult result;
    result.status = exitStatusOf(pid, &result.peakKiB);
    result.out = ReadBytes(outFile);
    result.err = ReadBytes(errFile);
    std::filesystem::remove(outFile);
    std::filesystem::remove(errFile);
    return result;
}

RunResult CliTest::RelightOnTerminal(const std::vector<std::string>& args) const {
    int terminal = -1;
    const pid_t pid = spawn(commandLine(Expand(args)), environmentFor(dir_),
                            forkpty(&terminal, nullptr, nullptr, nullptr), [] { return true; });
    RunResult result;
    char buffer[4096];
    ssize_t n;
    // Reading ends with an error once the child has closed its side.
    while ((n = read(terminal, buffer, sizeof buffer)) > 0)
        result.out.append(buffer, std::size_t(n));
    close(terminal);
    result.status = exitStatusOf(pid);
    return result;
}

RunResult CliTest::Succeeds(const std::vector<std::string>& args) const {
    const RunResult r = Relight(args);
    EXPECT_EQ(r.status, 0) << r.err;
    return r;
}

void CliTest::ExpectRefused(const std::vector<std::string>& args, const std::string& message) const {
    const RunResult r = Relight(args);
    EXPECT_EQ(r.status, 2) << message;
    EXPECT_EQ(r.err.rfind("relight: " + message, 0), 0u) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
}

RunResult CliTest::Probe(std::vector<std::string> args) const {
    args.push_back("--plugin");
    args.push_back(PROBE_PLUGIN);
    return Relight(args);
}
