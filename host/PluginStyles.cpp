#include "PluginStyles.h"

#include <algorithm>
#include <cstring>
#include <dlfcn.h>

PascalName::PascalName(const std::string& text) {
    const std::size_t length = std::min<std::size_t>(text.size(), 255);
    bytes[0] = static_cast<unsigned char>(length);
    std::memcpy(bytes + 1, text.data(), length);
}

std::string PascalName::Text() const {
    return Text(bytes);
}

std::string PascalName::Text(ConstStr255Param name) {
    return std::string(reinterpret_cast<const char*>(name + 1), name[0]);
}

namespace {

template <typename Proc> void resolve(void* library, const char* name, Proc& proc, bool& all) {
    proc = reinterpret_cast<Proc>(dlsym(library, name));
    all = all && proc;
}

} // namespace

PluginStyles::PluginStyles(void* library) {
    bool all = true;
    resolve(library, kPluginStyleReadName, read_, all);
    resolve(library, kPluginStyleCheckName, check_, all);
    resolve(library, kPluginStyleFreeName, free_, all);
    resolve(library, kPluginStyleDescribeName, describe_, all);
    resolve(library, kPluginStyleBytesName, bytes_, all);
    resolve(library, kPluginStyleReadJSONName, readJSON_, all);
    resolve(library, kPluginStyleWriteJSONName, writeJSON_, all);
    resolve(library, kPluginStyleFolderName, folder_, all);
    resolve(library, kPluginStyleDefaultName, defaultName_, all);
    resolve(library, kPluginStyleCutName, cutName_, all);
    resolve(library, kPluginStyleOpensName, opens_, all);
    resolve(library, kPluginStyleIndexedName, indexedName_, all);
    resolve(library, kPluginStyleIsLockedName, isLocked_, all);
    resolve(library, kPluginStyleEraseName, erase_, all);
    available_ = all;
}

bool PluginStyles::Folder(std::int16_t& volume, long& directory) const {
    return available_ && folder_(&volume, &directory) != 0;
}

std::string PluginStyles::DefaultName() const {
    Str255 name = {0};
    defaultName_(name);
    return PascalName::Text(name);
}

std::string PluginStyles::CutName(const std::string& name) const {
    PascalName pascal(name);
    cutName_(pascal.bytes);
    return pascal.Text();
}

bool PluginStyles::Opens(const std::string& name) const {
    PascalName pascal(name);
    return opens_(pascal.bytes) != 0;
}

bool PluginStyles::IndexedName(std::int16_t index, std::string& name) const {
    Str255 found = {0};
    if (indexedName_(index, found) == 0)
        return false;
    name = PascalName::Text(found);
    return true;
}

bool PluginStyles::IsLocked(const std::string& name) const {
    PascalName pascal(name);
    return isLocked_(pascal.bytes) != 0;
}

bool PluginStyles::Erase(const std::string& name) const {
    PascalName pascal(name);
    return erase_(pascal.bytes) != 0;
}

StylePtr PluginStyles::Read(const std::string& bytes, int& result) const {
    PluginStyle* style = nullptr;
    result = read_(bytes.data(), bytes.size(), &style);
    return StylePtr(style, StyleDeleter{free_});
}

int PluginStyles::Check(const std::string& bytes, std::string& why) const {
    char reason[256];
    const int result = check_(bytes.data(), bytes.size(), reason, sizeof reason);
    why = reason;
    return result;
}

std::string PluginStyles::Describe(const PluginStyle& style) const {
    std::string text(describe_(&style, nullptr, 0), '\0');
    describe_(&style, text.data(), text.size() + 1);
    return text;
}

std::string PluginStyles::Bytes(const PluginStyle& style) const {
    std::string bytes(bytes_(&style, nullptr, 0), '\0');
    bytes_(&style, bytes.data(), bytes.size());
    return bytes;
}

StylePtr PluginStyles::ReadJSON(const std::string& text, std::string& name, std::string& why) const {
    PluginStyle* style = nullptr;
    Str255 named = {0};
    char reason[512] = "";
    if (readJSON_(text.data(), text.size(), &style, named, reason, sizeof reason) == filterMemFull)
        why = "out of memory";
    else
        why = reason;
    name = PascalName::Text(named);
    return StylePtr(style, StyleDeleter{free_});
}

std::string PluginStyles::WriteJSON(const PluginStyle& style, const std::string& name) const {
    const PascalName pascal(name);
    std::string text(writeJSON_(&style, pascal.bytes, nullptr, 0), '\0');
    writeJSON_(&style, pascal.bytes, text.data(), text.size() + 1);
    return text;
}
