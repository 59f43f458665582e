#include "PngIO.h"

#include "HostError.h"
#include "PngImageData.h"

#include <algorithm>
#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

struct ErrorText {
    char text[200] = "";
};

void onError(png_structp png, png_const_charp message) {
    auto* error = static_cast<ErrorText*>(png_get_error_ptr(png));
    std::snprintf(error->text, sizeof error->text, "%s", message);
    std::longjmp(png_jmpbuf(png), 1);
}

void onWarning(png_structp, png_const_charp) {}

// libpng's largest blocks are the chunks it keeps (a profile, a text), sized by the length the file
// claims, which libpng does not bound for every kind: a block past what a metadata part may take is
// refused, and libpng skips the chunk or reports the file damaged.
png_voidp boundedMalloc(png_structp, png_alloc_size_t size) {
    return size > kMaxMetadataBytes ? nullptr : std::malloc(size);
}

void boundedFree(png_structp, png_voidp block) {
    std::free(block);
}

// Runs `step`, which calls into libpng; false when libpng reported an error. Nothing with a
// destructor may live in `step` across those calls: the error leaves it by a long jump.
template <class Step> bool survives(png_structp png, Step&& step) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    step();
    return true;
}

// The keyword of the text that holds XMP.
constexpr char kXmpKey[] = "XML:com.adobe.xmp";

// A PNG's numbers are big-endian.
std::uint32_t be32(const unsigned char* bytes) {
    return std::uint32_t(bytes[0]) << 24 | std::uint32_t(bytes[1]) << 16 | std::uint32_t(bytes[2]) << 8 |
           bytes[3];
}

// The XMP packet an iTXt chunk's `data` holds uncompressed, if it holds one.
std::optional<std::string> xmpIn(const std::string& data) {
    const std::size_t flag = sizeof kXmpKey; // after the keyword and its terminator
    if (data.size() < flag + 2 || data.compare(0, flag, kXmpKey, flag) != 0 || data[flag] != 0)
        return std::nullopt;
    const std::size_t language = data.find('\0', flag + 2);
    const std::size_t translated = language == std::string::npos ? language : data.find('\0', language + 1);
    if (translated == std::string::npos)
        return std::nullopt;
    return data.substr(translated + 1);
}

// The EXIF and XMP a PNG keeps after its pixels, and whether it keeps other text there, found by
// walking the chunks' headers from `file`'s position (its first chunk) without disturbing it: the
// orientation must be known before the first row, and the metadata before a file is written. A
// file that cannot seek (a pipe) gives nothing.
ImageMetadata metadataAfterPixels(std::FILE* file) {
    ImageMetadata found;
    struct stat status;
    const long start = std::ftell(file);
    if (start < 0 || fstat(fileno(file), &status) != 0 || !S_ISREG(status.st_mode))
        return found;
    const int fd = fileno(file);
    bool pixelsPassed = false;
    unsigned char header[8];
    for (off_t at = start; pread(fd, header, 8, at) == 8; at += off_t(be32(header)) + 12) {
        const std::string type(reinterpret_cast<const char*>(header + 4), 4);
        const std::uint32_t length = be32(header);
        pixelsPassed = pixelsPassed || type == "IDAT";
        if (type == "IEND")
            break;
        const bool text = type == "tEXt" || type == "zTXt" || type == "iTXt";
        if (!pixelsPassed || (!text && type != "eXIf"))
            continue;
        std::string data(std::min<std::size_t>(length, kMaxMetadataBytes), '\0');
        if (length > kMaxMetadataBytes ||
            pread(fd, data.data(), data.size(), at + 8) != ssize_t(data.size())) {
            found.unkept = true;
            continue;
        }
        const std::optional<std::string> value = type == "eXIf"   ? std::optional(data)
                                                 : type == "iTXt" ? xmpIn(data)
                                                                  : std::nullopt;
        std::string& part = type == "eXIf" ? found.exif : found.xmp;
        if (value && part.empty())
            part = *value;
        else
            found.unkept = true;
    }
    return found;
}

