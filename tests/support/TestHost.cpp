#include "TestHost.h"

#include "LM_globals.h"
#include "Backend.h"
#include "Memory.h"
#include "QuickDraw.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>

TestHost* TestHost::current_ = nullptr;

Pixels MakeTestImage(int width, int height, unsigned seed) {
    Pixels image = Pixels::Rgb(width, height);
    unsigned state = seed * 2654435761u + 12345u;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            state = state * 1664525u + 1013904223u;
            std::uint8_t* p = image.at(x, y);
            p[0] = std::uint8_t((x * 255) / std::max(1, width - 1));
            p[1] = std::uint8_t((y * 255) / std::max(1, height - 1));
            p[2] = std::uint8_t(state >> 24);
        }
    return image;
}

TestHost::TestHost(Pixels image) : source_(std::move(image)), result_(source_) {
    record_.abortQueryProc = &AbortProc;
    record_.progressReportProc = &ProgressProc;
    record_.showPixelsProc = &ShowPixelsProc;
    record_.deliverNowProc = &DeliverNowProc;
    record_.propertyQueryProc = &PropertyProc;
    record_.eventProc = &EventProc;
    record_.handleSuite = &handleProcs_;
    handleProcs_.disposeProc = &DisposeHandle;
    record_.hostSignature = kHostSignature;
    record_.colourMode = kColourModeRGB;
    record_.absolutePlanesSupported = 1;
    record_.planeSourceCode = -2;
    SetArea(0, 0, source_.width, source_.height);
    const Rect bounds = {0, 0, 16, 16};
    port_ = TBNewOffscreenPort(&bounds, 32);
}

TestHost::~TestHost() {
    Unload();
    DisposeHandle(record_.parameterHandle);
    TBDisposeOffscreenPort(port_);
}

void TestHost::AddChannel(std::vector<std::uint8_t> plane) {
    if (plane.size() != std::size_t(source_.width) * source_.height)
        throw std::invalid_argument("channel size differs from the image");
    channels_.push_back(std::move(plane));
}

void TestHost::SetArea(int left, int top, int width, int height) {
    record_.filterArea = {std::int16_t(top), std::int16_t(left), std::int16_t(top + height),
                          std::int16_t(left + width)};
}

void TestHost::SetParameterBlock(const void* block, std::size_t size) {
    DisposeHandle(record_.parameterHandle);
    record_.parameterHandle = nullptr;
    if (!block)
        return;
    record_.parameterHandle = NewHandle(Size(size));
    std::memcpy(*record_.parameterHandle, block, size);
}

std::vector<std::uint8_t> TestHost::ParameterBlock() const {
    Handle h = record_.parameterHandle;
    if (!h || !*h)
        return {};
    return {reinterpret_cast<std::uint8_t*>(*h), reinterpret_cast<std::uint8_t*>(*h) + GetHandleSize(h)};
}

std::int16_t TestHost::Call(std::int16_t selector) {
    current_ = this;
    SetPort(port_);
    std::int16_t result = 0;
    if (selector == selectorContinue)
        Deliver();
    PluginMain(selector, &record_, &slot_, &result);
    current_ = nullptr;
    return result;
}

std::int16_t TestHost::RunWithDialog(const std::string& script) {
    std::string error;
    if (!TBLoadInputScript(script, &error))
        throw std::invalid_argument(error);
    const std::int16_t result = Call(selectorParameters);
    return result ? result : RunFrom(selectorPrepare);
}

std::int16_t TestHost::RunFrom(std::int16_t first) {
    result_ = source_; // each run filters the document afresh, as a host's new result buffer
    PluginSetThreads(threads);
    std::int16_t result = Call(first);
    if (result == 0)
        result = Call(selectorStart);
    while (result == 0 && !(EmptyRect(&record_.requestRect) && EmptyRect(&record_.writeRect) &&
                            EmptyRect(&record_.maskRequestRect)))
        result = Call(selectorContinue);
    const std::int16_t finish = Call(selectorFinish);
    return result ? result : finish;
}

void TestHost::Unload() {
    LM_globals::Delete(reinterpret_cast<LM_globals*>(slot_));
    slot_ = 0;
}

void TestHost::Deliver() {
    ++continueCalls;
    if (record_.planeSourceCode == -1 && record_.absolutePlanesWanted)
        DeliverChannel(record_.requestFirstPlane);
    else
        DeliverColour();
    // The module writes into the result itself, as into a host's document filtered in place: a run
    // hands out each pixel to write once, so what it leaves alone is still the source.
    const Rect& w = record_.writeRect;
    record_.writeData = EmptyRect(&w) ? nullptr : result_.at(w.left, w.top);
    record_.writeRowBytes = result_.width * 3;
}

// The source's own rows when the rectangle lies inside the image; a copy with its edges repeated
// when it reaches past them.
void TestHost::DeliverColour() {
    const Rect& r = record_.requestRect;
    if (r.left >= 0 && r.top >= 0 && r.right <= source_.width && r.bottom <= source_.height) {
        record_.requestData = EmptyRect(&r) ? nullptr : const_cast<std::uint8_t*>(source_.at(r.left, r.top));
        record_.requestRowBytes = source_.width * 3;
        return;
    }
    DeliverCopy(source_.samples.data(), 3, 3, std::max(0, r.right - r.left) * 3);
}

