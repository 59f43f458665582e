// A plug-in for testing the host on its own: it inverts the filtered area in 16 x 16 tiles and
// makes what the host delivers visible in its results.
//
// Its block is 66736 bytes beginning "PRBE"; byte 4 picks a mode, and the 16-bit big-endian word
// at 66728 a texture channel (1-based, 0 = none) as in the lighting module's block. With a channel,
// each tile first asks for that channel by absolute index, grown by 3 pixels on every side, then
// writes red = the channel 3 pixels up and left of the pixel, green = the channel at the pixel,
// blue = the channel 3 pixels down and right.
#include "Memory.h"
#include "QuickDraw.h"
#include "relight_filter.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Rewriting: after the last tile, the first once more, handed back as delivered. Interrupting after
// the last tile: no abort query follows, so the signal meets the host writing.
enum Mode : unsigned char {
    invert,
    interruptAfterFirstTile,
    failSecondTile,
    report,
    rewriteFirstTile,
    interruptAfterLastTile
};

constexpr int kTile = 16, kMargin = 3;
constexpr std::size_t kBlockSize = 66736, kChannelOffset = 66728;

struct Run {
    Mode mode = invert;
    int channel = 0;
    Rect tile{};
    std::vector<unsigned char> texture; // the grown block of the current tile, once delivered
    int textureRowBytes = 0;
    int tilesDone = 0;
    bool rewound = false;
};

Run run;

// Asks for the channel's grown block of the tile when it is still missing, else the tile itself.
void setRects(FilterRecord* record) {
    const Rect& t = run.tile;
    const bool wantTexture = run.channel != 0 && run.texture.empty() && !EmptyRect(&t);
    record->requestRect = wantTexture
                              ? Rect{std::int16_t(t.top - kMargin), std::int16_t(t.left - kMargin),
                                     std::int16_t(t.bottom + kMargin), std::int16_t(t.right + kMargin)}
                              : t;
    record->writeRect = wantTexture ? Rect{} : t;
    record->requestFirstPlane = std::int16_t(wantTexture ? run.channel - 1 : 0);
    record->requestLastPlane = std::int16_t(wantTexture ? run.channel - 1 : 2);
    record->writeFirstPlane = 0;
    record->writeLastPlane = 2;
    record->planeSourceCode = wantTexture ? -1 : -2;
    record->absolutePlanesWanted = wantTexture;
    record->maskRequestRect = Rect{};
}

// The tile at (left, top) cut to the area; empty past its end. In int: a tile past the last one
// would overflow 16 bits on the widest images.
Rect tileAt(int left, int top, const Rect& area) {
    if (left >= area.right) {
        left = area.left;
        top += kTile;
    }
    if (top >= area.bottom)
        return Rect{};
    return {std::int16_t(top), std::int16_t(left), std::int16_t(std::min<int>(top + kTile, area.bottom)),
            std::int16_t(std::min<int>(left + kTile, area.right))};
}

void storeTexture(const FilterRecord* record) {
    const auto* src = static_cast<const unsigned char*>(record->requestData);
    const Rect& r = record->requestRect;
    run.texture.assign(src, src + (r.bottom - r.top) * record->requestRowBytes);
    run.textureRowBytes = record->requestRowBytes;
}

void shadeTile(const FilterRecord* record) {
    const Rect& t = run.tile;
    const int w = t.right - t.left, h = t.bottom - t.top;
    const auto* src = static_cast<const unsigned char*>(record->requestData);
    auto* dst = static_cast<unsigned char*>(record->writeData);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const unsigned char* in = src + y * record->requestRowBytes + x * 3;
            unsigned char* out = dst + y * record->writeRowBytes + x * 3;
            for (int c = 0; c < 3; ++c)
                out[c] = static_cast<unsigned char>(
                    run.channel
                        ? run.texture[std::size_t((y + c * kMargin) * run.textureRowBytes + x + c * kMargin)]
                        : 255 - in[c]);
        }
}

// Two pixels, the second masked out, shown at column 1 of a white port three pixels wide.
void showTwoPixels(FilterRecord* record) {
    const Rect bounds = {0, 0, 1, 3};
    GrafPtr port = TBNewOffscreenPort(&bounds, 32);
    GrafPtr previous = nullptr;
    GetPort(&previous);
    SetPort(port);
    unsigned char rgb[6] = {10, 20, 30, 40, 50, 60};
    unsigned char mask[2] = {255, 0};
    QXMaskDescriptor descriptor{0, mask, 2, 1, 0};
    const QXPixelMap map{1, {0, 0, 1, 2}, 3, 6, 3, 1, rgb, 0, &descriptor, 0, 0};
    const VRect source{0, 0, 1, 2};
    const std::int16_t shown = record->showPixelsProc(&map, &source, 0, 1, nullptr);
    const auto* pixels = reinterpret_cast<const std::uint32_t*>(GetPortBitMapForCopyBits(port)->baseAddr);
    std::fprintf(stderr, "probe: show-pixels %d: %06x %06x %06x\n", shown, pixels[0], pixels[1], pixels[2]);
    SetPort(previous);
    TBDisposeOffscreenPort(port);
}

