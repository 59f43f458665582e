#include "PngImageData.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace {

constexpr std::uint8_t kPaeth = 4;
constexpr std::size_t kChunkBytes = 1 << 16;
constexpr png_byte kIdat[] = "IDAT";
constexpr png_byte kIend[] = "IEND";

// a, b and c are the bytes left, above and above left of the byte predicted; the comparisons
// select without branches, which the compiler turns into conditional moves.
std::uint8_t paethPredictor(int a, int b, int c) {
    const int pa = std::abs(b - c);
    const int pb = std::abs(a - c);
    const int pc = std::abs(a + b - 2 * c);
    return std::uint8_t(pa <= pb && pa <= pc ? a : pb <= pc ? b : c);
}

void paethRow(const std::uint8_t* row, const std::uint8_t* above, std::size_t bytes, int pixelBytes,
              std::uint8_t* out) {
    const std::size_t step = std::size_t(pixelBytes);
    for (std::size_t x = 0; x < step && x < bytes; ++x)
        out[x] = std::uint8_t(row[x] - above[x]); // the predictor of the first pixel is the byte above
    for (std::size_t x = step; x < bytes; ++x)
        out[x] = std::uint8_t(row[x] - paethPredictor(row[x - step], above[x], above[x - step]));
}

} // namespace

PngImageData::PngImageData(png_structp png, std::size_t rowBytes, int pixelBytes)
    : png_(png), pixelBytes_(pixelBytes), previous_(rowBytes), filtered_(rowBytes + 1), chunk_(kChunkBytes) {
    // The level does not matter to run-length matching.
    if (deflateInit2(&zlib_, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15, 8, Z_RLE) != Z_OK)
        throw std::bad_alloc();
    zlib_.next_out = chunk_.data();
    zlib_.avail_out = uInt(chunk_.size());
}

PngImageData::~PngImageData() {
    deflateEnd(&zlib_);
}

void PngImageData::Row(const std::uint8_t* row) {
    filtered_[0] = kPaeth;
    paethRow(row, previous_.data(), previous_.size(), pixelBytes_, filtered_.data() + 1);
    std::memcpy(previous_.data(), row, previous_.size());
    zlib_.next_in = filtered_.data();
    zlib_.avail_in = uInt(filtered_.size());
    deflateRows(Z_NO_FLUSH);
}

void PngImageData::Finish() {
    deflateRows(Z_FINISH);
    writeChunk();
    png_write_chunk(png_, kIend, nullptr, 0);
}

// Until the input is taken (and with Z_FINISH the stream ended), writing each full chunk.
void PngImageData::deflateRows(int flush) {
    for (;;) {
        if (zlib_.avail_out == 0)
            writeChunk();
        const int status = deflate(&zlib_, flush);
        if (status == Z_STREAM_ERROR)
            png_error(png_, "compression failed");
        if (flush == Z_FINISH ? status == Z_STREAM_END : zlib_.avail_in == 0)
            return;
    }
}

void PngImageData::writeChunk() {
    const std::size_t bytes = chunk_.size() - zlib_.avail_out;
    if (bytes > 0)
        png_write_chunk(png_, kIdat, chunk_.data(), bytes);
    zlib_.next_out = chunk_.data();
    zlib_.avail_out = uInt(chunk_.size());
}
