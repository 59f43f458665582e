#include "Progress.h"

#include <cstdio>
#include <string>
#include <unistd.h>

namespace {
constexpr int kBarWidth = 40;
}

Progress::Progress(bool quiet) : shown_(!quiet && isatty(STDERR_FILENO)) {}

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
    std::fprintf(stderr, "\rrelight [%s] %3d%%", bar.c_str(), percent);
    std::fflush(stderr);
    drawn_ = true;
}
