#include "WebpIO.h"

#include "HostError.h"

#include <cstring>
#include <endian.h>
#include <webp/decode.h>
#include <webp/demux.h>
#include <webp/encode.h>
#include <webp/mux.h>

namespace {

// The whole file, its first two bytes "RI" already read; a RIFF file says its size, so a file
// longer than it says is not read past that.
std::string restOf(std::FILE* file, const std::string& path) {
    std::string bytes = "RI";
    char buffer[1 << 16];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;) {
        bytes.append(buffer, got);
        if (bytes.size() >= 8) {
            std::uint32_t riff = 0;
            std::memcpy(&riff, bytes.data() + 4, 4);
            if (bytes.size() > std::size_t(le32toh(riff)) + 8)
                break;
        }
    }
    if (std::ferror(file))
        BadInput("cannot read the image", path);
    return bytes;
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
        : path_(path), bytes_(restOf(file->Get(), path)) {
        if (bytes_.size() < 12 || bytes_.compare(0, 4, "RIFF") != 0 || bytes_.compare(8, 4, "WEBP") != 0)
            BadInput("not a WebP image", path);
        const auto* data = reinterpret_cast<const std::uint8_t*>(bytes_.data());
        WebPBitstreamFeatures features;
        if (WebPGetFeatures(data, bytes_.size(), &features) != VP8_STATUS_OK)
            BadInput("damaged WebP image (no usable header)", path);
        if (features.has_animation)
            BadInput("animated WebP images are not supported", path);
        CheckImageSize(features.width, features.height, maxPixels, path);
        width_ = features.width;
        height_ = features.height;
        alpha_ = features.has_alpha != 0;
        const WebPData whole = {data, bytes_.size()};
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
    }

  private:
    void decode(std::size_t stride) {
        pixels_.resize(stride * std::size_t(height_));
        const auto* data = reinterpret_cast<const std::uint8_t*>(bytes_.data());
        const std::uint8_t* done =
            alpha_ ? WebPDecodeRGBAInto(data, bytes_.size(), pixels_.data(), pixels_.size(), int(stride))
                   : WebPDecodeRGBInto(data, bytes_.size(), pixels_.data(), pixels_.size(), int(stride));
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

class WebpWriter final : public RowWriter {
  public:
    WebpWriter(std::FILE* out, RowLayout layout, const ImageMetadata& metadata, int width, int height,
               int quality, const std::string& name)
        : out_(out), layout_(layout), metadata_(metadata), width_(width), height_(height), quality_(quality),
          name_(name), pixels_(layout.RowBytes(width) * std::size_t(height)) {}

    void WriteRow(const std::uint8_t* row) override {
        const std::size_t stride = layout_.RowBytes(width_);
        std::memcpy(pixels_.data() + std::size_t(next_++) * stride, row, stride);
    }

    void Finish() override {
        const std::string bitstream = encode();
        std::string file = bitstream;
        if (!metadata_.icc.empty() || !metadata_.exif.empty() || !metadata_.xmp.empty())
            file = withMetadata(bitstream);
        if (std::fwrite(file.data(), 1, file.size(), out_) != file.size())
            BadInput("cannot write WebP image", name_);
    }

  private:
    std::string encode() {
        Encoding e;
        WebPConfig config;
        const bool lossless = quality_ >= 100;
        if (!WebPConfigInit(&config))
            BadInput("cannot write WebP image (library version)", name_);
        config.lossless = lossless;
        config.quality = lossless ? 75.0f : float(quality_);
        config.exact = 1; // colour under transparent pixels is kept as lit
        e.picture.use_argb = lossless;
        e.picture.width = width_;
        e.picture.height = height_;
        e.picture.writer = WebPMemoryWrite;
        e.picture.custom_ptr = &e.memory;
        const int stride = int(layout_.RowBytes(width_));
        const bool imported = layout_.alpha ? WebPPictureImportRGBA(&e.picture, pixels_.data(), stride)
                                            : WebPPictureImportRGB(&e.picture, pixels_.data(), stride);
        PlaneBytes().swap(pixels_);
        if (!imported || !WebPEncode(&config, &e.picture))
            BadInput("cannot write WebP image (error " + std::to_string(int(e.picture.error_code)) + ")",
                     name_);
        return std::string(reinterpret_cast<const char*>(e.memory.mem), e.memory.size);
    }

    std::string withMetadata(const std::string& bitstream) const {
        const WebPData image = {reinterpret_cast<const std::uint8_t*>(bitstream.data()), bitstream.size()};
        WebPMux* mux = WebPMuxCreate(&image, 0);
        bool ok = mux != nullptr;
        for (const auto& [fourcc, bytes] :
             {std::pair{"ICCP", &metadata_.icc}, std::pair{"EXIF", &metadata_.exif},
              std::pair{"XMP ", &metadata_.xmp}}) {
            const WebPData chunk = {reinterpret_cast<const std::uint8_t*>(bytes->data()), bytes->size()};
            ok = ok && (bytes->empty() || WebPMuxSetChunk(mux, fourcc, &chunk, 0) == WEBP_MUX_OK);
        }
        WebPData assembled = {nullptr, 0};
        ok = ok && WebPMuxAssemble(mux, &assembled) == WEBP_MUX_OK;
        WebPMuxDelete(mux);
        const std::string file =
            ok ? std::string(reinterpret_cast<const char*>(assembled.bytes), assembled.size) : "";
        WebPDataClear(&assembled);
        if (!ok)
            BadInput("cannot write WebP image (its metadata)", name_);
        return file;
    }

    std::FILE* out_;
    const RowLayout layout_;
    const ImageMetadata metadata_;
    const int width_;
    const int height_;
    const int quality_;
    const std::string name_;
    PlaneBytes pixels_;
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
