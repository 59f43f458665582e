#include "TiffExif.h"

#include "Metadata.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr std::size_t kEntryBytes = 12, kHeaderBytes = 8;
// Maker notes and interoperability directories hold offsets into the file they came from.
enum Tag : std::uint16_t {
    kOrientationTag = 0x0112,
    kExifTag = 0x8769,
    kGpsTag = 0x8825,
    kMakerNoteTag = 0x927C,
    kInteropTag = 0xA005
};
enum Type : std::uint16_t { kAsciiType = 2, kShortType = 3, kLongType = 4 };

std::uint32_t number(const std::string& bytes, std::size_t at, std::size_t width, bool little) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < width && at + width <= bytes.size(); ++i)
        value = (value << 8) | std::uint8_t(bytes[little ? at + width - 1 - i : at + i]);
    return value;
}

std::string bytesOf(std::uint32_t value, std::size_t width, bool little) {
    std::string bytes(width, '\0');
    for (std::size_t i = 0; i < width; ++i)
        bytes[little ? i : width - 1 - i] = char(value >> (8 * i));
    return bytes;
}

// The bytes of one value of `type`; 0 for the types a copy cannot carry (unknown ones, and links
// to further directories).
std::size_t typeBytes(std::uint32_t type) {
    static constexpr std::size_t kBytes[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};
    return type < std::size(kBytes) ? kBytes[type] : 0;
}

// One entry, its whole value in the structure's byte order.
struct Field {
    std::uint16_t tag, type;
    std::uint32_t count;
    std::string value;
};
using Directory = std::vector<Field>;

// The directory at `at`, its values taking at most `budget` bytes, which they use up.
Directory readDirectory(const ByteReader& read, bool little, std::uint64_t at, std::size_t& budget,
                        bool& dropped) {
    const std::string head = read(at, 2);
    const std::size_t count = number(head, 0, 2, little);
    const std::string entries = read(at + 2, count * kEntryBytes);
    dropped = dropped || head.size() < 2 || entries.size() < count * kEntryBytes;
    Directory directory;
    for (std::size_t e = 0; e + kEntryBytes <= entries.size(); e += kEntryBytes) {
        Field field{std::uint16_t(number(entries, e, 2, little)),
                    std::uint16_t(number(entries, e + 2, 2, little)),
                    number(entries, e + 4, 4, little),
                    {}};
        const std::uint64_t size = std::uint64_t(field.count) * typeBytes(field.type);
        if (typeBytes(field.type) == 0 || size > budget || field.tag == kMakerNoteTag ||
            field.tag == kInteropTag) {
            dropped = true;
            continue;
        }
        field.value = size <= 4 ? entries.substr(e + 8, size) : read(number(entries, e + 8, 4, little), size);
        if (field.value.size() != size) {
            dropped = true;
            continue;
        }
        budget -= size;
        directory.push_back(std::move(field));
    }
    return directory;
}

// The bytes `directory` takes laid out: its entries, the link to a next one, then its values of
// more than four bytes, each at an even offset.
std::size_t layoutBytes(const Directory& directory) {
    std::size_t bytes = 2 + directory.size() * kEntryBytes + 4;
    for (const Field& field : directory)
        bytes += field.value.size() > 4 ? field.value.size() + field.value.size() % 2 : 0;
    return bytes;
}

// Appends `directory` to `out`, whose first byte lies at `base` in its file.
void append(std::string& out, const Directory& directory, std::uint32_t base, bool little) {
    const std::size_t values = base + out.size() + 2 + directory.size() * kEntryBytes + 4;
    std::string entries = bytesOf(std::uint32_t(directory.size()), 2, little), data;
    for (const Field& field : directory) {
        entries +=
            bytesOf(field.tag, 2, little) + bytesOf(field.type, 2, little) + bytesOf(field.count, 4, little);
        if (field.value.size() <= 4) {
            entries += field.value + std::string(4 - field.value.size(), '\0');
            continue;
        }
        entries += bytesOf(std::uint32_t(values + data.size()), 4, little);
        data += field.value;
        data.resize(data.size() + data.size() % 2, '\0');
    }
    out += entries + std::string(4, '\0') + data;
}

