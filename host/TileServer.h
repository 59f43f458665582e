// The host's side of the tile protocol: the filter record with every callback, the pixels of the
// rectangles the module asks for, and the results it hands back.
//
// Rectangles may reach outside the image (a texture block grows 3 pixels past its tile): those
// pixels repeat the nearest edge pixel, so a block is always delivered whole. Results are blended
// with the original by the selection mask m (0..255) when there is one:
//     result = (original x (255 - m) + filtered x m + 127) / 255   (integer division)
// so 0 keeps the original and 255 takes the filtered pixel.
#pragma once

#include "Document.h"
#include "TileTraffic.h"
#include "relight_filter.h"

#include <cstdint>
#include <vector>

class TileServer {
  public:
    // Fills the record for `document`, whose source rows and results pass through `traffic`; the
    // record's callbacks reach this server until it is destroyed (one at a time).
    TileServer(Document& document, TileTraffic& traffic);
    ~TileServer();
    TileServer(const TileServer&) = delete;
    TileServer& operator=(const TileServer&) = delete;

    FilterRecord& Record() { return record_; }

    // True while the module has a rectangle set, i.e. wants another continue call.
    bool Pending() const;
    // Before a continue call: the requested pixels, the mask and a result buffer for writeRect.
    // Throws HostError when the module asks for a plane the document does not have.
    void Deliver();
    // After a successful continue call: the result buffer back into the document.
    void TakeBack();

  private:
    struct Target {
        Rect rect;
        std::int16_t firstPlane;
        std::int16_t planeCount;
        std::int32_t rowBytes;
    };

    void deliverRequest();
    void deliverMask();
    // The request covers the write rectangle's pixels and planes, as a final tile's does.
    bool requestIsTarget() const;
    using Sources = std::vector<const PlaneBytes*>;
    Sources planes(std::int16_t first, std::int16_t last, bool absolute) const;
    void fill(const Rect& rect, const Sources& source, std::uint8_t* out, std::int32_t rowBytes) const;

    static std::int16_t onAbort();
    static void onProgress(std::uint16_t done, std::uint16_t total);
    static std::int16_t onShowPixels(const QXPixelMap* source, const VRect* rect, std::int32_t row,
                                     std::int32_t col, void* context);
    static std::int16_t onDeliverNow();
    static std::int16_t onProperty(OSType signature, OSType key, std::int32_t index, std::int32_t* simple,
                                   Handle* complex);
    static void onEvent(EventRecord* event);

    static TileServer* current_;
    Document& document_;
    TileTraffic& traffic_;
    FilterRecord record_{};
    HandleProcs handles_{};
    std::vector<std::uint8_t> request_;
    std::vector<std::uint8_t> write_;
    std::vector<std::uint8_t> mask_;
    Target target_{};
};
