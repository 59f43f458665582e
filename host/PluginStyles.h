// The loaded module's style functions in the program's terms: names as strings, a read style as an
// owning pointer. Every style operation of the program goes through here.
#pragma once

#include "relight_filter.h"

#include <cstdint>
#include <memory>
#include <string>

// A string as a Pascal name (cut to 255 bytes) for the Toolbox and the module.
struct PascalName {
    Str255 bytes;

    explicit PascalName(const std::string& text);
    std::string Text() const;
    static std::string Text(ConstStr255Param name);
};

struct StyleDeleter {
    decltype(&PluginStyleFree) free = nullptr;
    void operator()(PluginStyle* style) const { free(style); }
};
using StylePtr = std::unique_ptr<PluginStyle, StyleDeleter>;

class PluginStyles {
  public:
    // Resolves the style functions of the module loaded as `library` (a handle from dlopen); a
    // module that lacks any of them offers no styles.
    explicit PluginStyles(void* library);
    PluginStyles() = default; // offers no styles

    bool Available() const { return available_; }
    // The style folder; false when there is none (or the module offers no styles).
    bool Folder(std::int16_t& volume, long& directory) const;
    // The style the dialog lists first and never deletes; empty when there is none.
    std::string DefaultName() const;
    // `name` as the style folder stores it (cut to 31 bytes at a character boundary).
    std::string CutName(const std::string& name) const;
    // True when the folder's file `name` begins as a style file does.
    bool Opens(const std::string& name) const;
    // The index-th style's name in listing order; false past the last.
    bool IndexedName(std::int16_t index, std::string& name) const;
    // True when the style file exists but may not be written.
    bool IsLocked(const std::string& name) const;
    // True when the style file is gone.
    bool Erase(const std::string& name) const;
    // The style in `bytes`; null with the module's result code in `result` when it is refused.
    StylePtr Read(const std::string& bytes, int& result) const;
    // The module's verdict on `bytes` as a style (PluginStyleCheck), with its reason in `why`.
    int Check(const std::string& bytes, std::string& why) const;
    // The module's summary of the style, one line per item.
    std::string Describe(const PluginStyle& style) const;
    // The style file's bytes.
    std::string Bytes(const PluginStyle& style) const;
    // The style in JSON `text`, with its "name"; null with the module's reason in `why` when it is
    // refused (or out of memory).
    StylePtr ReadJSON(const std::string& text, std::string& name, std::string& why) const;
    // The style as JSON named `name`.
    std::string WriteJSON(const PluginStyle& style, const std::string& name) const;

  private:
    bool available_ = false;
    decltype(&PluginStyleRead) read_ = nullptr;
    decltype(&PluginStyleCheck) check_ = nullptr;
    decltype(&PluginStyleFree) free_ = nullptr;
    decltype(&PluginStyleDescribe) describe_ = nullptr;
    decltype(&PluginStyleBytes) bytes_ = nullptr;
    decltype(&PluginStyleReadJSON) readJSON_ = nullptr;
    decltype(&PluginStyleWriteJSON) writeJSON_ = nullptr;
    decltype(&PluginStyleFolder) folder_ = nullptr;
    decltype(&PluginStyleDefault) defaultName_ = nullptr;
    decltype(&PluginStyleCut) cutName_ = nullptr;
    decltype(&PluginStyleOpens) opens_ = nullptr;
    decltype(&PluginStyleIndexed) indexedName_ = nullptr;
    decltype(&PluginStyleIsLocked) isLocked_ = nullptr;
    decltype(&PluginStyleErase) erase_ = nullptr;
};
