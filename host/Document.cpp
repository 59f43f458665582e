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

Document MakeDocument(Image image) {
    Document document;
    document.width = image.width;
    document.height = image.height;
    if (image.grey) {
        const std::vector<std::uint8_t>& grey = image.planes[0].bytes;
        document.channels = {{"Red", grey}, {"Green", grey}, {"Blue", grey}};
        if (image.HasAlpha())
            document.channels.push_back(std::move(image.planes[1]));
    } else {
        document.channels = std::move(image.planes);
    }
    for (std::size_t c = 0; c < 3; ++c)
        document.result.push_back(document.channels[c].bytes);
    document.area = {0, 0, std::int16_t(image.height), std::int16_t(image.width)};
    return document;
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
