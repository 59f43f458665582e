// The document the filter works on: its channels in the order the module sees them, the
// selection mask, and the filtered area.
#pragma once

#include "Image.h"
#include "ImageIO.h"
#include "Types.h"

#include <cstdint>
#include <string>
#include <vector>

// An area as the user gives it: left, top, width, height.
struct UserArea {
    long x = 0;
    long y = 0;
    long width = 0;
    long height = 0;
};

struct Document {
    int width = 0;
    int height = 0;
    // Red, Green, Blue, then the file's alpha, then each extra channel in the order given.
    // The module reads these as they were before the run, whatever it has written meanwhile.
    std::vector<Plane> channels;
    // The colour planes as the module writes them: red, green, blue; the source until then.
    std::vector<PlaneBytes> result;
    PlaneBytes mask;        // width x height, 255 = selected; empty when there is none
    Rect area{};            // top, left, bottom, right; the whole image unless set
    RowLayout source;       // the file's alpha and depth, which the output keeps where it can
    ImageMetadata metadata; // the file's, which the output keeps where it can

    std::size_t Pixels() const { return std::size_t(width) * std::size_t(height); }
};

// A document of `image`'s size and channels, every sample still 0: a grey image will become three
// equal colour channels. Its first channels are filled through SourceTargets.
Document BlankDocument(const RowReader& image);

// Where each sample of `image`'s rows goes in `document`: its channel and the result it starts.
std::vector<RowTarget> SourceTargets(Document& document, const RowReader& image);

// Appends the grey image `file` as the channel `name`; it must have the document's size.
void AddChannel(Document& document, const std::string& name, const std::string& file, long long maxPixels);

// Uses the grey image `file` as the selection mask; it must have the document's size.
void SetMask(Document& document, const std::string& file, long long maxPixels);

// Restricts the filtered area; it must lie inside the image. `file` names the image in errors.
void SetArea(Document& document, const UserArea& area, const std::string& file);
