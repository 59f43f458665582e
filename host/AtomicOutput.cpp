#include "AtomicOutput.h"

#include "HostError.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string baseOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string temporaryFolder() {
    const char* folder = std::getenv("TMPDIR");
    return folder && *folder ? folder : "/tmp";
}

// Copies the file `path` to standard output; false when not all of it got there.
bool copyToStandardOutput(const std::string& path) {
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (!in)
        return false;
    char buffer[65536];
    std::size_t n;
    bool copied = true;
    while (copied && (n = std::fread(buffer, 1, sizeof buffer, in)) > 0)
        copied = std::fwrite(buffer, 1, n, stdout) == n;
    copied = copied && !std::ferror(in) && std::fflush(stdout) == 0;
    std::fclose(in);
    return copied;
}

[[noreturn]] void cannotWrite(const std::string& file) {
    BadInput(std::string("cannot write (") + std::strerror(errno) + ")", file);
}

// mkstemp makes the file private: give it the mode (and, where the process may, the owner) of
// the file it replaces, or else the mode a plain new file would get.
void applyMode(int fd, const std::string& target) {
    struct stat existing {};
    if (stat(target.c_str(), &existing) == 0) {
        fchmod(fd, existing.st_mode & 07777);
        if (fchown(fd, existing.st_uid, existing.st_gid) != 0 &&
            fchown(fd, uid_t(-1), existing.st_gid) != 0) {
            // Not ours to give away: the file keeps the writer's owner.
        }
        return;
    }
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
}

// The file a name ends at after its symbolic links (even one that does not exist yet), so that
// the link stays and its target is replaced.
std::string throughLinks(std::string path) {
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code error;
        if (!std::filesystem::is_symlink(std::filesystem::symlink_status(path, error)))
            return path;
        const std::filesystem::path link = std::filesystem::read_symlink(path, error);
        if (error)
            return path;
        path = link.is_absolute() ? link.string() : (std::filesystem::path(folderOf(path)) / link).string();
    }
    return path;
}

const std::string kTempMark = ".relight-";

// Temporary names carry the writer's process id: ".NAME.relight-PID-XXXXXX".
pid_t writerOf(const std::string& name) {
    const std::size_t mark = name.rfind(kTempMark);
    if (name.empty() || name[0] != '.' || mark == std::string::npos ||
        name.size() < mark + kTempMark.size() + 8)
        return 0;
    const std::string digits =
        name.substr(mark + kTempMark.size(), name.size() - mark - kTempMark.size() - 7);
    if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos ||
        name[name.size() - 7] != '-')
        return 0;
    return pid_t(std::stol(digits));
}

// Removes the temporary files that writers which no longer run left in `folder` (a kill, a crash).
void removeStaleTemporaries(const std::string& folder) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const pid_t writer = writerOf(entry.path().filename().string());
        if (writer > 0 && kill(writer, 0) != 0 && errno == ESRCH && entry.is_regular_file(error))
            std::filesystem::remove(entry.path(), error);
    }
}

} // namespace

AtomicOutput::AtomicOutput(std::string target)
    : target_(std::move(target)), resolved_(target_ == "-" ? target_ : throughLinks(target_)) {
    struct stat existing {};
    if (target_ != "-" && stat(resolved_.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode))
        BadInput("not a regular file (a device, pipe or socket is never replaced)", target_);
    const std::string folder = target_ == "-" ? temporaryFolder() : folderOf(resolved_);
    removeStaleTemporaries(folder);
    const std::string base = target_ == "-" ? "output" : baseOf(resolved_);
    std::string pattern = folder + "/." + base + kTempMark + std::to_string(getpid()) + "-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back(0);
    const int fd = mkstemp(name.data());
    if (fd < 0)
        cannotWrite(target_);
    temp_ = name.data();
    applyMode(fd, resolved_);
    file_ = fdopen(fd, "wb");
    if (!file_) {
        close(fd);
        unlink(temp_.c_str());
        cannotWrite(target_);
    }
}

AtomicOutput::~AtomicOutput() {
    if (file_)
        std::fclose(file_);
    if (!temp_.empty())
        unlink(temp_.c_str());
}

void AtomicOutput::Rewind() {
    if (std::fflush(file_) != 0 || ftruncate(fileno(file_), 0) != 0 || std::fseek(file_, 0, SEEK_SET) != 0)
        cannotWrite(target_);
}

void AtomicOutput::finish() {
    const bool written = std::fflush(file_) == 0 && !std::ferror(file_) && fsync(fileno(file_)) == 0;
    const int closed = std::fclose(file_);
    file_ = nullptr;
    if (!written || closed != 0)
        cannotWrite(target_);
}

void AtomicOutput::Commit() {
    finish();
    if (target_ == "-") {
        if (!copyToStandardOutput(temp_))
            cannotWrite(target_);
        return; // the destructor removes the temporary file
    }
    if (std::rename(temp_.c_str(), resolved_.c_str()) != 0)
        cannotWrite(target_);
    temp_.clear();
}

bool AtomicOutput::CommitIfAbsent() {
    finish();
    // A hard link is made only where no name exists: the check and the creation are one step.
    if (link(temp_.c_str(), resolved_.c_str()) != 0) {
        if (errno == EEXIST)
            return false;
        cannotWrite(target_);
    }
    return true; // the destructor removes the temporary name
}

void WriteFileAtomically(const std::string& target, const std::string& bytes) {
    AtomicOutput out(target);
    if (std::fwrite(bytes.data(), 1, bytes.size(), out.Stream()) != bytes.size())
        cannotWrite(target);
    out.Commit();
}
