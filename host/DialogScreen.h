// The screen the module's dialog appears on: a real window, or the headless backend replaying an
// input script; optionally recording the session's input as a script.
#pragma once

#include "Backend.h"
#include "CommandLine.h"

class DialogScreen {
  public:
    // Opens the screen `options` ask for; throws HostError when it cannot, its message ending with
    // `withoutDisplay` (what to do instead, in the host's terms) when there is no display.
    DialogScreen(const Options& options, const std::string& withoutDisplay);
    // The headless screen replaying `script` (its text); `label` names it in errors.
    DialogScreen(const std::string& script, const std::string& label);
    ~DialogScreen();
    DialogScreen(const DialogScreen&) = delete;
    DialogScreen& operator=(const DialogScreen&) = delete;

    // Throws HostError naming the script's failing line, when a line could not be carried out.
    void CheckScript() const;

  private:
    // `scale` 0 lets the backend choose from the display; the title names the image.
    void open(TBBackendKind kind, int scale, const std::string& title, const std::string& withoutDisplay);

    std::string script_; // the script's file or label; empty when there is none
    bool recording_;
};

// The input that chooses the style `name` in the dialog and presses OK, as a user would.
std::string StyleChoiceScript(const std::string& name);
