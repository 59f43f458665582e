// The user's style folder as the program sees it: the folder the loaded module names, seeded with
// the shipped styles, listed in the order of the dialog's style popup, and changed only by whole
// files (a written style appears complete or not at all).
#pragma once

#include "PluginStyles.h"

#include <cstdint>
#include <string>
#include <vector>

// The folder of the compiled shipped styles: beside the program in the build tree, where an
// installation puts them (in a share folder, or in an editor plug-in's own folder), else where this
// build wrote them.
std::string ShippedStylesFolder();

class StyleLibrary {
  public:
    // Finds the style folder named by the loaded module (making it when missing) and copies in
    // every shipped style whose name is free there. Throws HostError when there is no folder or a
    // shipped style cannot be copied. `styles` outlives the library.
    explicit StyleLibrary(const PluginStyles& styles);

    // A style name as typed, made the name the dialog would store: blanks around it trimmed, a
    // leading period turned into an asterisk, cut to 31 bytes without splitting a character. Throws
    // HostError when nothing is left.
    std::string NameOf(const std::string& typed) const;
    // NameOf(`typed`), which must name a style of the folder; throws HostError otherwise.
    std::string ExistingName(const std::string& typed) const;

    // The undeletable style first when it is there, then the folder's styles in indexed order.
    std::vector<std::string> Names() const;
    // The name of the style the dialog will not delete.
    std::string DefaultName() const;
    // True when `name` names that style (letter case ignored, as file names are).
    bool IsDefault(const std::string& name) const;
    // True when `name` opens as a style (files of other kinds do not count).
    bool Contains(const std::string& name) const;
    // The style file's bytes; throws HostError when there is no style of that name.
    std::string Read(const std::string& name) const;
    // Stores `bytes` as the style `name`. An existing file is replaced only when `replace`, and a
    // locked one never; throws HostError saying why not.
    void Write(const std::string& name, const std::string& bytes, bool replace) const;
    // Throws the HostError Write would throw for want of permission, before any work is done; true
    // when a file of that name exists.
    bool CheckWritable(const std::string& name, bool replace) const;
    // Deletes the style; throws HostError when there is none or it is locked.
    void Erase(const std::string& name) const;

    // The file that holds the style `name` (as NameOf gives it).
    std::string PathOf(const std::string& name) const;

  private:
    void seed() const;
    // Throws why `name` is no style: the module's reason for a file of that name, else that there
    // is none.
    [[noreturn]] void refuseMissing(const std::string& name) const;

    const PluginStyles& styles_;
    std::int16_t volume_ = 0;
    long directory_ = 0;
};

// Seeds the style folder when the loaded module names one; a run that merely may use styles goes
// on without them when that fails.
void SeedStylesIfPossible(const PluginStyles& styles);

// The name of the style popup's entry `entry` (from 1, the listing order); empty when there is none
// (0, past the end, or no folder to name it).
std::string StyleAtEntry(const PluginStyles& styles, int entry);
