#include "Progress.h"

#include <cstdio>
#include <string>
#include <utility>
#include <unistd.h>

namespace {
constexpr int kBarWidth = 40;
}

Progress::Progress(bool quiet, std::string label)
    : shown_(!quiet && isatty(STDERR_FILENO)), label_(std::move(label)) {}

Progress::~Progress() {
    if (drawn_)
        std::fputc('\n', stderr);
}

void Progress::Report(std::uint16_t done, std::uint16_t total) {
    if (!shown_ || total == 0)
        return;
    const int percent = int(std::uint32_t(done > total ? total : done) * 100u / total);
    if (percent == lastPercent_)
        return;
    lastPercent_ = percent;
    const int filled = percent * kBarWidth / 100;
    const std::string bar =
        std::string(std::size_t(filled), '#') + std::string(std::size_t(kBarWidth - filled), '.');
    std::fprintf(stderr, "\rrelight %s [%s] %3d%%", label_.c_str(), bar.c_str(), percent);
    std::fflush(stderr);
    drawn_ = true;
}
