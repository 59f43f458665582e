#include "WebpIO.h"

#include "HostError.h"

#include <algorithm>
#include <cstring>
#include <endian.h>
#include <webp/decode.h>
#include <webp/demux.h>
#include <webp/encode.h>
#include <webp/mux.h>

namespace {

// The first bytes of `file` (its first two, "RI", already read): enough for libwebp to find the
// image's size, whatever header it has.
std::string headOf(std::FILE* file) {
    constexpr std::size_t kHeadBytes = 30;
    std::string bytes(kHeadBytes, '\0');
    bytes[0] = 'R';
    bytes[1] = 'I';
    bytes.resize(2 + std::fread(bytes.data() + 2, 1, kHeadBytes - 2, file));
    return bytes;
}

// The most a WebP of `pixels` takes: its image coded at over 4 bytes a pixel (no coding expands
// that much), each metadata part at its limit, and other chunks.
std::size_t mostBytesFor(long long pixels) {
    return std::size_t(pixels) * 5 + 3 * kMaxMetadataBytes + (1 << 16);
}

// Appends the rest of `file` to `bytes`, up to the size its RIFF header gives; a file claiming to
// be longer than a picture of its size can be is refused before it is read.
void readRest(std::FILE* file, std::string& bytes, std::size_t limit, const std::string& path) {
    std::uint32_t riff = 0;
    std::memcpy(&riff, bytes.data() + 4, 4);
    const std::size_t whole = std::size_t(le32toh(riff)) + 8;
    if (whole > limit)
        BadInput("damaged WebP image (longer than a picture of its size can be)", path);
    // Reserved, memory is only taken as bytes arrive: a size the file does not have costs nothing.
    bytes.reserve(whole);
    char buffer[1 << 16];
    for (std::size_t got = 1; got > 0 && bytes.size() < whole;) {
        got = std::fread(buffer, 1, std::min(sizeof buffer, whole - bytes.size()), file);
        bytes.append(buffer, got);
    }
    if (std::ferror(file))
        BadInput("cannot read the image", path);
}

std::string chunkOf(const WebPDemuxer* demux, const char* fourcc) {
    WebPChunkIterator chunk;
    std::string bytes;
    if (WebPDemuxGetChunk(demux, fourcc, 1, &chunk))
        bytes.assign(reinterpret_cast<const char*>(chunk.chunk.bytes), chunk.chunk.size);
    WebPDemuxReleaseChunkIterator(&chunk);
    return bytes;
}

class WebpReader final : public RowReader {
  public:
    WebpReader(std::unique_ptr<FileHandle> file, const std::string& path, long long maxPixels)
        : path_(path), bytes_(headOf(file->Get())) {
        if (bytes_.size() < 12 || bytes_.compare(0, 4, "RIFF") != 0 || bytes_.compare(8, 4, "WEBP") != 0)
            BadInput("not a WebP image", path);
        const WebPBitstreamFeatures head = featuresOf(path);
        CheckImageSize(head.width, head.height, maxPixels, path);
        readRest(file->Get(), bytes_, mostBytesFor(head.width * head.height), path);
        const WebPBitstreamFeatures features = featuresOf(path);
        if (features.has_animation)
            BadInput("animated WebP images are not supported", path);
        width_ = head.width;
        height_ = head.height;
        alpha_ = features.has_alpha != 0;
        const WebPData whole = {data(), bytes_.size()};
        if (WebPDemuxer* demux = WebPDemux(&whole)) {
            metadata_.icc = chunkOf(demux, "ICCP");
            metadata_.exif = chunkOf(demux, "EXIF");
            metadata_.xmp = chunkOf(demux, "XMP ");
            WebPDemuxDelete(demux);
        }
        DropUnreadableExif(metadata_);
        orientation_ = ExifOrientation(metadata_.exif);
    }

    void ReadRows(std::uint8_t* out, int count) override {
        const std::size_t stride = std::size_t(width_) * std::size_t(SamplesPerPixel());
        if (pixels_.empty())
            decode(stride);
        std::memcpy(out, pixels_.data() + std::size_t(next_) * stride, std::size_t(count) * stride);
        next_ += count;
        if (next_ == height_)
            PlaneBytes().swap(pixels_);
    }

