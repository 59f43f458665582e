#include "JpegIO.h"

#include "HostError.h"

#include <algorithm>
#include <csetjmp>
#include <cstdlib>
#include <jpeglib.h>
// after jpeglib.h, which it needs
#include <jerror.h>

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char text[JMSG_LENGTH_MAX];
    bool decoding = false; // past the header: stray bytes now mean the compressed data is off track
};

void onError(j_common_ptr info) {
    auto* error = reinterpret_cast<ErrorManager*>(info->err);
    error->base.format_message(info, error->text);
    std::longjmp(error->jump, 1);
}

// libjpeg only warns when the data ends early or is damaged, and fills the rest with grey or
// decodes it into bands: such a file must not pass for a picture. Harmless warnings (stray bytes
// between the header's markers, odd but decodable headers), like trace messages, let the image
// through as other viewers do.
void onMessage(j_common_ptr info, int level) {
    if (level >= 0)
        return;
    switch (info->err->msg_code) {
    case JWRN_JPEG_EOF:
    case JWRN_HIT_MARKER:
    case JWRN_MUST_RESYNC:
    case JWRN_NOT_SEQUENTIAL:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_ARITH_BAD_CODE:
        onError(info);
        break;
    case JWRN_EXTRANEOUS_DATA:
        if (reinterpret_cast<ErrorManager*>(info->err)->decoding)
            onError(info);
        break;
    default:
        break;
    }
}

jpeg_error_mgr* installErrors(ErrorManager& error) {
    jpeg_std_error(&error.base);
    error.base.error_exit = onError;
    error.base.emit_message = onMessage;
    error.text[0] = 0;
    return &error.base;
}

// Runs `step`, which calls into libjpeg; false when libjpeg reported an error. Nothing with a
// destructor may live in `step` across those calls: the error leaves it by a long jump.
template <class Step> bool survives(ErrorManager& error, Step&& step) {
    if (setjmp(error.jump))
        return false;
    step();
    return true;
}

// What names the contents of an APP1 block.
const std::string kExifName("Exif\0\0", 6);
const std::string kXmpName("http://ns.adobe.com/xap/1.0/\0", 29);
const std::string kIccName("ICC_PROFILE\0", 12);

bool named(const jpeg_saved_marker_ptr marker, const std::string& name) {
    return marker->data_length >= name.size() &&
           std::equal(name.begin(), name.end(), reinterpret_cast<const char*>(marker->data));
}

std::string after(const jpeg_saved_marker_ptr marker, const std::string& name) {
    return std::string(reinterpret_cast<const char*>(marker->data) + name.size(),
                       marker->data_length - name.size());
}

// The EXIF, XMP and profile of the blocks kept while the header was read.
ImageMetadata metadataOf(jpeg_decompress_struct& info) {
    ImageMetadata metadata;
    bool profile = false;
    for (jpeg_saved_marker_ptr marker = info.marker_list; marker; marker = marker->next) {
        if (marker->marker == JPEG_APP0 + 1 && named(marker, kExifName) && metadata.exif.empty() &&
            ExifReadable(after(marker, kExifName)))
            metadata.exif = after(marker, kExifName);
        else if (marker->marker == JPEG_APP0 + 1 && named(marker, kXmpName) && metadata.xmp.empty())
            metadata.xmp = after(marker, kXmpName);
        else if (marker->marker == JPEG_APP0 + 2 && named(marker, kIccName))
            profile = true;
        else
            metadata.unkept = true;
    }
    JOCTET* icc = nullptr;
    unsigned int iccBytes = 0;
    if (jpeg_read_icc_profile(&info, &icc, &iccBytes)) {
        metadata.icc.assign(reinterpret_cast<const char*>(icc), iccBytes);
        std::free(icc);
    }
    // A profile whose pieces do not fit together cannot be carried over.
    metadata.unkept = metadata.unkept || (profile && metadata.icc.empty());
    return metadata;
}

// libjpeg's structure for one file, released however the file's object ends.
struct Decompress {
    jpeg_decompress_struct info{};
    ~Decompress() { jpeg_destroy_decompress(&info); }
};

struct Compress {
    jpeg_compress_struct info{};
    ~Compress() { jpeg_destroy_compress(&info); }
};

