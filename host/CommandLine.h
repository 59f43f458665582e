// The command line: `relight COMMAND [options]`, parsed into one options record.
#pragma once

#include "Document.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

struct Options {
    std::string command; // apply, edit, about, or help
    bool help = false;   // --help after a command: show that command's help
    std::string input;
    std::string output;
    std::string params; // stored block to apply; empty: the last settings
    std::vector<std::pair<std::string, std::string>> channels; // NAME, FILE
    std::optional<UserArea> area;
    std::string mask;
    std::string saveParams;
    std::string plugin;
    bool quiet = false;
    bool inPlace = false;
    int quality = 90;
    bool headless = false; // edit: no window; the dialog is driven by `script`
    std::string script;    // edit: input script to replay on the headless screen
    std::string record;    // edit: file to write the session's input to, as a script
};

// Parses the arguments after the program name; throws HostError (bad input) naming what is wrong.
Options ParseCommandLine(const std::vector<std::string>& args);
