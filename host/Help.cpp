#include "Help.h"

namespace {

constexpr const char* kOverview = R"(relight: light an RGB image with coloured lights and a texture.

Usage:
  relight apply IN -o OUT [options]   repeat stored settings without a window
  relight edit IN -o OUT [options]    set the lights in the dialog, then write OUT
  relight about [--plugin PATH]       show what the program and its plug-in are
  relight COMMAND --help              the options of one command

Exit status: 0 done, 1 cancelled, 2 bad input, 3 the filter failed.

The last accepted settings are kept in $XDG_STATE_HOME/relight/last.block
(~/.local/state/relight/last.block when XDG_STATE_HOME is not set).
)";

constexpr const char* kCommonOptions =
    R"(  -o OUT                 the result (.png or .jpg); written whole or not at all
  --in-place             write the result over IN (instead of -o)
  --area X,Y,W,H         filter only this rectangle (left, top, width, height)
  --mask FILE            grey image of IN's size: 0 keeps the original, 255 takes the result
  --channel NAME=FILE    add a grey image as a document channel (usable as texture);
                         channels are Red, Green, Blue, IN's alpha, then these in order
  --save-params FILE     also store the accepted settings in FILE
  --quality N            JPEG quality, 1 to 100 (default 90)
  --plugin PATH          the plug-in to load (default: $RELIGHT_PLUGIN, or the one installed)
  --quiet                no progress bar
)";

constexpr const char* kApply = R"(relight apply IN -o OUT [--params FILE | --last] [options]

Lights IN with stored settings, without a window. The settings are a parameter block: the last
accepted settings (--last, the default) or a block saved with --save-params (--params FILE).

Options:
  --params FILE          the settings to apply
  --last                 the last accepted settings (the default), kept in
                         $XDG_STATE_HOME/relight/last.block
)";

constexpr const char* kApplyExamples = R"(
Examples:
  relight apply photo.png -o lit.png
  relight apply photo.jpg -o lit.jpg --params warm.block --quality 95
  relight apply photo.png -o lit.png --params relief.block --channel height=bumps.png
  relight apply photo.png --in-place --area 100,50,400,300 --mask selection.png
  for f in *.png; do relight apply "$f" -o "lit/$f" --quiet; done
)";

constexpr const char* kEdit = R"(relight edit IN -o OUT [options]

Opens the lighting dialog over IN. OK writes OUT and keeps the settings as the last ones (and in
the --save-params file); Cancel writes nothing.

Options:
  --headless             no window: the dialog runs on an invisible screen
  --script FILE          with --headless: replay this input script (one event a line); a script
                         that ends with the dialog still open leaves it with Cancel
  --record FILE          write the session's input to FILE as such a script
)";

constexpr const char* kEditExamples = R"(
Examples:
  relight edit photo.png -o lit.png
  relight edit photo.png -o lit.png --channel height=bumps.png --save-params relief.block
  relight edit photo.png -o lit.png --record session.txt
  relight edit photo.png -o lit.png --headless --script session.txt
)";

constexpr const char* kAbout = R"(relight about [--plugin PATH]

Shows the program's version, the plug-in it loads and the plug-in's about box.

Example:
  relight about --plugin build/default/module/relight-lighting.so
)";

} // namespace

std::string HelpText(const std::string& command) {
    if (command == "apply")
        return std::string(kApply) + kCommonOptions + kApplyExamples;
    if (command == "edit")
        return std::string(kEdit) + kCommonOptions + kEditExamples;
    if (command == "about")
        return kAbout;
    return kOverview;
}
