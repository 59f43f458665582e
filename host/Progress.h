// A one-line progress bar on stderr, drawn only when stderr is a terminal and not silenced.
#pragma once

#include <cstdint>

class Progress {
  public:
    explicit Progress(bool quiet);
    ~Progress();

    void Report(std::uint16_t done, std::uint16_t total);

  private:
    bool shown_;
    bool drawn_ = false;
    int lastPercent_ = -1;
};