// Appends the Exif and GPS directories to `out`, whose first byte lies at `base`, with where they went.
void appendLinked(std::string& out, const Directory& exif, const Directory& gps, std::uint32_t base,
                  bool little, std::uint32_t& exifAt, std::uint32_t& gpsAt) {
    for (const auto& [directory, at] : {std::pair{&exif, &exifAt}, std::pair{&gps, &gpsAt}}) {
        *at = directory->empty() ? 0 : std::uint32_t(base + out.size());
        if (!directory->empty())
            append(out, *directory, base, little);
    }
}

} // namespace

const std::vector<std::uint16_t>& ExifTextTags() {
    static const std::vector<std::uint16_t> kTags = {0x010E, 0x010F, 0x0110, 0x0132, 0x013B, 0x8298};
    return kTags;
}

std::string ExifFromTiff(const TiffExifSource& source, const ByteReader& read, bool& dropped) {
    const bool little = source.little;
    std::size_t budget = kMaxMetadataBytes;
    Directory exif, gps;
    if (source.exifAt)
        exif = readDirectory(read, little, source.exifAt, budget, dropped);
    if (source.gpsAt)
        gps = readDirectory(read, little, source.gpsAt, budget, dropped);
    Directory first;
    for (const auto& [tag, text] : source.text)
        first.push_back({tag, kAsciiType, std::uint32_t(text.size() + 1), text + '\0'});
    for (const auto& [directory, tag] : {std::pair{&exif, kExifTag}, std::pair{&gps, kGpsTag}})
        if (!directory->empty())
            first.push_back({tag, kLongType, 1, std::string(4, '\0')});
    // An orientation alone is no EXIF: the reader obeys it and the output is upright.
    if (first.empty())
        return "";
    if (source.orientation)
        first.push_back(
            {kOrientationTag, kShortType, 1, bytesOf(std::uint32_t(source.orientation), 2, little)});
    std::sort(first.begin(), first.end(), [](const Field& a, const Field& b) { return a.tag < b.tag; });
    std::string linked;
    std::uint32_t exifAt = 0, gpsAt = 0;
    appendLinked(linked, exif, gps, std::uint32_t(kHeaderBytes + layoutBytes(first)), little, exifAt, gpsAt);
    for (Field& field : first)
        if (field.tag == kExifTag || field.tag == kGpsTag)
            field.value = bytesOf(field.tag == kExifTag ? exifAt : gpsAt, 4, little);
    std::string block =
        std::string(little ? "II" : "MM") + bytesOf(42, 2, little) + bytesOf(kHeaderBytes, 4, little);
    append(block, first, 0, little);
    return block + linked;
}

TiffExifTarget ExifForTiff(const std::string& exif, std::uint32_t base) {
    TiffExifTarget target;
    if (!ExifReadable(exif))
        return target;
    const bool little = target.little = exif[0] == 'I';
    const ByteReader read = [&](std::uint64_t at, std::size_t size) {
        return at < exif.size() ? exif.substr(std::size_t(at), size) : std::string();
    };
    std::size_t budget = kMaxMetadataBytes;
    bool dropped = false;
    std::uint32_t exifAt = 0, gpsAt = 0;
    for (const Field& field : readDirectory(read, little, number(exif, 4, 4, little), budget, dropped)) {
        const auto& tags = ExifTextTags();
        if (field.type == kAsciiType && std::find(tags.begin(), tags.end(), field.tag) != tags.end())
            target.text.emplace_back(field.tag, field.value.substr(0, field.value.find('\0')));
        if (field.type == kLongType && field.tag == kExifTag)
            exifAt = number(field.value, 0, 4, little);
        if (field.type == kLongType && field.tag == kGpsTag)
            gpsAt = number(field.value, 0, 4, little);
    }
    const Directory exifDirectory =
        exifAt ? readDirectory(read, little, exifAt, budget, dropped) : Directory{};
    const Directory gps = gpsAt ? readDirectory(read, little, gpsAt, budget, dropped) : Directory{};
    appendLinked(target.directories, exifDirectory, gps, base, little, target.exifAt, target.gpsAt);
    return target;
}
