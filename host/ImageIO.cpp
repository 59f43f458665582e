#include "ImageIO.h"

#include "HostError.h"
#include "JpegIO.h"
#include "PngIO.h"

#include <algorithm>
#include <cctype>
#include <vector>

ImageFormat FormatOf(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    std::string extension = dot == std::string::npos ? "" : path.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    if (extension == "png")
        return ImageFormat::png;
    if (extension == "jpg" || extension == "jpeg")
        return ImageFormat::jpeg;
    BadInput("unknown image type (use .png, .jpg or .jpeg)", path);
}

std::unique_ptr<RowReader> OpenImage(const std::string& path, long long maxPixels) {
    return FormatOf(path) == ImageFormat::png ? OpenPng(path, maxPixels) : OpenJpeg(path, maxPixels);
}

std::unique_ptr<RowWriter> StartImage(std::FILE* out, ImageFormat format, int width, int height, int quality,
                                      const std::string& name) {
    if (format == ImageFormat::png)
        return StartPng(out, width, height, name);
    return StartJpeg(out, width, height, quality, name);
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
    const std::unique_ptr<RowWriter> writer = StartImage(out, format, width, height, quality, name);
    for (int y = 0; y < height; ++y)
        writer->WriteRow(rgb + std::size_t(y) * std::size_t(width) * 3);
    writer->Finish();
}
