// The screen the module's dialog appears on: a real window, or the headless backend replaying an
// input script; optionally recording the session's input as a script.
#pragma once

#include "CommandLine.h"

class DialogScreen {
  public:
    // Opens the screen `options` ask for; throws HostError when it cannot.
    explicit DialogScreen(const Options& options);
    ~DialogScreen();
    DialogScreen(const DialogScreen&) = delete;
    DialogScreen& operator=(const DialogScreen&) = delete;

    // Throws HostError naming the script's failing line, when a line could not be carried out.
    void CheckScript() const;

  private:
    std::string script_;
    bool recording_;
};