void TestHost::DeliverChannel(int channel) {
    ++textureDeliveries;
    Rect& r = record_.requestRect;
    if (trimTextureAtBorders)
        r = {std::max<std::int16_t>(r.top, 0), std::max<std::int16_t>(r.left, 0),
             std::min(r.bottom, std::int16_t(source_.height)),
             std::min(r.right, std::int16_t(source_.width))};
    // The image's own channels are every third byte of its pixels. The rows are deliberately not
    // the width apart: the module must honour requestRowBytes.
    const bool own = channel < 3;
    DeliverCopy(own ? source_.samples.data() + channel : channels_.at(std::size_t(channel - 3)).data(),
                own ? 3 : 1, 1, std::max(0, r.right - r.left) + 5);
}

// Delivers the requested rectangle of a plane of the image's size, `step` bytes a pixel and `bytes`
// of each, as rows `stride` bytes apart; pixels outside the plane repeat its edge.
void TestHost::DeliverCopy(const std::uint8_t* plane, int step, int bytes, int stride) {
    const Rect& r = record_.requestRect;
    const int w = std::max(0, r.right - r.left), h = std::max(0, r.bottom - r.top);
    request_.assign(std::size_t(stride) * h, 0);
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* row =
            plane + std::size_t(std::clamp(r.top + y, 0, source_.height - 1)) * source_.width * step;
        for (int x = 0; x < w; ++x)
            std::memcpy(&request_[std::size_t(y) * stride + x * bytes],
                        row + std::clamp(r.left + x, 0, source_.width - 1) * step, std::size_t(bytes));
    }
    record_.requestData = request_.data();
    record_.requestRowBytes = stride;
}

std::int16_t TestHost::AbortProc() {
    TestHost* h = current_;
    if (!h)
        return 0;
    ++h->abortQueries;
    return h->abortAfterQueries >= 0 && h->abortQueries > h->abortAfterQueries;
}

// Draws the map's rectangle into the current port, as a host's display service does.
std::int16_t TestHost::ShowPixelsProc(const QXPixelMap* map, const VRect* source, std::int32_t row,
                                      std::int32_t column, void*) {
    if (current_)
        ++current_->displays;
    const int w = source->right - source->left;
    const int h = source->bottom - source->top;
    std::vector<std::uint32_t> pixels(std::size_t(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const auto* p = static_cast<const std::uint8_t*>(map->baseAddr) +
                            std::ptrdiff_t(source->top + y) * map->rowBytes +
                            (source->left + x) * map->colBytes;
            pixels[std::size_t(y) * w + x] = std::uint32_t(p[0]) << 16 | std::uint32_t(p[1]) << 8 | p[2];
        }
    PixMap bits{};
    bits.baseAddr = reinterpret_cast<Ptr>(pixels.data());
    bits.rowBytes = w * 4;
    bits.bounds = {0, 0, std::int16_t(h), std::int16_t(w)};
    bits.pixelSize = 32;
    GrafPtr port;
    GetPort(&port);
    const Rect from = bits.bounds;
    const Rect to = {std::int16_t(row), std::int16_t(column), std::int16_t(row + h),
                     std::int16_t(column + w)};
    CopyBits(&bits, GetPortBitMapForCopyBits(port), &from, &to, srcCopy, nullptr);
    return 0;
}

std::int16_t TestHost::ColorProc(ColorServicesInfo* info) {
    TestHost* h = current_;
    if (!h)
        return filterServiceMissing;
    h->colorRequests.push_back(*info);
    if (h->colorResult_ == 0)
        for (int c = 0; c < 3; ++c)
            info->colorComponents[c] = h->colorAnswer_[std::size_t(c)];
    return h->colorResult_;
}

void TestHost::SetColorService(std::int16_t result, std::array<std::int16_t, 3> answer) {
    record_.colorServicesProc = &ColorProc;
    colorResult_ = result;
    colorAnswer_ = answer;
}

std::int16_t TestHost::DeliverNowProc() {
    if (current_)
        current_->DeliverChannel(current_->record_.requestFirstPlane);
    return 0;
}

std::int16_t TestHost::PropertyProc(OSType, OSType key, std::int32_t index, std::int32_t* simple,
                                    Handle* complex) {
    TestHost* h = current_;
    if (!h)
        return filterServiceMissing;
    if (key == kPropertyChannelCount) {
        *simple = 3 + std::int32_t(h->channels_.size());
        return 0;
    }
    if (key != kPropertyChannelName || index < 0 || index >= 3 + std::int32_t(h->channels_.size()))
        return filterServiceMissing;
    static const char* names[] = {"Red", "Green", "Blue"};
    std::string name = index < 3 ? names[index] : "Channel " + std::to_string(index - 2);
    *complex = NewHandle(Size(name.size()));
    if (!*complex)
        return filterMemFull;
    std::memcpy(**complex, name.data(), name.size());
    return 0;
}
