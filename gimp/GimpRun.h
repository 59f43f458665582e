// One call of the GIMP procedure: the module run over a layer the way the run mode asks.
#pragma once

#include <libgimp/gimp.h>

#include <string>

// The procedure's name, also the key of the block GIMP keeps for Filters > Repeat.
constexpr const char* kProcedureName = "plug-in-relight";

// Read by an interactive run: an input script that drives the dialog on the headless screen,
// instead of a window (the scripts of relight edit --headless).
constexpr const char* kScriptVariable = "RELIGHT_GIMP_SCRIPT";

struct RunRequest {
    GimpRunMode mode = GIMP_RUN_INTERACTIVE;
    gint32 image = -1;
    gint32 drawable = -1;
    std::string style;     // non-interactive: the style to choose in the dialog
    std::string blockFile; // non-interactive: a parameter block to repeat
};

// Lights the layer: with the dialog (interactive, or a repeat before any run), opening as the last
// accepted dialog of this GIMP session closed, the style or block file (non-interactive), or the
// block of the last run (repeat). The result replaces the layer as
// one undo step, and its block is kept for the next repeat. Throws HostError (cancelled when the
// user cancelled), leaving the layer untouched.
void RunRelight(const RunRequest& request);
