#include "PluginHost.h"

#include "HostError.h"
#include "PluginStyles.h"

#include <cstdlib>
#include <dlfcn.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char* kPluginFile = "relight-lighting.so";

// The word the module keeps its settings object in. The module never releases that object after a
// successful run, so the word lives as long as the process: the object stays reachable to the end.
std::intptr_t moduleWord = 0;

bool exists(const std::string& path) {
    return access(path.c_str(), R_OK) == 0;
}

[[noreturn]] void loadFailure(const std::string& cause, const std::string& path) {
    throw HostError(ExitStatus::filterFailed, cause, path);
}

} // namespace

std::string ExecutableFolder() {
    std::vector<char> path(4096);
    const ssize_t n = readlink("/proc/self/exe", path.data(), path.size() - 1);
    if (n <= 0)
        return {};
    const std::string exe(path.data(), std::size_t(n));
    return exe.substr(0, exe.rfind('/'));
}

std::string PluginHost::Locate(const std::string& explicitPath) {
    if (!explicitPath.empty())
        return explicitPath;
    if (const char* fromEnvironment = std::getenv("RELIGHT_PLUGIN"); fromEnvironment && *fromEnvironment)
        return fromEnvironment;
    const std::string here = ExecutableFolder();
    for (const std::string& candidate : {here + "/" + kPluginFile, here + "/../module/" + kPluginFile,
                                         here + "/../lib/relight/" + kPluginFile})
        if (exists(candidate))
            return candidate;
    return RELIGHT_BUILT_PLUGIN;
}

PluginHost::PluginHost(const std::string& path) : path_(path) {
    if (!exists(path))
        loadFailure("plug-in not found", path);
    library_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library_)
        loadFailure(std::string("cannot load plug-in (") + dlerror() + ")", path);
    main_ = reinterpret_cast<PluginMainProc>(dlsym(library_, kPluginMainName));
    check_ = reinterpret_cast<PluginCheckParametersProc>(dlsym(library_, kPluginCheckParametersName));
    if (!main_ || !check_) {
        dlclose(library_);
        loadFailure("not a relight plug-in (entry points missing)", path);
    }
    setThreads_ = reinterpret_cast<PluginSetThreadsProc>(dlsym(library_, kPluginSetThreadsName));
    aboutText_ = reinterpret_cast<PluginAboutTextProc>(dlsym(library_, kPluginAboutTextName));
    settingsWrite_ = reinterpret_cast<decltype(settingsWrite_)>(dlsym(library_, kPluginSettingsWriteName));
    settingsRead_ = reinterpret_cast<decltype(settingsRead_)>(dlsym(library_, kPluginSettingsReadName));
    settingsStyleEntry_ =
        reinterpret_cast<decltype(settingsStyleEntry_)>(dlsym(library_, kPluginSettingsStyleEntryName));
    styles_ = PluginStyles(library_);
}

PluginHost::~PluginHost() {
    dlclose(library_);
}

std::int16_t PluginHost::Call(std::int16_t selector, void* record) {
    std::int16_t result = 0;
    main_(selector, record, &moduleWord, &result);
    return result;
}

void PluginHost::SetThreads(int threads) const {
    if (setThreads_)
        setThreads_(threads);
}

std::string PluginHost::AboutText() const {
    if (!aboutText_)
        return {};
    std::string text(aboutText_(nullptr, 0), '\0');
    aboutText_(text.data(), text.size() + 1);
    return text;
}

std::string PluginHost::CheckParameters(const std::string& block) const {
    char why[256] = "";
    if (check_(block.data(), block.size(), why, sizeof why) == 0)
        return {};
    return why[0] ? why : "refused by the plug-in";
}

std::string PluginHost::Settings() const {
    if (!settingsWrite_)
        return {};
    std::string bytes(settingsWrite_(&moduleWord, nullptr, 0), '\0');
    settingsWrite_(&moduleWord, bytes.data(), bytes.size());
    return bytes;
}

int PluginHost::SettingsStyleEntry() const {
    return settingsStyleEntry_ ? settingsStyleEntry_(&moduleWord) : 0;
}

int PluginHost::OpenDialogWith(const std::string& settings, const std::string& style) {
    if (!settingsRead_)
        return styleNoErr;
    const PascalName name(style);
    return settingsRead_(&moduleWord, settings.data(), settings.size(), name.bytes);
}