  private:
    const std::uint8_t* data() const { return reinterpret_cast<const std::uint8_t*>(bytes_.data()); }

    WebPBitstreamFeatures featuresOf(const std::string& path) const {
        WebPBitstreamFeatures features;
        if (WebPGetFeatures(data(), bytes_.size(), &features) != VP8_STATUS_OK)
            BadInput("damaged WebP image (no usable header)", path);
        return features;
    }

    void decode(std::size_t stride) {
        pixels_.resize(stride * std::size_t(height_));
        const std::uint8_t* done =
            alpha_ ? WebPDecodeRGBAInto(data(), bytes_.size(), pixels_.data(), pixels_.size(), int(stride))
                   : WebPDecodeRGBInto(data(), bytes_.size(), pixels_.data(), pixels_.size(), int(stride));
        std::string().swap(bytes_);
        if (!done)
            BadInput("damaged WebP image (it does not decode)", path_);
    }

    std::string path_;
    std::string bytes_;
    PlaneBytes pixels_;
    int next_ = 0;
};

// libwebp's structures for one picture, released however the writer ends.
struct Encoding {
    WebPPicture picture;
    WebPMemoryWriter memory;
    Encoding() {
        WebPPictureInit(&picture);
        WebPMemoryWriterInit(&memory);
    }
    ~Encoding() {
        WebPPictureFree(&picture);
        WebPMemoryWriterClear(&memory);
    }
};

// A bitstream with the metadata's chunks, in memory of libwebp's; empty when that fails.
struct Assembled {
    WebPData data = {nullptr, 0};
    Assembled(const WebPData& bitstream, const ImageMetadata& metadata) {
        WebPMux* mux = WebPMuxCreate(&bitstream, 0);
        bool ok = mux != nullptr;
        for (const auto& [fourcc, bytes] :
             {std::pair{"ICCP", &metadata.icc}, std::pair{"EXIF", &metadata.exif},
              std::pair{"XMP ", &metadata.xmp}}) {
            const WebPData chunk = {reinterpret_cast<const std::uint8_t*>(bytes->data()), bytes->size()};
            ok = ok && (bytes->empty() || WebPMuxSetChunk(mux, fourcc, &chunk, 0) == WEBP_MUX_OK);
        }
        if (ok && WebPMuxAssemble(mux, &data) != WEBP_MUX_OK)
            WebPDataClear(&data);
        WebPMuxDelete(mux);
    }
    ~Assembled() { WebPDataClear(&data); }
    Assembled(const Assembled&) = delete;
    Assembled& operator=(const Assembled&) = delete;
};

// Rows go into libwebp's picture as they arrive, converted as the encoder takes them (ARGB for
// lossless, YUV 4:2:0 for lossy), so no interleaved copy of the image is kept beside it.
class WebpWriter final : public RowWriter {
  public:
    WebpWriter(std::FILE* out, RowLayout layout, const ImageMetadata& metadata, int width, int height,
               int quality, const std::string& name)
        : out_(out), layout_(layout), metadata_(metadata), width_(width), height_(height), quality_(quality),
          name_(name) {
        if (width > WEBP_MAX_DIMENSION || height > WEBP_MAX_DIMENSION)
            BadInput("cannot write WebP image (it holds at most " + std::to_string(WEBP_MAX_DIMENSION) +
                         " pixels on a side)",
                     name);
        e_.picture.use_argb = lossless();
        e_.picture.colorspace = layout.alpha ? WEBP_YUV420A : WEBP_YUV420;
        e_.picture.width = width;
        e_.picture.height = height;
        if (!WebPPictureAlloc(&e_.picture))
            throw std::bad_alloc();
        if (!lossless())
            pair_.resize(2 * layout.RowBytes(width));
    }

    void WriteRow(const std::uint8_t* row) override {
        const int y = next_++;
        if (lossless())
            return packArgb(row, y);
        const std::size_t stride = layout_.RowBytes(width_);
        std::memcpy(pair_.data() + std::size_t(y % 2) * stride, row, stride);
        if (y % 2 == 1 || y == height_ - 1)
            importPair(y - y % 2, y % 2 + 1);
    }