class JpegReader final : public RowReader {
  public:
    JpegReader(std::unique_ptr<FileHandle> file, const std::string& path, long long maxPixels)
        : path_(path), file_(std::move(file)) {
        lib_.info.err = installErrors(error_);
        check(survives(error_, [this] {
            jpeg_create_decompress(&lib_.info);
            jpeg_stdio_src(&lib_.info, file_->Get());
            // The start marker was read to know the file: the decoder takes it from here.
            static const JOCTET start[2] = {0xFF, 0xD8};
            lib_.info.src->next_input_byte = start;
            lib_.info.src->bytes_in_buffer = 2;
            // EXIF, XMP and the colour profile, kept for the output.
            jpeg_save_markers(&lib_.info, JPEG_APP0 + 1, 0xFFFF);
            jpeg_save_markers(&lib_.info, JPEG_APP0 + 2, 0xFFFF);
            jpeg_read_header(&lib_.info, TRUE);
        }));
        CheckImageSize(long(lib_.info.image_width), long(lib_.info.image_height), maxPixels, path);
        if (lib_.info.jpeg_color_space == JCS_CMYK || lib_.info.jpeg_color_space == JCS_YCCK)
            BadInput("CMYK JPEG images are not supported", path);
        grey_ = lib_.info.jpeg_color_space == JCS_GRAYSCALE;
        metadata_ = metadataOf(lib_.info);
        orientation_ = ExifOrientation(metadata_.exif);
        lib_.info.out_color_space = grey_ ? JCS_GRAYSCALE : JCS_RGB;
        error_.decoding = true;
        check(survives(error_, [this] { jpeg_start_decompress(&lib_.info); }));
        width_ = int(lib_.info.output_width);
        height_ = int(lib_.info.output_height);
    }

    void ReadRows(std::uint8_t* out, int count) override {
        const std::size_t stride = std::size_t(width_) * std::size_t(SamplesPerPixel());
        check(survives(error_, [&] {
            for (int y = 0; y < count; ++y) {
                JSAMPROW row = out + std::size_t(y) * stride;
                jpeg_read_scanlines(&lib_.info, &row, 1);
            }
            if (lib_.info.output_scanline == lib_.info.output_height)
                jpeg_finish_decompress(&lib_.info);
        }));
    }

  private:
    void check(bool ok) const {
        if (!ok)
            BadInput(std::string("damaged JPEG image (") + error_.text + ")", path_);
    }

    std::string path_;
    std::unique_ptr<FileHandle> file_;
    ErrorManager error_;
    Decompress lib_;
};

class JpegWriter final : public RowWriter {
  public:
    JpegWriter(std::FILE* out, const ImageMetadata& metadata, int width, int height, int quality,
               const std::string& name)
        : name_(name) {
        const std::string exif = metadata.exif.empty() ? "" : kExifName + metadata.exif;
        const std::string xmp = metadata.xmp.empty() ? "" : kXmpName + metadata.xmp;
        lib_.info.err = installErrors(error_);
        check(survives(error_, [&] {
            jpeg_create_compress(&lib_.info);
            jpeg_stdio_dest(&lib_.info, out);
            lib_.info.image_width = JDIMENSION(width);
            lib_.info.image_height = JDIMENSION(height);
            lib_.info.input_components = 3;
            lib_.info.in_color_space = JCS_RGB;
            jpeg_set_defaults(&lib_.info);
            jpeg_set_quality(&lib_.info, quality, TRUE);
            jpeg_start_compress(&lib_.info, TRUE);
            writeBlock(JPEG_APP0 + 1, exif);
            writeBlock(JPEG_APP0 + 1, xmp);
            if (!metadata.icc.empty())
                jpeg_write_icc_profile(&lib_.info, reinterpret_cast<const JOCTET*>(metadata.icc.data()),
                                       unsigned(metadata.icc.size()));
        }));
    }

    void WriteRow(const std::uint8_t* rgb) override {
        check(survives(error_, [&] {
            JSAMPROW row = const_cast<JSAMPROW>(rgb);
            jpeg_write_scanlines(&lib_.info, &row, 1);
        }));
    }

    void Finish() override {
        check(survives(error_, [this] { jpeg_finish_compress(&lib_.info); }));
    }

  private:
    void writeBlock(int marker, const std::string& bytes) {
        if (!bytes.empty())
            jpeg_write_marker(&lib_.info, marker, reinterpret_cast<const JOCTET*>(bytes.data()),
                              unsigned(bytes.size()));
    }

    void check(bool ok) const {
        if (!ok)
            BadInput(std::string("cannot write JPEG image (") + error_.text + ")", name_);
    }

    std::string name_;
    ErrorManager error_;
    Compress lib_;
};

} // namespace

std::unique_ptr<RowReader> OpenJpeg(std::unique_ptr<FileHandle> file, const std::string& path,
                                    long long maxPixels) {
    return std::make_unique<JpegReader>(std::move(file), path, maxPixels);
}

std::unique_ptr<RowWriter> StartJpeg(std::FILE* out, const ImageMetadata& metadata, int width, int height,
                                     int quality, const std::string& name) {
    return std::make_unique<JpegWriter>(out, metadata, width, height, quality, name);
}
