#include "DialogScreen.h"

#include "Backend.h"
#include "FileHandle.h"
#include "HostError.h"

#include <cstdlib>
#include <filesystem>

namespace {

// Room around the dialog on a screen that takes the dialog's size.
constexpr std::int16_t kScreenMargin = 16;

// --scale, else $RELIGHT_SCALE, else 0: the window's backend asks the display.
int windowScale(const Options& options) {
    if (options.scale)
        return options.scale;
    const char* asked = std::getenv("RELIGHT_SCALE");
    return asked && *asked ? ParseScale(asked, "RELIGHT_SCALE") : 0;
}

} // namespace

DialogScreen::DialogScreen(const Options& options, const std::string& withoutDisplay)
    : script_(options.script), recording_(!options.record.empty()) {
    open(options.headless ? TBBackendKind::headless : TBBackendKind::sdl, windowScale(options),
         "relight — " + std::filesystem::path(options.input).filename().string(), withoutDisplay);
    std::string error;
    if (!script_.empty() &&
        !TBLoadInputScript(ReadWholeFile(script_, kMaxScriptBytes, "input script"), &error))
        BadInput("bad input script (" + script_ + ": " + error + ")", script_);
    if (recording_ && !TBStartRecording(options.record, &error))
        BadInput("cannot record the input (" + error + ")", options.record);
}

DialogScreen::DialogScreen(const std::string& script, const std::string& label)
    : script_(label), recording_(false) {
    open(TBBackendKind::headless, 1, "relight", "");
    std::string error;
    if (!TBLoadInputScript(script, &error))
        BadInput("bad input script (" + error + ")", script_);
}

void DialogScreen::open(TBBackendKind kind, int scale, const std::string& title,
                        const std::string& withoutDisplay) {
    TBBackendOptions backend;
    backend.kind = kind;
    backend.scale = scale;
    backend.title = title;
    backend.fitMargin = kScreenMargin;
    std::string error;
    if (!TBInitBackend(backend, &error))
        BadInput("cannot open a window (" + error + "); " + withoutDisplay);
}

DialogScreen::~DialogScreen() {
    if (recording_)
        TBStopRecording();
    TBShutdownBackend();
}

void DialogScreen::CheckScript() const {
    if (!script_.empty() && !TBScriptError().empty())
        BadInput("input script stopped (" + TBScriptError() + ")", script_);
}

std::string StyleChoiceScript(const std::string& name) {
    return "choose @20 " + name + "\nclick @1\n";
}
