// Internal: the volume's folder, directory ids, names between the Toolbox and the disk, and POSIX
// errors as File Manager codes.
#pragma once

#include "Files.h"

#include <string>
#include <vector>

namespace files {

// The volume the host named: its folder (created on first use; empty until named) and its name.
void setRoot(const std::string& path, const std::string& name);
const std::string& root();
const std::string& volumeName();
// Directory ids are given anew after this, and the folder is made again when missing.
void forget();

// The folder of directory `dirID` (0 = the default directory), or an error.
OSErr directoryPath(std::int16_t vRefNum, long dirID, std::string* path);
// The id of a folder (a path inside the volume), given on first sight.
long directoryID(const std::string& path);
// The parent's id of the folder at `path`; fsRtParID for the root.
long parentID(const std::string& path);

// A Toolbox name as a disk name: cut to 31 bytes at a character boundary, '/' as ':'. bdNamErr for
// names that cannot be stored ("", ".", "..", or with ':' or NUL).
OSErr diskName(ConstStr255Param name, std::string* out);
// The entry of `folder` that `disk` names: itself when present, else an entry that differs only in
// letter case (names compare as on the classic volume), else `disk` unchanged.
std::string existingName(const std::string& folder, const std::string& disk);
// A disk name as a Toolbox name (the reverse mapping and the same cut).
void toolboxName(const std::string& disk, StringPtr out);

// The entries of a folder sorted by name with letter case ignored; only regular files if filesOnly.
// The folder is read again only after it changed (valid until the next File Manager call).
const std::vector<std::string>& listing(const std::string& folder, bool filesOnly);
// A number that differs after every change of the folder: on disk, or any change made through the
// File Manager (which may have rewritten a file of it).
unsigned long listingStamp(const std::string& folder);
// Called by every File Manager call that changes a file or a folder.
void changed();

// errno after a failed call as a File Manager code; `writing` picks wrPermErr over permErr.
OSErr fromErrno(int error, bool writing = false);

// Seconds since 1904-01-01 local time.
unsigned long macTime(long unixSeconds);

} // namespace files
