#include "ImageIO.h"

#include "FileHandle.h"
#include "HostError.h"
#include "JpegIO.h"
#include "PngIO.h"
#include "TiffIO.h"
#include "Upright.h"
#include "WebpIO.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <vector>

namespace {

std::optional<ImageFormat> formatNamed(std::string name) {
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    if (name == "png")
        return ImageFormat::png;
    if (name == "jpg" || name == "jpeg")
        return ImageFormat::jpeg;
    if (name == "tif" || name == "tiff")
        return ImageFormat::tiff;
    if (name == "webp")
        return ImageFormat::webp;
    return std::nullopt;
}

} // namespace

ImageFormat FormatOf(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    if (const auto format = formatNamed(dot == std::string::npos ? "" : path.substr(dot + 1)))
        return *format;
    BadInput("unknown image type (use .png, .jpg, .jpeg, .tif, .tiff or .webp, or --format)", path);
}

ImageFormat OutputFormat(const std::string& target, const std::string& named) {
    if (named.empty() && target == "-")
        BadInput("writing to standard output needs --format (png, jpeg, tiff or webp)");
    if (named.empty())
        return FormatOf(target);
    if (const auto format = formatNamed(named))
        return *format;
    BadInput("unknown --format '" + named + "' (use png, jpg, jpeg, tif, tiff or webp)");
}

namespace {

std::unique_ptr<RowReader> openStored(const std::string& path, long long maxPixels) {
    auto file = std::make_unique<FileHandle>(path, "rb");
    unsigned char start[2] = {};
    const std::size_t got = std::fread(start, 1, 2, file->Get());
    if (got == 2 && start[0] == 0x89 && start[1] == 'P')
        return OpenPng(std::move(file), path, maxPixels);
    if (got == 2 && start[0] == 0xFF && start[1] == 0xD8)
        return OpenJpeg(std::move(file), path, maxPixels);
    if (got == 2 && start[0] == start[1] && (start[0] == 'I' || start[0] == 'M'))
        return OpenTiff(std::move(file), char(start[0]), path, maxPixels);
    if (got == 2 && start[0] == 'R' && start[1] == 'I')
        return OpenWebp(std::move(file), path, maxPixels);
    BadInput("not an image relight reads (PNG, JPEG, TIFF or WebP)", path);
}

} // namespace

std::unique_ptr<RowReader> OpenImage(const std::string& path, long long maxPixels) {
    std::unique_ptr<RowReader> stored = openStored(path, maxPixels);
    const int orientation = stored->Orientation();
    return orientation == 1 ? std::move(stored) : ReadUpright(std::move(stored), orientation);
}

RowLayout LayoutFor(ImageFormat format, RowLayout wanted) {
    if (format == ImageFormat::jpeg)
        return RowLayout{};
    return {wanted.alpha, wanted.sixteen && format != ImageFormat::webp};
}

ImageMetadata MetadataFor(ImageFormat format, const ImageMetadata& read) {
    ImageMetadata kept;
    if (RgbProfile(read.icc))
        kept.icc = read.icc;
    if (format != ImageFormat::jpeg || read.exif.size() <= kJpegExifBytes)
        kept.exif = ExifUpright(read.exif);
    if (format != ImageFormat::jpeg || read.xmp.size() <= kJpegXmpBytes)
        kept.xmp = read.xmp;
    return kept;
}

std::unique_ptr<RowWriter> StartImage(std::FILE* out, ImageFormat format, RowLayout layout,
                                      const ImageMetadata& metadata, int width, int height, int quality,
                                      const std::string& name) {
    if (format == ImageFormat::png)
        return StartPng(out, layout, metadata, width, height, name);
    if (format == ImageFormat::tiff)
        return StartTiff(out, layout, metadata, width, height, name);
    if (format == ImageFormat::webp)
        return StartWebp(out, layout, metadata, width, height, quality, name);
    return StartJpeg(out, metadata, width, height, quality, name);
}

Image ReadImage(RowReader& reader) {
    Image image = EmptyImage(reader.Width(), reader.Height(), reader.Grey(), reader.Alpha());
    std::vector<RowTarget> targets;
    for (std::size_t p = 0; p < image.planes.size(); ++p)
        targets.push_back({image.planes[p].bytes.data(), int(p)});
    std::vector<std::uint8_t> samples(std::size_t(image.width) * std::size_t(reader.SamplesPerPixel()));
    for (int y = 0; y < image.height; ++y) {
        reader.ReadRows(samples.data(), 1);
        SplitRow(samples.data(), reader.SamplesPerPixel(), image.width, y, targets);
    }
    return image;
}

Image ReadImage(const std::string& path, long long maxPixels) {
    return ReadImage(*OpenImage(path, maxPixels));
}

void WriteImage(std::FILE* out, ImageFormat format, int width, int height, const std::uint8_t* rgb,
                int quality, const std::string& name) {
    const std::unique_ptr<RowWriter> writer =
        StartImage(out, format, RowLayout{}, ImageMetadata{}, width, height, quality, name);
    for (int y = 0; y < height; ++y)
        writer->WriteRow(rgb + std::size_t(y) * std::size_t(width) * 3);
    writer->Finish();
}
