#include "FileHandle.h"

#include "HostError.h"

#include <cerrno>
#include <cstring>

FileHandle::FileHandle(const std::string& path, const char* mode)
    : file_(path == "-" && mode[0] == 'r' ? stdin : std::fopen(path.c_str(), mode)), owned_(file_ != stdin) {
    if (!file_)
        BadInput(std::string("cannot open (") + std::strerror(errno) + ")", path);
}

FileHandle::~FileHandle() {
    if (owned_)
        std::fclose(file_);
}

std::string ReadWholeFile(const std::string& path, std::size_t limit, const std::string& what) {
    FileHandle file(path, "rb");
    std::string bytes;
    char buffer[65536];
    std::size_t n;
    while (bytes.size() <= limit && (n = std::fread(buffer, 1, sizeof buffer, file.Get())) > 0) {
        const std::size_t room = limit - bytes.size(); // one byte more shows the file too large
        bytes.append(buffer, n <= room ? n : room + 1);
    }
    if (std::ferror(file.Get()))
        BadInput(std::string("cannot read (") + std::strerror(errno) + ")", path);
    if (bytes.size() > limit)
        BadInput(what + " is larger than " + std::to_string(limit) + " bytes", path);
    return bytes;
}