// libpng's structures for one file, released however the file's object ends.
struct ReadStructs {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~ReadStructs() { png_destroy_read_struct(&png, &info, nullptr); }
};

struct WriteStructs {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~WriteStructs() { png_destroy_write_struct(&png, &info); }
};

class PngReader final : public RowReader {
  public:
    PngReader(std::unique_ptr<FileHandle> file, const std::string& path, long long maxPixels)
        : path_(path), file_(std::move(file)) {
        unsigned char signature[8] = {0x89, 'P'};
        if (std::fread(signature + 2, 1, 6, file_->Get()) != 6 || png_sig_cmp(signature, 0, 8) != 0)
            BadInput("not a PNG image", path);
        after_ = metadataAfterPixels(file_->Get());
        lib_.png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, &error_, onError, onWarning, nullptr,
                                            boundedMalloc, boundedFree);
        lib_.info = lib_.png ? png_create_info_struct(lib_.png) : nullptr;
        if (!lib_.info)
            throw std::bad_alloc();
        check(survives(lib_.png, [this] { readHeader(); }));
        CheckImageSize(width_, height_, maxPixels, path);
    }

    void ReadRows(std::uint8_t* out, int count) override {
        const std::size_t stride = std::size_t(width_) * std::size_t(SamplesPerPixel());
        if (interlaced_) {
            readWhole(stride);
            std::memcpy(out, whole_.data() + std::size_t(next_) * stride, std::size_t(count) * stride);
        } else {
            for (int y = 0; y < count; ++y)
                check(survives(lib_.png,
                               [&] { png_read_row(lib_.png, out + std::size_t(y) * stride, nullptr); }));
        }
        next_ += count;
        if (next_ == height_)
            check(survives(lib_.png, [this] { png_read_end(lib_.png, nullptr); }));
    }

  private:
    void readHeader() {
        png_init_io(lib_.png, file_->Get());
        png_set_sig_bytes(lib_.png, 8);
        png_read_info(lib_.png, lib_.info);
        width_ = int(png_get_image_width(lib_.png, lib_.info));
        height_ = int(png_get_image_height(lib_.png, lib_.info));
        // A size past the limit must not reach the transformations below: checked by the caller.
        if (width_ <= 0 || width_ > kMaxImageSide || height_ <= 0 || height_ > kMaxImageSide)
            return;
        sixteen_ = png_get_bit_depth(lib_.png, lib_.info) == 16;
        readMetadata();
        png_set_expand(lib_.png);
        png_set_scale_16(lib_.png);
        interlaced_ = png_set_interlace_handling(lib_.png) > 1;
        png_read_update_info(lib_.png, lib_.info);
        grey_ = (png_get_color_type(lib_.png, lib_.info) & PNG_COLOR_MASK_COLOR) == 0;
        const int channels = png_get_channels(lib_.png, lib_.info);
        alpha_ = channels == 2 || channels == 4;
    }

    // What comes before the pixels, and what a file that can seek keeps after them.
    void readMetadata() {
        png_charp name = nullptr;
        int compression = 0;
        png_bytep bytes = nullptr;
        png_uint_32 length = 0;
        if (png_get_iCCP(lib_.png, lib_.info, &name, &compression, &bytes, &length))
            metadata_.icc.assign(reinterpret_cast<const char*>(bytes), length);
        if (png_get_eXIf_1(lib_.png, lib_.info, &length, &bytes))
            metadata_.exif.assign(reinterpret_cast<const char*>(bytes), length);
        png_textp text = nullptr;
        const int texts = png_get_text(lib_.png, lib_.info, &text, nullptr);
        for (int i = 0; i < texts; ++i) {
            if (std::strcmp(text[i].key, kXmpKey) == 0 && metadata_.xmp.empty())
                metadata_.xmp = text[i].text;
            else
                metadata_.unkept = true;
        }
        for (auto [part, later] :
             {std::pair{&metadata_.exif, &after_.exif}, std::pair{&metadata_.xmp, &after_.xmp}})
            if (part->empty())
                part->swap(*later);
            else
                metadata_.unkept = metadata_.unkept || !later->empty();
        metadata_.unkept = metadata_.unkept || after_.unkept;
        DropUnreadableExif(metadata_);
        orientation_ = ExifOrientation(metadata_.exif);
    }

    // Interlaced rows are only whole after the last pass: such images are read at once.
    void readWhole(std::size_t stride) {
        if (!whole_.empty())
            return;
        whole_.resize(stride * std::size_t(height_));
        rows_.resize(std::size_t(height_));
        for (std::size_t y = 0; y < rows_.size(); ++y)
            rows_[y] = whole_.data() + y * stride;
        check(survives(lib_.png, [this] { png_read_image(lib_.png, rows_.data()); }));
    }

    void check(bool ok) const {
        if (!ok)
            BadInput(std::string("damaged PNG image (") + error_.text + ")", path_);
    }

    std::string path_;
    std::unique_ptr<FileHandle> file_;
    ErrorText error_;
    ReadStructs lib_;
    ImageMetadata after_; // what comes after the pixels
    bool interlaced_ = false;
    int next_ = 0;
    PlaneBytes whole_;
    std::vector<png_bytep> rows_;
};

