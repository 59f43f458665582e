#include "DialogScreen.h"

#include "Backend.h"
#include "FileHandle.h"
#include "HostError.h"

DialogScreen::DialogScreen(const Options& options)
    : script_(options.script), recording_(!options.record.empty()) {
    open(options.headless ? TBBackendKind::headless : TBBackendKind::sdl);
    std::string error;
    if (!script_.empty() &&
        !TBLoadInputScript(ReadWholeFile(script_, kMaxScriptBytes, "input script"), &error))
        BadInput("bad input script (" + script_ + ": " + error + ")", script_);
    if (recording_ && !TBStartRecording(options.record, &error))
        BadInput("cannot record the input (" + error + ")", options.record);
}

DialogScreen::DialogScreen(const std::string& script, const std::string& label)
    : script_(label), recording_(false) {
    open(TBBackendKind::headless);
    std::string error;
    if (!TBLoadInputScript(script, &error))
        BadInput("bad input script (" + error + ")", script_);
}

void DialogScreen::open(TBBackendKind kind) {
    TBBackendOptions backend;
    backend.kind = kind;
    backend.title = "relight";
    std::string error;
    if (!TBInitBackend(backend, &error))
        BadInput("cannot open a window (" + error + "); without a display use --headless --script FILE");
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
    return "wait 100\nchoose @20 " + name + "\nwait 100\nclick @1\n";
}
