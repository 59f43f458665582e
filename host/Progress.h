// A one-line progress bar on stderr, drawn only when stderr is a terminal and not silenced, headed by
// what is being lit.
#pragma once

#include <cstdint>
#include <string>

class Progress {
  public:
    Progress(bool quiet, std::string label);
    ~Progress();

    void Report(std::uint16_t done, std::uint16_t total);

  private:
    bool shown_;
    std::string label_;
    bool drawn_ = false;
    int lastPercent_ = -1;
};
