// Shared by the command-line tests: running the relight program in a private home, small image
// files written and read independently of the program, and parameter blocks.
#pragma once

#include "Pixels.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <sys/types.h>
#include <string>
#include <vector>

struct RunResult {
    int status = -1; // exit status; -1 when the program did not exit normally
    std::string out;
    std::string err;
    long peakKiB = 0; // the most resident memory the program held
    // What it held from its start as a copy of the test, before exec; the kernel counts that in
    // `peakKiB` too (a sanitized test process holds hundreds of MiB).
    long inheritedKiB = 0;
};

// A uniform image.
Pixels Uniform(int width, int height, std::vector<std::uint8_t> value);
// An image whose samples vary with position: sample (x, y, c) = (x * 7 + y * 13 + c * 50) % 256.
Pixels Gradient(int width, int height, int channels);

void WritePng(const std::string& path, const Pixels& image);
// 16-bit samples; `channels` 1 (grey) or 3 (RGB).
void WritePng16(const std::string& path, int width, int height, int channels,
                const std::vector<std::uint16_t>& samples);
// One index a pixel into an RGB palette.
void WritePalettePng(const std::string& path, int width, int height, const std::vector<std::uint8_t>& indices,
                     const std::vector<std::uint8_t>& paletteRGB);
// Adam7-interlaced, `image.channels` 3 (RGB) or 4 (RGBA).
void WriteInterlacedPng(const std::string& path, const Pixels& image);
void WriteJpeg(const std::string& path, const Pixels& image, int quality);
// Read back as RGB (RGBA when the file has alpha), 16-bit samples scaled to 8.
Pixels ReadPng(const std::string& path);

// A block of the lighting module's default settings (one spotlight), with `textureChannel`.
std::string LightingBlock(int textureChannel = 0);
// A block of the probe plug-in: its mode and texture channel (see tests/host/ProbePlugin.cpp).
enum ProbeMode {
    probeInvert = 0,
    probeInterrupt = 1,
    probeFail = 2,
    probeReport = 3,
    probeRewrite = 4,
    probeInterruptLast = 5
};
std::string ProbeBlock(ProbeMode mode, int textureChannel = 0);

void WriteBytes(const std::string& path, const std::string& bytes);
std::string ReadBytes(const std::string& path);

class CliTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    std::string Path(const std::string& name) const { return dir_ + "/" + name; }
    bool Exists(const std::string& name) const;
    // The names in the work folder (hidden ones included), sorted.
    std::vector<std::string> Listing() const;
    // `text` with each "@name" (up to a space, newline, comma, colon, quote or parenthesis) the path
    // of that file in the work folder.
    std::string Expand(const std::string& text) const;
    std::vector<std::string> Expand(const std::vector<std::string>& texts) const;
    // Runs `relight ARGS` (expanded) with HOME and the XDG and relight folders inside the work folder, and
    // `extraEnvironment` (NAME=VALUE entries, expanded) besides; its standard input is the work folder's
    // file "stdin" when there is one, else empty.
    RunResult Relight(const std::vector<std::string>& args,
                      const std::vector<std::string>& extraEnvironment = {}) const;
    // The same, calling `meanwhile` with the program's process id while it runs.
    RunResult RelightMeanwhile(const std::vector<std::string>& args,
                               const std::vector<std::string>& extraEnvironment,
                               const std::function<void(pid_t)>& meanwhile) const;
    // Runs `argv` (the program by its path) in the same environment.
    RunResult Program(const std::vector<std::string>& argv,
                      const std::vector<std::string>& extraEnvironment = {}) const;
    // The same on a pseudo-terminal; what the program writes to it comes back in `out`.
    RunResult RelightOnTerminal(const std::vector<std::string>& args) const;
    // Runs `relight ARGS`, expecting status 0.
    RunResult Succeeds(const std::vector<std::string>& args) const;
    // Runs `relight ARGS`, expecting it to refuse with status 2 and `message` opening its one line.
    void ExpectRefused(const std::vector<std::string>& args, const std::string& message) const;
    // The same with the probe plug-in loaded.
    RunResult Probe(std::vector<std::string> args) const;

  private:
    RunResult run(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnvironment,
                  const std::function<void(pid_t)>& meanwhile) const;

    std::string dir_;
};
