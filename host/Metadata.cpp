#include "Metadata.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>

namespace {

constexpr std::uint32_t kOrientationTag = 0x0112;
constexpr std::uint32_t kExifDirectoryTag = 0x8769;
constexpr std::uint32_t kPixelXTag = 0xA002;
constexpr std::uint32_t kPixelYTag = 0xA003;
constexpr std::uint32_t kShortType = 3;
constexpr std::uint32_t kLongType = 4;
constexpr std::uint32_t kDirectoryType = 13;
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

    // Where the entry of `tag` lies in the directory at `directory`, when it is there with one
    // value of one of `types`; 0 otherwise.
    std::size_t Entry(std::size_t directory, std::uint32_t tag,
                      std::initializer_list<std::uint32_t> types) const {
        const std::size_t count = Number(directory, 2);
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t entry = directory + 2 + i * kEntryBytes;
            if (entry + kEntryBytes > bytes_.size())
                return 0;
            const std::uint32_t type = Number(entry + 2, 2);
            if (Number(entry, 2) == tag && Number(entry + 4, 4) == 1 &&
                std::find(types.begin(), types.end(), type) != types.end())
                return entry;
        }
        return 0;
    }

    // Where the directory at `directory` gives the offset of the next one; 0 when outside.
    std::size_t NextLink(std::size_t directory) const {
        const std::size_t at = directory + 2 + Number(directory, 2) * kEntryBytes;
        return at + 4 <= bytes_.size() ? at : 0;
    }

  private:
    const std::string& bytes_;
    bool little_;
};

// Where the value of the first directory's orientation tag lies; 0 when there is none.
std::size_t orientationAt(const std::string& exif) {
    const TiffBytes tiff(exif);
    const std::size_t entry =
        tiff.HeaderValid() ? tiff.Entry(tiff.FirstDirectory(), kOrientationTag, {kShortType}) : 0;
    return entry ? entry + 8 : 0;
}

// After a quarter turn the EXIF's pixel dimensions give the stored, sideways size: they are
// exchanged (type and value alike, each entry keeping its tag); the thumbnail, still sideways, is
// unlinked from the first directory. Every other byte stays as it was written.
void turnQuarter(std::string& exif) {
    const TiffBytes tiff(exif);
    const std::size_t first = tiff.FirstDirectory();
    if (const std::size_t link = tiff.NextLink(first))
        std::fill_n(exif.begin() + std::ptrdiff_t(link), 4, '\0');
    const std::size_t pointer = tiff.Entry(first, kExifDirectoryTag, {kLongType, kDirectoryType});
    const std::size_t directory = pointer ? tiff.Number(pointer + 8, 4) : 0;
    const std::size_t x = directory ? tiff.Entry(directory, kPixelXTag, {kShortType, kLongType}) : 0;
    const std::size_t y = directory ? tiff.Entry(directory, kPixelYTag, {kShortType, kLongType}) : 0;
    if (x && y)
        std::swap_ranges(exif.begin() + std::ptrdiff_t(x + 2), exif.begin() + std::ptrdiff_t(x + kEntryBytes),
                         exif.begin() + std::ptrdiff_t(y + 2));
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
        if (ExifOrientation(exif) >= 5)
            turnQuarter(exif);
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
