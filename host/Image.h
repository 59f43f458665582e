// An image as read from a file: 8-bit planes of one size, each named.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <new>
#include <string>
#include <utility>
#include <vector>

// Zeroed memory that the system only commits when a page is first written: a plane sized from a
// file's header costs nothing until its rows arrive, so a header that lies costs nothing at all.
template <class T> struct ZeroedAllocator {
    using value_type = T;
    ZeroedAllocator() = default;
    template <class U> ZeroedAllocator(const ZeroedAllocator<U>&) {}
    T* allocate(std::size_t n) {
        if (void* p = std::calloc(n, sizeof(T)))
            return static_cast<T*>(p);
        throw std::bad_alloc();
    }
    void deallocate(T* p, std::size_t) { std::free(p); }
    // Default-initialising leaves calloc's zeros untouched.
    template <class U> void construct(U* p) { ::new (static_cast<void*>(p)) U; }
    template <class U, class... Args> void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
    template <class U> bool operator==(const ZeroedAllocator<U>&) const { return true; }
};

using PlaneBytes = std::vector<std::uint8_t, ZeroedAllocator<std::uint8_t>>;

struct Plane {
    std::string name;
    PlaneBytes bytes; // width x height, row after row
};

struct Image {
    int width = 0;
    int height = 0;
    bool grey = false;         // planes are Grey[, Alpha]; otherwise Red, Green, Blue[, Alpha]
    std::vector<Plane> planes; // colour planes first, then the alpha plane when the file has one

    bool HasAlpha() const { return planes.size() == (grey ? 2u : 4u); }
};

// The filter's rectangles are 16-bit: larger images cannot be addressed.
constexpr int kMaxImageSide = 32767;

// The largest image read unless --max-pixels says otherwise.
constexpr long long kDefaultMaxPixels = 250'000'000;

// Refuses zero-sized images, those over kMaxImageSide on a side and those over `maxPixels`,
// naming `file`. Readers call it on the header's size, before anything of that size exists.
void CheckImageSize(long width, long height, long long maxPixels, const std::string& file);

// An image of that size and kind with its planes named and zeroed.
Image EmptyImage(int width, int height, bool grey, bool alpha);

// Where one sample of each pixel of an interleaved row goes.
struct RowTarget {
    std::uint8_t* plane; // width x height
    int sample;          // index within the pixel
};

// Copies row `y` of interleaved samples, `samplesPerPixel` to a pixel, into each target plane.
void SplitRow(const std::uint8_t* samples, int samplesPerPixel, int width, int y,
              const std::vector<RowTarget>& targets);

// How a written row holds its pixels: red, green, blue, then alpha when `alpha`; 8-bit samples, or
// 16-bit big-endian ones (each 8-bit value x 257) when `sixteen`.
struct RowLayout {
    bool alpha = false;
    bool sixteen = false;

    std::size_t RowBytes(int width) const {
        return std::size_t(width) * (alpha ? 4u : 3u) * (sixteen ? 2u : 1u);
    }
};

// Row `y` of the planes red, green, blue and (when `layout.alpha`) alpha, interleaved into `out`
// in `layout`.
void InterleaveRow(const std::uint8_t* const planes[4], RowLayout layout, int width, int y,
                   std::uint8_t* out);
