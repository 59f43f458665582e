// Any file given as a PNG or a JPEG either reads as an image or is refused with HostError.
#include "HostError.h"
#include "JpegIO.h"
#include "PngIO.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
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

template <typename Reader> void tryRead(Reader read) {
    try {
        const Image image = read(scratchPath());
        const std::size_t pixels = std::size_t(image.width) * std::size_t(image.height);
        if (image.width <= 0 || image.height <= 0 || image.planes.size() < (image.grey ? 1u : 3u))
            std::abort(); // an image that is not what it says
        for (const Plane& plane : image.planes)
            if (plane.bytes.size() != pixels)
                std::abort();
    } catch (const HostError&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::FILE* f = std::fopen(scratchPath().c_str(), "wb");
    if (!f || std::fwrite(data, 1, size, f) != size || std::fclose(f) != 0)
        std::abort();
    tryRead(ReadPng);
    tryRead(ReadJpeg);
    return 0;
}
