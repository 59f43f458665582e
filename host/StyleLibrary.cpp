#include "StyleLibrary.h"

#include "AtomicOutput.h"
#include "FileHandle.h"
#include "Files.h"
#include "HostError.h"
#include "PluginHost.h"
#include "StyleSummary.h"
#include "TextUtils.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace {

// Kept in the style folder, so that it goes with the folder; it never opens as a style.
constexpr const char* kSeededRecord = ".shipped styles";

// Gives the file the type and creator the dialog's saves have.
void markAsStyle(std::int16_t volume, long directory, const PascalName& name) {
    const FInfo info{kStyleFileType, kStyleFileCreator, 0, {0, 0}, 0};
    HSetFInfo(volume, directory, name.bytes, &info);
}

} // namespace

std::string StyleLibrary::NameOf(const std::string& typed) const {
    const std::size_t first = typed.find_first_not_of(" \t");
    if (first == std::string::npos)
        BadInput("a style name must not be empty");
    std::string name = typed.substr(first, typed.find_last_not_of(" \t") - first + 1);
    for (const char c : name)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            BadInput("a style name cannot hold control characters");
    if (name[0] == '.')
        name[0] = '*'; // a leading period would hide the file
    return styles_.CutName(name);
}

std::string StyleLibrary::ExistingName(const std::string& typed) const {
    const std::string name = NameOf(typed);
    if (!Contains(name))
        refuseMissing(name);
    return name;
}

void StyleLibrary::refuseMissing(const std::string& name) const {
    const std::string path = PathOf(name);
    std::error_code error;
    if (std::filesystem::is_regular_file(path, error))
        RefuseDamagedStyle(styles_, ReadWholeFile(path, kMaxStyleBytes, "style file"), path);
    BadInput("no style named '" + name + "' (see relight styles list)");
}

std::string ShippedStylesFolder() {
    const std::string here = ExecutableFolder();
    for (const std::string& candidate :
         {here + "/../share/styles", here + "/../share/relight/styles", here + "/styles"})
        if (std::filesystem::is_directory(candidate))
            return candidate;
    return RELIGHT_SHIPPED_STYLES;
}

StyleLibrary::StyleLibrary(const PluginStyles& styles) : styles_(styles) {
    if (!styles_.Folder(volume_, directory_))
        BadInput("no style folder (the plug-in names none, or it cannot be made)", TBFilesRoot());
    seed();
}

void StyleLibrary::seed() const {
    // The shipped names offered before: a style the user deleted stays deleted, a newly shipped one
    // still arrives.
    const std::string record = PathOf(kSeededRecord);
    std::error_code error;
    std::string offered = std::filesystem::exists(record, error) ? ReadWholeFile(record) : "";
    const std::string before = offered;
    for (const auto& entry : std::filesystem::directory_iterator(ShippedStylesFolder(), error)) {
        const std::string name = entry.path().filename().string();
        if (!entry.is_regular_file() || offered.find("\n" + name + "\n") != std::string::npos)
            continue;
        offered += (offered.empty() ? "\n" : "") + name + "\n";
        FInfo info{};
        const PascalName pascal(name);
        if (HGetFInfo(volume_, directory_, pascal.bytes, &info) != fnfErr)
            continue; // whatever has that name is the user's
        AtomicOutput out(PathOf(name));
        const std::string bytes = ReadWholeFile(entry.path().string());
        if (std::fwrite(bytes.data(), 1, bytes.size(), out.Stream()) != bytes.size())
            BadInput("cannot copy a shipped style", out.Target());
        if (out.CommitIfAbsent())
            markAsStyle(volume_, directory_, pascal);
    }
    if (offered != before)
        WriteFileAtomically(record, offered);
}

std::string StyleLibrary::PathOf(const std::string& name) const {
    PascalName pascal(name);
    std::string path;
    if (TBFilesEntryPath(volume_, directory_, pascal.bytes, &path) != noErr)
        BadInput("'" + name + "' cannot be a file name");
    return path;
}

std::string StyleLibrary::DefaultName() const {
    return styles_.DefaultName();
}

bool StyleLibrary::IsDefault(const std::string& name) const {
    const PascalName a(name), b(DefaultName());
    return EqualString(a.bytes, b.bytes, false, false);
}

std::vector<std::string> StyleLibrary::Names() const {
    std::vector<std::string> names;
    const std::string first = DefaultName();
    if (!first.empty() && styles_.Opens(first))
        names.push_back(first);
    std::string name;
    for (std::int16_t index = 0; styles_.IndexedName(index, name); ++index)
        if (!IsDefault(name))
            names.push_back(name);
    return names;
}

bool StyleLibrary::Contains(const std::string& name) const {
    return styles_.Opens(name);
}

std::string StyleLibrary::Read(const std::string& name) const {
    if (!Contains(name))
        refuseMissing(name);
    return ReadWholeFile(PathOf(name));
}

bool StyleLibrary::CheckWritable(const std::string& name, bool replace) const {
    const PascalName pascal(name);
    FInfo info{};
    const bool exists = HGetFInfo(volume_, directory_, pascal.bytes, &info) != fnfErr;
    if (exists && !replace)
        BadInput("a style named '" + name + "' exists already (--force replaces it)");
    if (styles_.IsLocked(name))
        BadInput("the style file is locked and cannot be replaced", PathOf(name));
    return exists;
}

void StyleLibrary::Write(const std::string& name, const std::string& bytes, bool replace) const {
    const std::string path = PathOf(name);
    const PascalName pascal(name);
    const bool exists = CheckWritable(name, replace);
    AtomicOutput out(path);
    if (std::fwrite(bytes.data(), 1, bytes.size(), out.Stream()) != bytes.size())
        BadInput("cannot write the style", out.Target());
    if (exists)
        out.Commit();
    else if (!out.CommitIfAbsent())
        BadInput("a style named '" + name + "' appeared meanwhile", out.Target());
    markAsStyle(volume_, directory_, pascal);
}

void StyleLibrary::Erase(const std::string& name) const {
    if (!Contains(name))
        refuseMissing(name);
    if (styles_.IsLocked(name))
        BadInput("the style file is locked and cannot be deleted", PathOf(name));
    if (!styles_.Erase(name))
        BadInput("cannot delete the style", PathOf(name));
}

void SeedStylesIfPossible(const PluginStyles& styles) {
    try {
        StyleLibrary library(styles);
    } catch (const HostError&) {
        // The dialog lists what the folder holds; without a folder it shows an empty popup.
    }
}

std::string StyleAtEntry(const PluginStyles& styles, int entry) {
    if (entry <= 0)
        return {};
    try {
        const std::vector<std::string> names = StyleLibrary(styles).Names();
        return std::size_t(entry) <= names.size() ? names[std::size_t(entry) - 1] : "";
    } catch (const HostError&) {
        return {};
    }
}
