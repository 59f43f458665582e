#include "ImageIO.h"

#include "HostError.h"
#include "JpegIO.h"
#include "PngIO.h"

#include <algorithm>
#include <cctype>

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

Image ReadImage(const std::string& path) {
    return FormatOf(path) == ImageFormat::png ? ReadPng(path) : ReadJpeg(path);
}

void WriteImage(std::FILE* out, ImageFormat format, int width, int height, const std::uint8_t* rgb,
                int quality, const std::string& name) {
    if (format == ImageFormat::png)
        WritePng(out, width, height, rgb, name);
    else
        WriteJpeg(out, width, height, rgb, quality, name);
}
