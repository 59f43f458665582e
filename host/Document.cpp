#include "Document.h"

#include "HostError.h"
#include "ImageIO.h"

namespace {

// The grey plane of `file`, which must be a grey image of the document's size (checked from its
// header, before its pixels are read); `what` names its role in errors.
PlaneBytes greyPlaneOf(const Document& document, const std::string& file, long long maxPixels,
                       const std::string& what) {
    const std::unique_ptr<RowReader> reader = OpenImage(file, maxPixels);
    if (reader->Width() != document.width || reader->Height() != document.height)
        BadInput(what + " is " + std::to_string(reader->Width()) + " x " + std::to_string(reader->Height()) +
                     ", the image " + std::to_string(document.width) + " x " +
                     std::to_string(document.height),
                 file);
    if (!reader->Grey())
        BadInput(what + " is not a grey image", file);
    return WithMemoryFor(file, [&] { return std::move(ReadImage(*reader).planes[0].bytes); });
}

} // namespace

Document BlankDocument(const RowReader& image) {
    Document document;
    document.width = image.Width();
    document.height = image.Height();
    for (const char* name : {"Red", "Green", "Blue"})
        document.channels.push_back({name, PlaneBytes(document.Pixels())});
    if (image.Alpha())
        document.channels.push_back({"Alpha", PlaneBytes(document.Pixels())});
    // Each made on its own: a copy of a blank plane would commit all its memory at once.
    for (int c = 0; c < 3; ++c)
        document.result.emplace_back(document.Pixels());
    document.area = {0, 0, std::int16_t(image.Height()), std::int16_t(image.Width())};
    document.source = {image.Alpha(), image.Sixteen()};
    document.metadata = image.Metadata();
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

void AddChannel(Document& document, const std::string& name, const std::string& file, long long maxPixels) {
    document.channels.push_back({name, greyPlaneOf(document, file, maxPixels, "channel " + name)});
}

void SetMask(Document& document, const std::string& file, long long maxPixels) {
    document.mask = greyPlaneOf(document, file, maxPixels, "mask");
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