class PngWriter final : public RowWriter {
  public:
    PngWriter(std::FILE* out, RowLayout layout, const ImageMetadata& metadata, int width, int height,
              const std::string& name)
        : name_(name) {
        lib_.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &error_, onError, onWarning);
        lib_.info = lib_.png ? png_create_info_struct(lib_.png) : nullptr;
        if (!lib_.info)
            throw std::bad_alloc();
        check(survives(lib_.png, [&] {
            png_init_io(lib_.png, out);
            png_set_IHDR(lib_.png, lib_.info, png_uint_32(width), png_uint_32(height),
                         layout.sixteen ? 16 : 8,
                         layout.alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                         PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
            setMetadata(metadata);
            png_write_info(lib_.png, lib_.info);
        }));
        pixels_ = std::make_unique<PngImageData>(lib_.png, layout.RowBytes(width), int(layout.RowBytes(1)));
    }

    void WriteRow(const std::uint8_t* row) override {
        check(survives(lib_.png, [&] { pixels_->Row(row); }));
    }

    void Finish() override {
        check(survives(lib_.png, [this] { pixels_->Finish(); }));
    }

  private:
    void setMetadata(const ImageMetadata& metadata) {
        if (!metadata.icc.empty())
            png_set_iCCP(lib_.png, lib_.info, "ICC profile", PNG_COMPRESSION_TYPE_BASE,
                         reinterpret_cast<png_const_bytep>(metadata.icc.data()),
                         png_uint_32(metadata.icc.size()));
        if (!metadata.exif.empty())
            png_set_eXIf_1(lib_.png, lib_.info, png_uint_32(metadata.exif.size()),
                           reinterpret_cast<png_bytep>(const_cast<char*>(metadata.exif.data())));
        if (!metadata.xmp.empty()) {
            png_text text{};
            text.compression = PNG_ITXT_COMPRESSION_NONE;
            text.key = const_cast<png_charp>(kXmpKey);
            text.text = const_cast<png_charp>(metadata.xmp.c_str());
            text.itxt_length = metadata.xmp.size();
            png_set_text(lib_.png, lib_.info, &text, 1);
        }
    }

    void check(bool ok) const {
        if (!ok)
            BadInput(std::string("cannot write PNG image (") + error_.text + ")", name_);
    }

    std::string name_;
    ErrorText error_;
    WriteStructs lib_;
    std::unique_ptr<PngImageData> pixels_;
};

} // namespace

std::unique_ptr<RowReader> OpenPng(std::unique_ptr<FileHandle> file, const std::string& path,
                                   long long maxPixels) {
    return std::make_unique<PngReader>(std::move(file), path, maxPixels);
}

std::unique_ptr<RowWriter> StartPng(std::FILE* out, RowLayout layout, const ImageMetadata& metadata,
                                    int width, int height, const std::string& name) {
    return std::make_unique<PngWriter>(out, layout, metadata, width, height, name);
}
