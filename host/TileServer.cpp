#include "TileServer.h"

#include "HostError.h"
#include "Interrupt.h"
#include "Memory.h"
#include "ShowPixels.h"

#include <algorithm>
#include <cstring>

TileServer* TileServer::current_ = nullptr;

namespace {

constexpr std::int16_t kAbsolutePlanes = -1;
constexpr std::int16_t kTargetPlanes = -2;
constexpr std::size_t kTargetPlaneCount = 3;

bool isEmpty(const Rect& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

int widthOf(const Rect& r) {
    return isEmpty(r) ? 0 : r.right - r.left;
}

int heightOf(const Rect& r) {
    return isEmpty(r) ? 0 : r.bottom - r.top;
}

int clampTo(int v, int size) {
    return std::clamp(v, 0, size - 1);
}

std::uint8_t blend(std::uint8_t original, std::uint8_t filtered, std::uint8_t mask) {
    return std::uint8_t((unsigned(original) * (255u - mask) + unsigned(filtered) * mask + 127u) / 255u);
}

// `count` filtered samples `step` bytes apart into a result row, blended with the original row by
// the mask row when there is one.
void storeRow(const std::uint8_t* filtered, int step, int count, const std::uint8_t* original,
              const std::uint8_t* mask, std::uint8_t* out) {
    if (!mask) {
        for (int x = 0; x < count; ++x)
            out[x] = filtered[x * step];
        return;
    }
    for (int x = 0; x < count; ++x)
        out[x] = blend(original[x], filtered[x * step], mask[x]);
}

} // namespace

TileServer::TileServer(Document& document, TileTraffic& traffic) : document_(document), traffic_(traffic) {
    current_ = this;
    handles_.disposeProc = DisposeHandle;
    record_.abortQueryProc = onAbort;
    record_.progressReportProc = onProgress;
    record_.filterArea = document.area;
    record_.maskPresent = record_.maskEnabled = document.mask.empty() ? 0 : 1;
    record_.hostSignature = kHostSignature;
    record_.colourMode = kColourModeRGB;
    record_.eventProc = onEvent;
    record_.showPixelsProc = onShowPixels;
    record_.handleSuite = &handles_;
    record_.deliverNowProc = onDeliverNow;
    record_.absolutePlanesSupported = 1;
    record_.propertyQueryProc = onProperty;
    record_.planeSourceCode = kTargetPlanes;
    // No colour services: the module then uses its own colour picker.
    record_.colorServicesProc = nullptr;
}

TileServer::~TileServer() {
    current_ = nullptr;
}

bool TileServer::Pending() const {
    return !isEmpty(record_.requestRect) || !isEmpty(record_.writeRect) || !isEmpty(record_.maskRequestRect);
}

TileServer::Sources TileServer::planes(std::int16_t first, std::int16_t last, bool absolute) const {
    const std::size_t available = absolute ? document_.channels.size() : kTargetPlaneCount;
    if (first < 0 || last < first || std::size_t(last) >= available)
        throw HostError(ExitStatus::filterFailed, "the filter asked for plane " + std::to_string(first) +
                                                      " to " + std::to_string(last) + ", the document has " +
                                                      std::to_string(available));
    Sources result;
    for (std::int16_t p = first; p <= last; ++p)
        result.push_back(&document_.channels[std::size_t(p)].bytes);
    return result;
}

void TileServer::fill(const Rect& rect, const Sources& source, std::uint8_t* out,
                      std::int32_t rowBytes) const {
    if (isEmpty(rect))
        return;
    traffic_.AwaitRows(clampTo(rect.bottom - 1, document_.height) + 1);
    const std::size_t count = source.size();
    const int width = document_.width;
    for (int y = rect.top; y < rect.bottom; ++y) {
        const std::size_t row = std::size_t(clampTo(y, document_.height)) * std::size_t(width);
        std::uint8_t* dst = out + std::size_t(y - rect.top) * std::size_t(rowBytes);
        // A plane at a time through raw pointers: bytes stored may alias anything, so the planes'
        // addresses would otherwise be fetched again for every byte.
        for (std::size_t p = 0; p < count; ++p) {
            const std::uint8_t* from = source[p]->data() + row;
            std::uint8_t* to = dst + p;
            for (int x = rect.left; x < rect.right; ++x, to += count)
                *to = from[clampTo(x, width)];
        }
    }
}

void TileServer::deliverRequest() {
    const Rect& rect = record_.requestRect;
    const bool absolute = record_.absolutePlanesWanted && record_.planeSourceCode == kAbsolutePlanes;
    const auto source = planes(record_.requestFirstPlane, record_.requestLastPlane, absolute);
    record_.requestRowBytes = std::int32_t(widthOf(rect) * int(source.size()));
    request_.assign(std::size_t(record_.requestRowBytes) * std::size_t(heightOf(rect)), 0);
    fill(rect, source, request_.data(), record_.requestRowBytes);
    record_.requestData = request_.empty() ? nullptr : request_.data();
}

void TileServer::deliverMask() {
    const Rect& rect = record_.maskRequestRect;
    if (document_.mask.empty() || isEmpty(rect)) {
        record_.maskPixels = nullptr;
        record_.maskRowBytes = 0;
        return;
    }
    record_.maskRowBytes = widthOf(rect);
    mask_.assign(std::size_t(record_.maskRowBytes) * std::size_t(heightOf(rect)), 0);
    fill(rect, {&document_.mask}, mask_.data(), record_.maskRowBytes);
    record_.maskPixels = mask_.data();
}

void TileServer::Deliver() {
    if (isEmpty(record_.requestRect)) {
        record_.requestData = nullptr;
        record_.requestRowBytes = 0;
    } else {
        deliverRequest();
    }
    deliverMask();
    const Rect& rect = record_.writeRect;
    if (isEmpty(rect)) {
        target_ = {};
        record_.writeData = nullptr;
        record_.writeRowBytes = 0;
        return;
    }
    // The buffer starts as the source pixels, so whatever the module leaves alone stays as it was:
    // the request's bytes when it asked for the same pixels (a final tile does), else a fill.
    const auto source = planes(record_.writeFirstPlane, record_.writeLastPlane, false);
    target_ = {rect, record_.writeFirstPlane, std::int16_t(source.size()),
               std::int32_t(widthOf(rect) * int(source.size()))};
    if (requestIsTarget())
        write_.assign(request_.begin(), request_.end());
    else {
        write_.assign(std::size_t(target_.rowBytes) * std::size_t(heightOf(rect)), 0);
        fill(rect, source, write_.data(), target_.rowBytes);
    }
    record_.writeData = write_.data();
    record_.writeRowBytes = target_.rowBytes;
}

bool TileServer::requestIsTarget() const {
    const Rect& r = record_.requestRect;
    const Rect& w = record_.writeRect;
    return record_.requestData && record_.planeSourceCode == kTargetPlanes && r.top == w.top &&
           r.left == w.left && r.bottom == w.bottom && r.right == w.right &&
           record_.requestFirstPlane == record_.writeFirstPlane &&
           record_.requestLastPlane == record_.writeLastPlane;
}

void TileServer::TakeBack() {
    const Rect& rect = target_.rect;
    traffic_.Writing(rect);
    const int left = std::max<int>(rect.left, 0);
    const int right = std::min<int>(rect.right, document_.width);
    const std::uint8_t* mask = document_.mask.empty() ? nullptr : document_.mask.data();
    const int bottom = left < right ? std::min<int>(rect.bottom, document_.height) : 0;
    for (int y = std::max<int>(rect.top, 0); y < bottom; ++y) {
        const std::uint8_t* src = write_.data() + std::size_t(y - rect.top) * std::size_t(target_.rowBytes) +
                                  std::size_t(left - rect.left) * std::size_t(target_.planeCount);
        const std::size_t at = std::size_t(y) * std::size_t(document_.width) + std::size_t(left);
        for (int p = 0; p < target_.planeCount; ++p) {
            const std::size_t plane = std::size_t(target_.firstPlane + p);
            storeRow(src + p, target_.planeCount, right - left, document_.channels[plane].bytes.data() + at,
                     mask ? mask + at : nullptr, document_.result[plane].data() + at);
        }
    }
    traffic_.Written(rect);
    target_ = {};
}

std::int16_t TileServer::onAbort() {
    return InterruptRequested() ? 1 : 0;
}

void TileServer::onProgress(std::uint16_t done, std::uint16_t total) {
    current_->traffic_.Report(done, total);
}

std::int16_t TileServer::onShowPixels(const QXPixelMap* source, const VRect* rect, std::int32_t row,
                                      std::int32_t column, void*) {
    return ShowPixels(source, rect, row, column);
}

std::int16_t TileServer::onDeliverNow() {
    try {
        if (!isEmpty(current_->record_.requestRect))
            current_->deliverRequest();
        current_->deliverMask();
        return filterNoErr;
    } catch (const HostError&) {
        return filterServiceMissing;
    }
}

std::int16_t TileServer::onProperty(OSType signature, OSType key, std::int32_t index, std::int32_t* simple,
                                    Handle* complex) {
    const std::vector<Plane>& channels = current_->document_.channels;
    if (signature != kHostSignature)
        return filterServiceMissing;
    if (key == kPropertyChannelCount && simple) {
        *simple = std::int32_t(channels.size());
        return filterNoErr;
    }
    if (key != kPropertyChannelName || !complex || index < 0 || std::size_t(index) >= channels.size())
        return filterServiceMissing;
    const std::string& name = channels[std::size_t(index)].name;
    *complex = NewHandle(Size(name.size()));
    if (!*complex)
        return filterMemFull;
    if (!name.empty())
        std::memcpy(**complex, name.data(), name.size());
    return filterNoErr;
}

// The host shows no window of its own while the module's dialog is up, so no event concerns it.
void TileServer::onEvent(EventRecord*) {}
