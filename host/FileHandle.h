// An open C stream that closes itself; opening failures become a clear HostError.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

class FileHandle {
  public:
    // Opens `path` with the fopen `mode` ("-" for reading: standard input, left open); throws
    // HostError naming the file and the system's reason.
    FileHandle(const std::string& path, const char* mode);
    ~FileHandle();
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    std::FILE* Get() const { return file_; }

  private:
    std::FILE* file_;
    bool owned_;
};

// The whole file as bytes; throws HostError when it cannot be read or holds more than `limit`
// bytes (then `what` names the kind of file), having read no more than one byte past the limit.
std::string ReadWholeFile(const std::string& path, std::size_t limit = SIZE_MAX,
                          const std::string& what = "file");

// The most any parameter block, style file or input script may hold.
constexpr std::size_t kMaxBlockBytes = 66736;
constexpr std::size_t kMaxStyleBytes = 65536;
constexpr std::size_t kMaxScriptBytes = 4 << 20;
