// The command line: `relight COMMAND [options]`, parsed into one options record.
#pragma once

#include "Document.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

struct Options {
    std::string command;                // apply, edit, styles, about, help or version
    bool help = false;                  // --help after a command: show that command's help
    std::vector<std::string> arguments; // the words that are not options, in order
    std::string input;                  // the image being worked on: one of `arguments`
    std::string output;
    std::string params;    // stored block to apply; empty: the last settings
    std::string style;     // apply: the style to choose in the dialog; edit: the style to open with
    bool defaults = false; // edit: open with the default style, not the last settings
    std::string saveStyle; // apply, edit: keep the settings run with as this style too
    std::string name;      // styles import: the name to store under
    bool json = false;     // styles show, export: the JSON form
    bool force = false;    // styles: replace or delete what is otherwise kept; --in-place: lose what
                           // the file held; apply, edit: replace a read-only output
    std::vector<std::pair<std::string, std::string>> channels; // NAME, FILE
    std::optional<UserArea> area;
    std::string mask;
    std::string saveParams;
    std::string plugin;
    bool quiet = false;
    bool keepGoing = false; // apply: an image that fails is reported and the batch goes on
    std::string label;      // beside the progress bar: the image's name, "n/N name" in a batch
    bool inPlace = false;
    int quality = 90;
    int jobs = 0;                            // the filter's threads; 0: the machine's cores
    std::string format;                      // the output's format when not its extension
    long long maxPixels = kDefaultMaxPixels; // larger images are refused from their header
    bool headless = false;                   // edit: no window; the dialog is driven by `script`
    std::string script;                      // edit: input script to replay on the headless screen
    std::string record;                      // edit: file to write the session's input to, as a script
    int scale = 0; // edit: window pixels per dialog pixel (1, 2); 0: $RELIGHT_SCALE, else the display's
};

// Parses the arguments after the program name; throws HostError (bad input) naming what is wrong.
Options ParseCommandLine(const std::vector<std::string>& args);
// The dialog's scale, 1 or 2, from `text`; `what` (the option or variable) names it in the refusal.
int ParseScale(const std::string& text, const std::string& what);
