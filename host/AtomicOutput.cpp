#include "AtomicOutput.h"

#include "HostError.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
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

// mkstemp makes the file private: give it the mode of the file it replaces, or else the mode a
// plain new file would get.
void applyMode(int fd, const std::string& target) {
    struct stat existing {};
    if (stat(target.c_str(), &existing) == 0) {
        fchmod(fd, existing.st_mode & 07777);
        return;
    }
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
}

} // namespace

AtomicOutput::AtomicOutput(std::string target) : target_(std::move(target)) {
    std::string pattern = target_ == "-" ? temporaryFolder() + "/relight-output-XXXXXX"
                                         : folderOf(target_) + "/." + baseOf(target_) + ".relight-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back(0);
    const int fd = mkstemp(name.data());
    if (fd < 0)
        cannotWrite(target_);
    temp_ = name.data();
    applyMode(fd, target_);
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
    if (std::rename(temp_.c_str(), target_.c_str()) != 0)
        cannotWrite(target_);
    temp_.clear();
}

bool AtomicOutput::CommitIfAbsent() {
    finish();
    // A hard link is made only where no name exists: the check and the creation are one step.
    if (link(temp_.c_str(), target_.c_str()) != 0) {
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
