#include "FileClashes.h"

#include "HostError.h"

#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace {

// What a name stands for: an existing file's device and inode, else its absolute, normal path.
std::string identity(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) == 0)
        return std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
    std::error_code error;
    return std::filesystem::weakly_canonical(std::filesystem::absolute(path, error), error).string();
}

void checkTarget(const std::string& path, bool force) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0)
        return;
    if (!S_ISREG(info.st_mode))
        BadInput("not a regular file (a device, pipe or socket is never replaced)", path);
    // Root may write anything, so the mode is what says the owner meant to keep it.
    if (!force && ((info.st_mode & 0222) == 0 || access(path.c_str(), W_OK) != 0))
        BadInput("the file is read-only (--force replaces it)", path);
}

} // namespace

void CheckPlannedFiles(const PlannedFiles& files, bool force) {
    std::vector<std::pair<std::string, std::string>> seen; // identity, name: reads, then writes so far
    for (const std::string& read : files.reads)
        if (!read.empty() && read != "-")
            seen.emplace_back(identity(read), read);
    for (const std::string& write : files.writes) {
        if (write.empty() || write == "-") // standard output clashes with no file
            continue;
        const std::string id = identity(write);
        for (const auto& [otherId, other] : seen)
            if (otherId == id)
                BadInput("the run would write over " + other + ", which it also uses", write);
        checkTarget(write, force);
        seen.emplace_back(id, write);
    }
}
