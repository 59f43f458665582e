// An open C stream that closes itself; opening failures become a clear HostError.
#pragma once

#include <cstdio>
#include <string>

class FileHandle {
  public:
    // Opens `path` with the fopen `mode`; throws HostError naming the file and the system's reason.
    FileHandle(const std::string& path, const char* mode);
    ~FileHandle();
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    std::FILE* Get() const { return file_; }

  private:
    std::FILE* file_;
};

// The whole file as bytes; throws HostError when it cannot be read.
std::string ReadWholeFile(const std::string& path);