// The record's fields, the channels' names (each handle released through the host's procs, so
// that the heap is back where it was), then one pixel delivered at once and two shown.
void reportRecord(FilterRecord* record) {
    const Rect& a = record->filterArea;
    const OSType s = record->hostSignature;
    std::fprintf(
        stderr,
        "probe: area %d,%d,%d,%d signature %c%c%c%c mode %d absolute %d mask %d,%d colour-services %s\n",
        a.top, a.left, a.bottom, a.right, char(s >> 24), char(s >> 16), char(s >> 8), char(s),
        record->colourMode, record->absolutePlanesSupported, record->maskPresent, record->maskEnabled,
        record->colorServicesProc ? "yes" : "none");
    std::int32_t count = 0;
    record->propertyQueryProc(kHostSignature, kPropertyChannelCount, 0, &count, nullptr);
    const long blocks = TBHeapLiveBlocks();
    std::string names;
    for (std::int32_t i = 0; i < count; ++i) {
        Handle name = nullptr;
        if (record->propertyQueryProc(kHostSignature, kPropertyChannelName, i, nullptr, &name) != 0 || !name)
            return;
        names += (i ? "," : "") + std::string(*name, std::size_t(GetHandleSize(name)));
        record->handleSuite->disposeProc(name);
    }
    std::fprintf(stderr, "probe: channels %d: %s, %ld handles left\n", count, names.c_str(),
                 TBHeapLiveBlocks() - blocks);
    // The last channel's pixel two up and left of the image, at once: the corner repeated.
    record->requestRect = {-2, -2, -1, -1};
    record->requestFirstPlane = record->requestLastPlane = std::int16_t(count - 1);
    record->planeSourceCode = -1;
    record->absolutePlanesWanted = 1;
    const std::int16_t delivered = record->deliverNowProc();
    std::fprintf(stderr, "probe: deliver-now %d byte %d show-pixels %d\n", delivered,
                 *static_cast<const unsigned char*>(record->requestData),
                 record->showPixelsProc(nullptr, nullptr, 0, 0, nullptr));
    showTwoPixels(record);
}

std::int16_t start(FilterRecord* record) {
    const auto* block = reinterpret_cast<const unsigned char*>(*record->parameterHandle);
    run = Run{};
    run.mode = Mode(block[4]);
    run.channel = block[kChannelOffset] << 8 | block[kChannelOffset + 1];
    run.tile = tileAt(record->filterArea.left, record->filterArea.top, record->filterArea);
    if (run.mode == report)
        reportRecord(record);
    setRects(record);
    return filterNoErr;
}

std::int16_t proceed(FilterRecord* record) {
    if (record->abortQueryProc())
        return filterStop;
    if (run.channel != 0 && run.texture.empty()) {
        storeTexture(record);
        setRects(record);
        return filterNoErr;
    }
    const Rect& area = record->filterArea;
    if (!run.rewound)
        shadeTile(record);
    ++run.tilesDone;
    run.texture.clear();
    run.tile = run.rewound ? Rect{} : tileAt(run.tile.left + kTile, run.tile.top, area);
    if (run.mode == rewriteFirstTile && EmptyRect(&run.tile) && !run.rewound) {
        run.tile = tileAt(area.left, area.top, area);
        run.rewound = true;
    }
    setRects(record);
    if ((run.mode == interruptAfterFirstTile && run.tilesDone == 1) ||
        (run.mode == interruptAfterLastTile && EmptyRect(&run.tile)))
        std::raise(SIGINT);
    return run.mode == failSecondTile && run.tilesDone == 2 ? filterMemFull : filterNoErr;
}

} // namespace

extern "C" __attribute__((visibility("default"))) void PluginMain(std::int32_t selector, void* record,
                                                                  std::intptr_t*, std::int16_t* result) {
    auto* filter = static_cast<FilterRecord*>(record);
    *result = selector == selectorStart      ? start(filter)
              : selector == selectorContinue ? proceed(filter)
                                             : std::int16_t(filterNoErr);
}

extern "C" __attribute__((visibility("default"))) int
PluginCheckParameters(const void* block, std::size_t size, char* why, std::size_t whySize) {
    if (size == kBlockSize && std::memcmp(block, "PRBE", 4) == 0)
        return 0;
    std::snprintf(why, whySize, "not a probe block");
    return 1;
}
