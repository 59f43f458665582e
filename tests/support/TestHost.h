// An in-process host for the module: serves the tile protocol over in-memory images, with
// counting progress, a scriptable abort, and options that imitate less helpful hosts.
#pragma once

#include "Pixels.h"
#include "relight_filter.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// A deterministic test picture: smooth gradients with some texture, every byte value used.
Pixels MakeTestImage(int width, int height, unsigned seed = 1);

class TestHost {
  public:
    explicit TestHost(Pixels image);
    ~TestHost();
    TestHost(const TestHost&) = delete;
    TestHost& operator=(const TestHost&) = delete;

    // Extra document channels (one byte a pixel, the image's size), channel 4 onwards.
    void AddChannel(std::vector<std::uint8_t> plane);
    // The filtered area (left, top, width, height); the whole image by default.
    void SetArea(int left, int top, int width, int height);
    // Gives the parameter handle a copy of the block (null block: no handle).
    void SetParameterBlock(const void* block, std::size_t size);
    std::vector<std::uint8_t> ParameterBlock() const;

    // Calls the entry point once; returns the result.
    std::int16_t Call(std::int16_t selector);
    // prepare, start, continue while rectangles remain, finish, into a result that starts as the
    // source. Returns the first non-zero result (finish is still called), or 0.
    std::int16_t RunWithoutDialog() { return RunFrom(selectorPrepare); }
    // parameters, prepare, start, continue while rectangles remain (the dialog runs inside one of
    // them, driven by `script` on the headless backend), finish. As RunWithoutDialog.
    std::int16_t RunWithDialog(const std::string& script);
    // Offers colour services that answer `result` and, on 0, the 8-bit colour `answer`.
    void SetColorService(std::int16_t result, std::array<std::int16_t, 3> answer);
    // Releases the module's object as an unloading host would.
    void Unload();

    // Delivers what the record's rectangles ask for now, as before a continue call or a
    // deliver-now callback; the callbacks then act on this host.
    void Deliver();
    void MakeCurrent() { current_ = this; }

    FilterRecord& Record() { return record_; }
    std::intptr_t GlobalsSlot() const { return slot_; }
    const Pixels& Result() const { return result_; }
    const Pixels& Source() const { return source_; }

    int continueCalls = 0;
    int textureDeliveries = 0;
    std::vector<std::pair<int, int>> progress; // (done, total) as reported
    int abortAfterQueries = -1;                // abort from this query on (-1: never)
    int abortQueries = 0;
    bool trimTextureAtBorders = false;            // deliver texture blocks cut to the image, like some hosts
    int threads = 0;                              // the module's threads for a run; 0: one a core
    int displays = 0;                             // showPixelsProc calls
    std::vector<ColorServicesInfo> colorRequests; // as the module filled them in

  private:
    void DeliverColour();
    void DeliverChannel(int channel);
    void DeliverCopy(const std::uint8_t* plane, int step, int bytes, int stride);

    static std::int16_t AbortProc();
    static void ProgressProc(std::uint16_t done, std::uint16_t total) {
        if (current_)
            current_->progress.emplace_back(done, total);
    }
    static std::int16_t ShowPixelsProc(const QXPixelMap*, const VRect*, std::int32_t, std::int32_t, void*);
    static std::int16_t DeliverNowProc();
    static std::int16_t PropertyProc(OSType, OSType, std::int32_t, std::int32_t*, Handle*);
    static void EventProc(EventRecord*) {}
    static std::int16_t ColorProc(ColorServicesInfo* info);
    std::int16_t RunFrom(std::int16_t selector);
    static TestHost* current_;

    Pixels source_;
    Pixels result_;
    std::vector<std::vector<std::uint8_t>> channels_;
    FilterRecord record_{};
    HandleProcs handleProcs_{};
    std::intptr_t slot_ = 0;
    std::vector<std::uint8_t> request_;
    GrafPtr port_ = nullptr; // the host's own drawing surface, current while the module is called
    std::int16_t colorResult_ = filterServiceMissing;
    std::array<std::int16_t, 3> colorAnswer_{};
};
