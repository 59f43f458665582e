#include "Help.h"

namespace {

constexpr const char* kOverview = R"(relight: light an RGB image with coloured lights and a texture.

Usage:
  relight apply IN -o OUT [options]   repeat stored settings or a style without a window
  relight apply IN... -o FOLDER/      the same over several images
  relight edit IN -o OUT [options]    set the lights in the dialog, then write OUT
  relight styles ACTION [...]         list, show, import, export or delete styles
  relight about [--plugin PATH]       show what the program and its plug-in are
  relight --version, -V               the program's version
  relight COMMAND --help              the options of one command

Exit status: 0 done, 1 cancelled, 2 bad input, 3 the filter failed.

No output may be a file the run reads or another output (by name or through a link); a link is
written through, a device or pipe is refused, a read-only file is replaced only with --force.

Only an accepted dialog (relight edit, OK) changes the last settings: plain apply repeats them
and the next edit opens with them. They are kept in $XDG_STATE_HOME/relight (last.block and
last.style; ~/.local/state/relight when XDG_STATE_HOME is not set). Styles are kept in a
folder in $RELIGHT_HOME (else $XDG_DATA_HOME/relight, else ~/.local/share/relight). Without
HOME, ~ is the account's home; when the last settings cannot be kept, the run only warns.
)";

constexpr const char* kCommonOptions =
    R"(  -o OUT                 the result (.png, .jpg, .tif or .webp); written whole or not at all
  --in-place             write the result over IN (instead of -o); refused when IN's format
                         would lose its alpha, 16-bit depth or metadata
  --format FORMAT        the result's format, png, jpeg, tiff or webp (default: OUT's
                         extension; needed for -o -)
  --area X,Y,W,H         filter only this rectangle (left, top, width, height)
  --mask FILE            grey image of IN's size: 0 keeps the original, 255 takes the result
  --channel NAME=FILE    add a grey image as a document channel (usable as texture);
                         channels are Red, Green, Blue, IN's alpha, then these in order
  --save-params FILE     also store the settings run with in FILE (a parameter block)
  --save-style NAME      also keep the settings run with as the style NAME (--force
                         replaces a style of that name; not with --params)
  --force                replace a read-only output; with --in-place, write even when IN's
                         format would lose something
  --quality N            JPEG and WebP quality, 1 to 100 (default 90; WebP at 100 is lossless)
  --max-pixels N         refuse images (and masks, channels) of more than N pixels, from
                         their header, before reading them (default 250000000)
  --plugin PATH          the plug-in to load (default: $RELIGHT_PLUGIN, or the one installed)
  --jobs N               shade with N threads (default: one a core)
  --quiet                no progress bar
)";

constexpr const char* kApply = R"(relight apply IN -o OUT [--style NAME | --params FILE | --last] [options]
relight apply IN... -o FOLDER/ [...]

Lights IN without a window. With --style, the dialog runs unseen: it chooses the style and
presses OK, so the result is exactly what the dialog gives. Otherwise the settings are a
parameter block: the last accepted settings (--last, the default) or a block saved with
--save-params (--params FILE). Neither --style nor --params changes the last settings.

Several images (or -o naming a folder) write each result into the folder under its image's file
name; a folder given with a trailing '/' is made when missing. The run stops at the first image
that fails (the results written before it are complete) unless --keep-going is given.

Options:
  --style NAME           the style to apply (see relight styles list)
  --keep-going           light every image that can be lit; name each failure, end with how
                         many failed and exit 2
  --params FILE          the settings to apply
  --last                 the last accepted settings (the default), kept in
                         $XDG_STATE_HOME/relight/last.block
)";

constexpr const char* kApplyExamples = R"(
Examples:
  relight apply photo.png -o lit.png
  relight apply photo.png -o lit.png --style "Stage Trio"
  relight apply *.jpg -o lit/ --style "Warm Lamp" --quiet
  relight apply photo.jpg -o lit.jpg --params warm.block --quality 95
  relight apply photo.png -o lit.png --params relief.block --channel height=bumps.png
  relight apply photo.png --in-place --area 100,50,400,300 --mask selection.png
  relight apply *.png --in-place --params warm.block
)";

constexpr const char* kEdit = R"(relight edit IN -o OUT [options]

Opens the lighting dialog over IN with the last accepted settings (the default style the first
time). OK writes OUT and keeps the settings as the last ones (and in the --save-params file);
Cancel writes nothing. Ctrl-C, SIGTERM and SIGHUP cancel the dialog. Damaged last settings are
left alone with a warning, and the dialog opens with the default style.

Options:
  --style NAME           open with this style chosen
  --defaults             open with the default style
  --headless             no window: the dialog runs on an invisible screen (without a
                         display, edit ends at once with status 2 unless this is given)
  --script FILE          with --headless: replay this input script (one event a line); a script
                         that ends with the dialog still open leaves it with Cancel
  --record FILE          write the session's input to FILE as such a script
  --scale 1|2            window (and --headless snapshot) pixels per dialog pixel, drawn crisp;
                         without it RELIGHT_SCALE, else 2 on a dense display (a high DPI, or a
                         screen twice the dialog's)
)";

constexpr const char* kEditExamples = R"(
Examples:
  relight edit photo.png -o lit.png
  relight edit photo.png -o lit.png --channel height=bumps.png --save-params relief.block
  relight edit photo.png -o lit.png --style Night --save-style "My Night"
  relight edit photo.png -o lit.png --record session.txt
  relight edit photo.png -o lit.png --headless --script session.txt
)";

constexpr const char* kAbout = R"(relight about [--plugin PATH]

Prints the program's version and the plug-in it loads, then shows the plug-in's about box in a
window (without a display, prints its text).

Example:
  relight about --plugin build/default/module/relight-lighting.so
)";

constexpr const char* kStyles =
    R"(relight styles list | show NAME | import FILE | export NAME FILE | delete NAME

Styles are named set-ups (surface, ambient light, texture and lights), one file each in the style
folder, listed in the dialog's style popup. The styles that ship with relight are copied into the
folder when a name is missing there; a file of that name is never replaced.

  list                   the style names, in the order of the dialog's popup
  show NAME              what the style holds: surface, ambient light, texture, lights, with
                         values as the dialog shows them; --json: the JSON form
  import FILE            takes a style file or its JSON form into the folder (checked first:
                         a damaged file or bad JSON is refused); named --name NAME, else as
                         the JSON says, else after FILE without its extension
  export NAME FILE       writes the style to FILE: JSON when FILE ends in .json, is - (standard
                         output) or --json is given, else a style file
  delete NAME            deletes the style; the default style only with --force

A name is UTF-8, matched with letter case ignored; spaces around it are dropped (as in the
dialog's Save); it is cut to 31 bytes (never inside a character); a '/' in it is kept as ':' on
disk.

Options:
  --name NAME            import: the name to store the style under
  --json                 show, export: the JSON form
  --force                import: replace a style of that name; export: replace FILE;
                         delete: also the default style
  --plugin PATH          the plug-in whose style folder to use

Examples:
  relight styles list
  relight styles show "Stage Trio"
  relight styles import ~/Downloads/dusk.style --name Dusk
  relight styles export Night night.json
  relight styles show Night --json > my-night.json
  relight styles delete Dusk
)";

} // namespace

std::string HelpText(const std::string& command) {
    if (command == "apply")
        return std::string(kApply) + kCommonOptions + kApplyExamples;
    if (command == "edit")
        return std::string(kEdit) + kCommonOptions + kEditExamples;
    if (command == "about")
        return kAbout;
    if (command == "styles")
        return kStyles;
    return kOverview;
}
