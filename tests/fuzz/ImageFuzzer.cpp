// Any file either reads as an image, row by row, or is refused with HostError. Its first bytes
// choose the reader; the corpus holds files of each kind.
#include "HostError.h"
#include "ImageIO.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The reader opens a path: the bytes go into a file in memory, named through /proc.
    static const int fd = memfd_create("image", 0);
    static const std::string path = "/proc/self/fd/" + std::to_string(fd);
    if (fd < 0 || ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != ssize_t(size))
        std::abort();
    // Row by row, as the host reads, so a damaged file is found wherever the damage lies.
    try {
        const std::unique_ptr<RowReader> image = OpenImage(path, kDefaultMaxPixels);
        if (image->Width() <= 0 || image->Height() <= 0)
            std::abort(); // an image that is not what it says
        std::vector<std::uint8_t> row(std::size_t(image->Width()) * std::size_t(image->SamplesPerPixel()));
        for (int y = 0; y < image->Height(); ++y)
            image->ReadRows(row.data(), 1);
    } catch (const HostError&) {
    }
    return 0;
}
