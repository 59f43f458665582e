#include "Metadata.h"

#include <cstdint>

namespace {

constexpr std::uint32_t kOrientationTag = 0x0112;
constexpr std::uint32_t kShortType = 3;
constexpr std::size_t kEntryBytes = 12;

// Reads the TIFF structure's numbers in its own byte order; past its end they read as 0.
class TiffBytes {
  public:
    explicit TiffBytes(const std::string& bytes)
        : bytes_(bytes), little_(bytes.size() >= 2 && bytes[0] == 'I' && bytes[1] == 'I') {}

    bool HeaderValid() const {
        const bool big = bytes_.size() >= 2 && bytes_[0] == 'M' && bytes_[1] == 'M';
        return (little_ || big) && Number(2, 2) == 42 && bytes_.size() >= 8 &&
               FirstDirectory() <= bytes_.size() - 2;
    }
    std::uint32_t FirstDirectory() const { return Number(4, 4); }

    std::uint32_t Number(std::size_t at, std::size_t width) const {
        if (at > bytes_.size() || width > bytes_.size() - at)
            return 0;
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < width; ++i) {
            const std::size_t byte = little_ ? at + width - 1 - i : at + i;
            value = (value << 8) | std::uint8_t(bytes_[byte]);
        }
        return value;
    }

  private:
    const std::string& bytes_;
    bool little_;
};

// Where the value of the first directory's orientation tag lies; 0 when there is none.
std::size_t orientationAt(const std::string& exif) {
    const TiffBytes tiff(exif);
    if (!tiff.HeaderValid())
        return 0;
    const std::size_t directory = tiff.FirstDirectory();
    const std::size_t count = tiff.Number(directory, 2);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t entry = directory + 2 + i * kEntryBytes;
        if (entry + kEntryBytes > exif.size())
            return 0;
        if (tiff.Number(entry, 2) == kOrientationTag && tiff.Number(entry + 2, 2) == kShortType &&
            tiff.Number(entry + 4, 4) == 1)
            return entry + 8;
    }
    return 0;
}

} // namespace

bool ExifReadable(const std::string& exif) {
    return TiffBytes(exif).HeaderValid();
}

void DropUnreadableExif(ImageMetadata& metadata) {
    if (metadata.exif.empty() || ExifReadable(metadata.exif))
        return;
    metadata.unkept = true;
    metadata.exif.clear();
}

int ExifOrientation(const std::string& exif) {
    const std::size_t at = orientationAt(exif);
    const std::uint32_t value = at ? TiffBytes(exif).Number(at, 2) : 1;
    return value >= 1 && value <= 8 ? int(value) : 1;
}

std::string ExifUpright(std::string exif) {
    if (const std::size_t at = orientationAt(exif)) {
        const bool little = exif[0] == 'I';
        exif[at] = char(little ? 1 : 0);
        exif[at + 1] = char(little ? 0 : 1);
    }
    return exif;
}

bool RgbProfile(const std::string& icc) {
    // The header: its size at 0, the colour space at 16, the signature at 36.
    constexpr std::size_t kHeaderBytes = 128;
    if (icc.size() < kHeaderBytes || icc.compare(16, 4, "RGB ") != 0 || icc.compare(36, 4, "acsp") != 0)
        return false;
    std::uint32_t size = 0;
    for (std::size_t i = 0; i < 4; ++i)
        size = (size << 8) | std::uint8_t(icc[i]);
    return size == icc.size();
}
