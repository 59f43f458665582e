// The one way the program fails: a cause, the file it concerns, and the exit status it leads to.
#pragma once

#include <new>
#include <stdexcept>
#include <string>

enum class ExitStatus : int {
    ok = 0,
    cancelled = 1,    // the user stopped the run
    badInput = 2,     // a file, option or parameter block the program cannot use
    filterFailed = 3, // the filter could not be loaded or ended with an error
};

class HostError : public std::runtime_error {
  public:
    HostError(ExitStatus status, const std::string& cause, std::string file = {})
        : std::runtime_error(cause), status_(status), file_(std::move(file)) {}

    ExitStatus Status() const { return status_; }
    const std::string& File() const { return file_; }
    // "relight: <cause>: <file>", or without the file when there is none.
    std::string Line() const {
        return "relight: " + std::string(what()) + (file_.empty() ? "" : ": " + file_);
    }

  private:
    ExitStatus status_;
    std::string file_;
};

// Shorthand for the most common failure: input the program cannot use.
[[noreturn]] inline void BadInput(const std::string& cause, const std::string& file = {}) {
    throw HostError(ExitStatus::badInput, cause, file);
}

// Runs `step`, whose memory is sized by the input `file`: running out of memory is that input's
// fault, and says so.
template <class Step> auto WithMemoryFor(const std::string& file, Step&& step) {
    try {
        return step();
    } catch (const std::bad_alloc&) {
        BadInput("not enough memory for this image", file);
    }
}
