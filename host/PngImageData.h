// The pixels of a PNG as relight writes them: each row's Paeth residuals, deflated with run-length
// matches only (zlib's Z_RLE), in IDAT chunks; libpng writes the rest of the file. On photographs
// and noise alike that is within 7% of the size of libpng's default (level 6, adaptive filters) in
// a sixth of its time. The residuals are libpng's; its own filter, bytewise and branchy, took half
// of the encoding time.
#pragma once

#include <png.h>
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <vector>

class PngImageData {
  public:
    // Rows of `rowBytes` bytes, `pixelBytes` a pixel, for `png`, whose header has been written.
    PngImageData(png_structp png, std::size_t rowBytes, int pixelBytes);
    ~PngImageData();
    PngImageData(const PngImageData&) = delete;
    PngImageData& operator=(const PngImageData&) = delete;

    // Both write through libpng, whose errors leave by its long jump: call them where it is set.
    void Row(const std::uint8_t* row);
    // The end of the pixels and of the file.
    void Finish();

  private:
    void deflateRows(int flush);
    void writeChunk();

    png_structp png_;
    int pixelBytes_;
    std::vector<std::uint8_t> previous_; // the row above; zeros above the first
    std::vector<std::uint8_t> filtered_; // the filter's type, then the residuals
    std::vector<std::uint8_t> chunk_;
    z_stream zlib_{};
};
