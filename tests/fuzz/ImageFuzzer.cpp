// Any file either reads as an image, row by row, or is refused with HostError. Its first bytes
// choose the reader; the corpus holds files of each kind.
#include "HostError.h"
#include "ImageIO.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>
#include <unistd.h>

namespace {

const std::string& scratchPath() {
    static const std::string path = [] {
        char name[] = "/tmp/relight-fuzz-image-XXXXXX";
        const int fd = mkstemp(name);
        if (fd < 0)
            std::abort();
        close(fd);
        std::atexit([] { std::remove(scratchPath().c_str()); });
        return std::string(name);
    }();
    return path;
}

// Reads row by row, as the host does, so a damaged file is found wherever the damage lies.
void tryRead() {
    try {
        const std::unique_ptr<RowReader> image = OpenImage(scratchPath(), kDefaultMaxPixels);
        if (image->Width() <= 0 || image->Height() <= 0)
            std::abort(); // an image that is not what it says
        std::vector<std::uint8_t> row(std::size_t(image->Width()) * std::size_t(image->SamplesPerPixel()));
        for (int y = 0; y < image->Height(); ++y)
            image->ReadRows(row.data(), 1);
    } catch (const HostError&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::FILE* f = std::fopen(scratchPath().c_str(), "wb");
    if (!f || std::fwrite(data, 1, size, f) != size || std::fclose(f) != 0)
        std::abort();
    tryRead();
    return 0;
}
