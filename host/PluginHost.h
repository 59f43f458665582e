// The loaded filter module: its entry point, its block check and its style functions; one a process.
#pragma once

#include "PluginStyles.h"
#include "relight_filter.h"

#include <cstdint>
#include <string>

// The folder of the running program: what ships with it is found relative to it.
std::string ExecutableFolder();

class PluginHost {
  public:
    // Loads the module at `path`; throws HostError (filter failure) when it cannot be loaded or
    // lacks an entry point.
    explicit PluginHost(const std::string& path);
    ~PluginHost();
    PluginHost(const PluginHost&) = delete;
    PluginHost& operator=(const PluginHost&) = delete;

    // The module found by the documented search: `explicitPath` when given, else
    // $RELIGHT_PLUGIN, else the module beside the program or where the build put it.
    static std::string Locate(const std::string& explicitPath);

    std::int16_t Call(std::int16_t selector, void* record);
    // Empty when the module accepts the stored block; otherwise its reason.
    std::string CheckParameters(const std::string& block) const;
    // The threads the module shades with, the caller's included; 0: the machine's cores. Nothing
    // happens with a module that takes no thread count.
    void SetThreads(int threads) const;
    // The module's about box as text; empty when it offers none.
    std::string AboutText() const;
    // The settings the module keeps after an accepted dialog, as a style file's bytes; empty when
    // it keeps none or offers no such call.
    std::string Settings() const;
    // The entry of the style popup (from 1) the last dialog showed as it closed; 0 when none.
    int SettingsStyleEntry() const;
    // Has the dialog of the run just started open with `settings` (a style file's bytes), its style
    // popup showing `style`; the module's style result, or styleNoErr when it offers no such call.
    int OpenDialogWith(const std::string& settings, const std::string& style);
    const std::string& Path() const { return path_; }
    // The module's style functions; none are available when it exports none.
    const PluginStyles& Styles() const { return styles_; }

  private:
    std::string path_;
    void* library_ = nullptr;
    PluginMainProc main_ = nullptr;
    PluginCheckParametersProc check_ = nullptr;
    PluginSetThreadsProc setThreads_ = nullptr;
    PluginAboutTextProc aboutText_ = nullptr;
    decltype(&PluginSettingsWrite) settingsWrite_ = nullptr;
    decltype(&PluginSettingsRead) settingsRead_ = nullptr;
    decltype(&PluginSettingsStyleEntry) settingsStyleEntry_ = nullptr;
    PluginStyles styles_;
};
