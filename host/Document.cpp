#include "Document.h"

#include "HostError.h"
#include "ImageIO.h"

namespace {

// The grey plane of `file`, which must be a grey image of the document's size; `what` names its
// role in errors.
std::vector<std::uint8_t> greyPlaneOf(const Document& document, const std::string& file,
                                      const std::string& what) {
    Image image = ReadImage(file);
    if (!image.grey)
        BadInput(what + " is not a grey image", file);
    if (image.width != document.width || image.height != document.height)
        BadInput(what + " is " + std::to_string(image.width) + " x " + std::to_string(image.height) +
                     ", the image " + std::to_string(document.width) + " x " +
                     std::to_string(document.height),
                 file);
    return std::move(image.planes[0].bytes);
}

} // namespace

Document BlankDocument(const RowReader& image) {
    Document document;
    document.width = image.Width();
    document.height = image.Height();
    for (const char* name : {"Red", "Green", "Blue"})
        document.channels.push_back({name, std::vector<std::uint8_t>(document.Pixels())});
    if (image.Alpha())
        document.channels.push_back({"Alpha", std::vector<std::uint8_t>(document.Pixels())});
    document.result.assign(3, std::vector<std::uint8_t>(document.Pixels()));
    document.area = {0, 0, std::int16_t(image.Height()), std::int16_t(image.Width())};
    return document;
}

std::vector<RowTarget> SourceTargets(Document& document, const RowReader& image) {
    std::vector<RowTarget> targets;
    for (int c = 0; c < 3; ++c) {
        const int sample = image.Grey() ? 0 : c;
        targets.push_back({document.channels[std::size_t(c)].bytes.data(), sample});
        targets.push_back({document.result[std::size_t(c)].data(), sample});
    }
    if (image.Alpha())
        targets.push_back({document.channels[3].bytes.data(), image.SamplesPerPixel() - 1});
    return targets;
}

void AddChannel(Document& document, const std::string& name, const std::string& file) {
    document.channels.push_back({name, greyPlaneOf(document, file, "channel " + name)});
}

void SetMask(Document& document, const std::string& file) {
    document.mask = greyPlaneOf(document, file, "mask");
}

void SetArea(Document& document, const UserArea& area, const std::string& file) {
    if (area.width <= 0 || area.height <= 0 || area.x < 0 || area.y < 0 ||
        area.x + area.width > document.width || area.y + area.height > document.height)
        BadInput("area " + std::to_string(area.x) + "," + std::to_string(area.y) + "," +
                     std::to_string(area.width) + "," + std::to_string(area.height) + " is not inside the " +
                     std::to_string(document.width) + " x " + std::to_string(document.height) + " image",
                 file);
    document.area = {std::int16_t(area.y), std::int16_t(area.x), std::int16_t(area.y + area.height),
                     std::int16_t(area.x + area.width)};
}
