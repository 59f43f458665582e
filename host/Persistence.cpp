#include "Persistence.h"

#include "AtomicOutput.h"
#include "FileHandle.h"
#include "HostError.h"

#include <cstdio>
#include <cstdlib>
#include <pwd.h>
#include <unistd.h>
#include <filesystem>
#include <system_error>

namespace {

const char* const kNoHome = "no home folder for the last settings (set HOME or XDG_STATE_HOME)";

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// $HOME, else the account's home; empty when neither names a folder of the user's own (never the
// root of the file system or the working folder).
std::string homeFolder() {
    std::string home = environment("HOME");
    if (home.empty())
        if (const passwd* account = getpwuid(getuid()); account && account->pw_dir)
            home = account->pw_dir;
    return home.empty() || home == "/" || home[0] != '/' ? "" : home;
}

// `base` + `under`, or empty when there is no base.
std::string below(const std::string& base, const char* under) {
    return base.empty() ? "" : base + under;
}

} // namespace

std::string DataFolder() {
    if (const std::string home = environment("RELIGHT_HOME"); !home.empty())
        return home;
    if (const std::string data = environment("XDG_DATA_HOME"); !data.empty())
        return data + "/relight";
    return below(homeFolder(), "/.local/share/relight");
}

std::string StateFolder() {
    const std::string state = environment("XDG_STATE_HOME");
    if (!state.empty())
        return state + "/relight";
    return below(homeFolder(), "/.local/state/relight");
}

std::string LastBlockPath() {
    return StateFolder() + "/last.block";
}

std::string LastSettingsPath() {
    return StateFolder() + "/last.style";
}

namespace {

// The name of the style the dialog showed, beside the settings.
std::string lastStyleNamePath() {
    return LastSettingsPath() + "-name";
}

} // namespace

std::string ReadLastBlock() {
    if (StateFolder().empty())
        BadInput(kNoHome);
    const std::string path = LastBlockPath();
    std::error_code error;
    if (!std::filesystem::exists(path, error))
        BadInput("no last settings yet (use --params FILE, or accept the dialog of relight edit)", path);
    return ReadWholeFile(path, kMaxBlockBytes, "parameter block");
}

std::string ReadLastSettings(std::string& style) {
    const std::string path = LastSettingsPath();
    std::error_code error;
    if (StateFolder().empty() || !std::filesystem::exists(path, error))
        return {};
    try {
        style = std::filesystem::exists(lastStyleNamePath(), error)
                    ? ReadWholeFile(lastStyleNamePath(), 255, "style name")
                    : "";
        return ReadWholeFile(path, kMaxStyleBytes, "style file");
    } catch (const HostError& failure) {
        Warn("the last settings were not read", failure.what(), path);
        return {};
    }
}

void Warn(const std::string& what, const std::string& cause, const std::string& file) {
    const std::string where = file.empty() ? "" : ": " + file;
    std::fprintf(stderr, "relight: warning: %s (%s)%s\n", what.c_str(), cause.c_str(), where.c_str());
}

void KeepLastSettings(const std::string& block, const std::string& settings, const std::string& style) {
    try {
        if (StateFolder().empty())
            BadInput(kNoHome);
        std::error_code error;
        std::filesystem::create_directories(StateFolder(), error);
        if (error)
            BadInput("cannot create the state folder (" + error.message() + ")", StateFolder());
        WriteFileAtomically(LastBlockPath(), block);
        if (settings.empty())
            return;
        WriteFileAtomically(LastSettingsPath(), settings);
        WriteFileAtomically(lastStyleNamePath(), style);
    } catch (const HostError& failure) {
        Warn("the last settings were not kept", failure.what(), failure.File());
    }
}
