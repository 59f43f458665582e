#include "FileHandle.h"

#include "HostError.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

FileHandle::FileHandle(const std::string& path, const char* mode) : file_(std::fopen(path.c_str(), mode)) {
    if (!file_)
        BadInput(std::string("cannot open (") + std::strerror(errno) + ")", path);
}

FileHandle::~FileHandle() {
    std::fclose(file_);
}

std::string ReadWholeFile(const std::string& path, std::size_t limit, const std::string& what) {
    FileHandle file(path, "rb");
    std::string bytes;
    char buffer[65536];
    std::size_t n;
    while (bytes.size() <= limit && (n = std::fread(buffer, 1, sizeof buffer, file.Get())) > 0)
        bytes.append(buffer, std::min(n, limit - bytes.size() + 1));
    if (std::ferror(file.Get()))
        BadInput(std::string("cannot read (") + std::strerror(errno) + ")", path);
    if (bytes.size() > limit)
        BadInput(what + " is larger than " + std::to_string(limit) + " bytes", path);
    return bytes;
}
