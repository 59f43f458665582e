#include "Persistence.h"

#include "AtomicOutput.h"
#include "FileHandle.h"
#include "HostError.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

} // namespace

std::string DataFolder() {
    if (const std::string home = environment("RELIGHT_HOME"); !home.empty())
        return home;
    if (const std::string data = environment("XDG_DATA_HOME"); !data.empty())
        return data + "/relight";
    const char* home = std::getenv("HOME");
    return std::string(home ? home : ".") + "/.local/share/relight";
}

std::string StateFolder() {
    const std::string state = environment("XDG_STATE_HOME");
    if (!state.empty())
        return state + "/relight";
    return environment("HOME") + "/.local/state/relight";
}

std::string LastBlockPath() {
    return StateFolder() + "/last.block";
}

std::string ReadLastBlock() {
    const std::string path = LastBlockPath();
    std::error_code error;
    if (!std::filesystem::exists(path, error))
        BadInput("no last settings yet (use --params FILE, or accept the dialog of relight edit)", path);
    return ReadWholeFile(path, kMaxBlockBytes, "parameter block");
}

void SaveLastBlock(const std::string& block) {
    std::error_code error;
    std::filesystem::create_directories(StateFolder(), error);
    if (error)
        BadInput("cannot create the state folder (" + error.message() + ")", StateFolder());
    WriteFileAtomically(LastBlockPath(), block);
}
