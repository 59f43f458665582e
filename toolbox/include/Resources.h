// Resource Manager over resources embedded in the program and its loaded modules. Each embedded
// set is a "resource file"; the newest registered file is searched first.
// Resources are read whole through the chain: no search of one file alone, no releasing a single
// resource (removing its file frees them), and strings come from STR# lists only.
#pragma once

#include "Types.h"

constexpr OSErr resNotFound = -192;
constexpr OSErr resFNotFound = -193;
constexpr OSErr addResFailed = -194;
constexpr OSErr rmvResFailed = -196;
constexpr OSErr resAttrErr = -198;
constexpr OSErr mapReadErr = -199;

// The handle for resource (type, id) of the newest file that has it, the same handle on every call
// until released; null when missing. The data is reloaded if it was purged.
Handle GetResource(ResType type, std::int16_t id);
// Reloads a purged resource's data; nothing when it is loaded.
void LoadResource(Handle resource);
OSErr ResError();

// Copies string `index` (counted from 1) of STR# `listID` into `out`; empty when missing.
void GetIndString(Str255 out, std::int16_t listID, std::int16_t index);

// One resource as the resource compiler embeds it.
struct TBResourceEntry {
    ResType type;
    std::int16_t id;
    const char* name;
    const unsigned char* data;
    long size;
};

// Adds a set of embedded resources to the front of the search chain; the entries must outlive the
// registration. Returns a file reference for TBRemoveResourceFile.
std::int16_t TBAddResourceFile(const char* fileName, const TBResourceEntry* entries, long count);
// Removes a file from the chain and frees its loaded resources (a module being unloaded).
void TBRemoveResourceFile(std::int16_t fileRef);

// Registers its entries for as long as it lives; the generated resource sources hold one.
class TBResourceRegistration {
  public:
    TBResourceRegistration(const char* fileName, const TBResourceEntry* entries, long count)
        : ref_(TBAddResourceFile(fileName, entries, count)) {}
    ~TBResourceRegistration() { TBRemoveResourceFile(ref_); }
    TBResourceRegistration(const TBResourceRegistration&) = delete;
    TBResourceRegistration& operator=(const TBResourceRegistration&) = delete;

  private:
    std::int16_t ref_;
};