    void Finish() override {
        encode();
        const WebPData bitstream = {e_.memory.mem, e_.memory.size};
        if (metadata_.icc.empty() && metadata_.exif.empty() && metadata_.xmp.empty())
            return write(bitstream);
        const Assembled file(bitstream, metadata_);
        WebPMemoryWriterClear(&e_.memory);
        WebPMemoryWriterInit(&e_.memory);
        if (file.data.size == 0)
            BadInput("cannot write WebP image (its metadata)", name_);
        write(file.data);
    }

  private:
    bool lossless() const { return quality_ >= 100; }

    void packArgb(const std::uint8_t* row, int y) {
        std::uint32_t* argb = e_.picture.argb + std::size_t(y) * std::size_t(e_.picture.argb_stride);
        const std::size_t step = layout_.alpha ? 4 : 3;
        for (int x = 0; x < width_; ++x, row += step)
            argb[x] = std::uint32_t(layout_.alpha ? row[3] : 0xFF) << 24 | std::uint32_t(row[0]) << 16 |
                      std::uint32_t(row[1]) << 8 | row[2];
    }

    // Rows `top` and on, `count` (1 or 2) of them, converted by libwebp as a picture of their own:
    // its conversion takes rows two at a time, so the result is that of the whole image's.
    void importPair(int top, int count) {
        Encoding strip;
        strip.picture.width = width_;
        strip.picture.height = count;
        const int stride = int(layout_.RowBytes(width_));
        if (!(layout_.alpha ? WebPPictureImportRGBA(&strip.picture, pair_.data(), stride)
                            : WebPPictureImportRGB(&strip.picture, pair_.data(), stride)))
            throw std::bad_alloc();
        const WebPPicture& from = strip.picture;
        WebPPicture& to = e_.picture;
        const std::size_t chroma = std::size_t(width_ + 1) / 2;
        for (int r = 0; r < count; ++r) {
            const std::size_t y = std::size_t(top + r);
            std::memcpy(to.y + y * std::size_t(to.y_stride), from.y + r * from.y_stride, std::size_t(width_));
            // An opaque strip comes without alpha.
            if (to.a && from.a)
                std::memcpy(to.a + y * std::size_t(to.a_stride), from.a + r * from.a_stride,
                            std::size_t(width_));
            else if (to.a)
                std::memset(to.a + y * std::size_t(to.a_stride), 0xFF, std::size_t(width_));
        }
        const std::size_t line = std::size_t(top / 2) * std::size_t(to.uv_stride);
        std::memcpy(to.u + line, from.u, chroma);
        std::memcpy(to.v + line, from.v, chroma);
    }

    void encode() {
        WebPConfig config;
        if (!WebPConfigInit(&config))
            BadInput("cannot write WebP image (library version)", name_);
        config.lossless = lossless();
        config.quality = lossless() ? 75.0f : float(quality_);
        config.exact = 1; // colour under transparent pixels is kept as lit
        e_.picture.writer = WebPMemoryWrite;
        e_.picture.custom_ptr = &e_.memory;
        PlaneBytes().swap(pair_);
        const bool encoded = WebPEncode(&config, &e_.picture);
        const int error = int(e_.picture.error_code);
        WebPPictureFree(&e_.picture);
        if (!encoded)
            BadInput("cannot write WebP image (error " + std::to_string(error) + ")", name_);
    }

    void write(const WebPData& file) const {
        if (std::fwrite(file.bytes, 1, file.size, out_) != file.size)
            BadInput("cannot write WebP image", name_);
    }

    std::FILE* out_;
    const RowLayout layout_;
    const ImageMetadata metadata_;
    const int width_;
    const int height_;
    const int quality_;
    const std::string name_;
    Encoding e_;
    PlaneBytes pair_; // a lossy picture's rows, two at a time
    int next_ = 0;
};

} // namespace

std::unique_ptr<RowReader> OpenWebp(std::unique_ptr<FileHandle> file, const std::string& path,
                                    long long maxPixels) {
    return std::make_unique<WebpReader>(std::move(file), path, maxPixels);
}

std::unique_ptr<RowWriter> StartWebp(std::FILE* out, RowLayout layout, const ImageMetadata& metadata,
                                     int width, int height, int quality, const std::string& name) {
    return std::make_unique<WebpWriter>(out, layout, metadata, width, height, quality, name);
}
