#include "TiffIO.h"

#include "HostError.h"
#include "TiffExif.h"

#include <algorithm>
#include <cstdarg>
#include <tiffio.h>
#include <unistd.h>
#include <vector>

namespace {

struct ErrorText {
    char text[200] = "";
};

int onError(TIFF*, void* user, const char*, const char* format, va_list args) {
    auto* error = static_cast<ErrorText*>(user);
    std::vsnprintf(error->text, sizeof error->text, format, args);
    return 1;
}

int onWarning(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

// Opens the descriptor `fd`, which the handle then owns, with errors into `error`.
TIFF* openDescriptor(int fd, const char* mode, const std::string& name, ErrorText& error) {
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(options, onError, &error);
    TIFFOpenOptionsSetWarningHandlerExtR(options, onWarning, nullptr);
    TIFF* tiff = fd < 0 ? nullptr : TIFFFdOpenExt(fd, name.c_str(), mode, options);
    TIFFOpenOptionsFree(options);
    if (!tiff && fd >= 0)
        close(fd);
    return tiff;
}

// A descriptor from the start of `file`, whose first two bytes, `order` twice, were read: its own
// when it can seek, else a copy in a temporary file (TIFF is read out of order).
int seekableStart(std::FILE* file, char order) {
    if (lseek(fileno(file), 0, SEEK_SET) == 0)
        return dup(fileno(file));
    std::FILE* copy = std::tmpfile();
    if (!copy)
        return -1;
    bool ok = std::fputc(order, copy) != EOF && std::fputc(order, copy) != EOF;
    char buffer[1 << 16];
    for (std::size_t got; ok && (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        ok = std::fwrite(buffer, 1, got, copy) == got;
    const int fd = ok && std::fflush(copy) == 0 ? dup(fileno(copy)) : -1;
    std::fclose(copy);
    return fd >= 0 && lseek(fd, 0, SEEK_SET) == 0 ? fd : -1;
}

// libtiff's handle for one file, closed however the file's object ends.
struct TiffHandle {
    TIFF* tiff = nullptr;
    ~TiffHandle() {
        if (tiff)
            TIFFClose(tiff);
    }
};

// libtiff's conversion of the kinds relight does not read as stored, and the rows it converted last.
struct Converted {
    TIFFRGBAImage image{};
    bool begun = false;
    std::vector<std::uint32_t> band;
    ~Converted() {
        if (begun)
            TIFFRGBAImageEnd(&image);
    }
};

// An 8-bit sample from a 16-bit one, rounded.
std::uint8_t narrowed(std::uint16_t sample) {
    return std::uint8_t((std::uint32_t(sample) * 255u + 32767u) / 65535u);
}

class TiffReader final : public RowReader {
  public:
    TiffReader(std::unique_ptr<FileHandle> file, char order, const std::string& path, long long maxPixels)
        : path_(path) {
        lib_.tiff = openDescriptor(seekableStart(file->Get(), order), "r", path, error_);
        check(lib_.tiff != nullptr);
        std::uint32_t width = 0, height = 0;
        TIFFGetField(lib_.tiff, TIFFTAG_IMAGEWIDTH, &width);
        TIFFGetField(lib_.tiff, TIFFTAG_IMAGELENGTH, &height);
        CheckImageSize(long(width), long(height), maxPixels, path);
        width_ = int(width);
        height_ = int(height);
        std::uint16_t orientation = ORIENTATION_TOPLEFT;
        TIFFGetFieldDefaulted(lib_.tiff, TIFFTAG_ORIENTATION, &orientation);
        orientation_ = orientation >= 1 && orientation <= 8 ? orientation : 1;
        if (!readPlainLayout())
            beginConverted();
        readMetadata();
    }

    void ReadRows(std::uint8_t* out, int count) override {
        const std::size_t samples = std::size_t(width_) * std::size_t(SamplesPerPixel());
        for (int y = 0; y < count; ++y, ++next_) {
            std::uint8_t* row = out + std::size_t(y) * samples;
            if (converted_.begun) {
                convertedRow(row);
                continue;
            }
            check(TIFFReadScanline(lib_.tiff, sixteen_ ? static_cast<void*>(wide_.data()) : row,
                                   std::uint32_t(next_), 0) >= 0);
            for (std::size_t i = 0; sixteen_ && i < samples; ++i)
                row[i] = narrowed(wide_[i]);
        }
    }

  private:
    // Grey or RGB, with or without alpha, in strips of interleaved samples: read as stored. False
    // for the other kinds.
    bool readPlainLayout() {
        std::uint16_t bits = 0, samples = 0, photometric = 0, planar = 0, format = 0;
        TIFFGetFieldDefaulted(lib_.tiff, TIFFTAG_BITSPERSAMPLE, &bits);
        TIFFGetFieldDefaulted(lib_.tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
        TIFFGetFieldDefaulted(lib_.tiff, TIFFTAG_PLANARCONFIG, &planar);
        TIFFGetFieldDefaulted(lib_.tiff, TIFFTAG_SAMPLEFORMAT, &format);
        const bool known = TIFFGetField(lib_.tiff, TIFFTAG_PHOTOMETRIC, &photometric) == 1;
        const int colours = !known                                  ? 0
                            : photometric == PHOTOMETRIC_RGB        ? 3
                            : photometric == PHOTOMETRIC_MINISBLACK ? 1
                                                                    : 0;
        const bool plain = colours > 0 && (bits == 8 || bits == 16) && format == SAMPLEFORMAT_UINT &&
                           planar == PLANARCONFIG_CONTIG && samples >= colours && samples <= colours + 1 &&
                           !TIFFIsTiled(lib_.tiff);
        if (!plain) {
            if (bits > 8 || !known || format != SAMPLEFORMAT_UINT)
                refuseKind();
            return false;
        }
        grey_ = colours == 1;
        alpha_ = samples > colours;
        sixteen_ = bits == 16;
        if (sixteen_)
            wide_.resize(std::size_t(width_) * samples);
        return true;
    }

    // The other kinds of up to 8 bits (tiles, separate planes, white as zero, YCbCr, palettes) libtiff
    // converts to RGBA a strip or a row of tiles at a time, as stored (the orientation is obeyed
    // later, like any other).
    void beginConverted() {
        char message[1024] = "";
        if (!TIFFRGBAImageOK(lib_.tiff, message) ||
            !TIFFRGBAImageBegin(&converted_.image, lib_.tiff, 1, message))
            refuseKind();
        converted_.begun = true;
        // libtiff would multiply such colours by their alpha, which relight passes through as read.
        if (converted_.image.alpha == EXTRASAMPLE_UNASSALPHA)
            refuseKind();
        converted_.image.req_orientation = std::uint16_t(orientation_);
        alpha_ = converted_.image.alpha != 0;
        std::uint32_t band = 0;
        if (TIFFIsTiled(lib_.tiff))
            TIFFGetField(lib_.tiff, TIFFTAG_TILELENGTH, &band);
        else
            TIFFGetFieldDefaulted(lib_.tiff, TIFFTAG_ROWSPERSTRIP, &band);
        band_ = int(std::clamp<std::uint32_t>(band, 1, std::uint32_t(height_)));
    }

    // Row next_ of the converted kinds, from the band (strip or row of tiles) that holds it.
    void convertedRow(std::uint8_t* row) {
        const int top = next_ / band_ * band_, rows = std::min(band_, height_ - top);
        if (next_ == top) {
            converted_.band.resize(std::size_t(width_) * std::size_t(rows));
            converted_.image.row_offset = top;
            converted_.image.col_offset = 0;
            check(TIFFRGBAImageGet(&converted_.image, converted_.band.data(), std::uint32_t(width_),
                                   std::uint32_t(rows)) == 1);
        }
        const std::uint32_t* pixel = converted_.band.data() + std::size_t(next_ - top) * std::size_t(width_);
        for (int x = 0; x < width_; ++x, ++pixel) {
            *row++ = std::uint8_t(TIFFGetR(*pixel));
            *row++ = std::uint8_t(TIFFGetG(*pixel));
            *row++ = std::uint8_t(TIFFGetB(*pixel));
            if (alpha_)
                *row++ = std::uint8_t(TIFFGetA(*pixel));
        }
    }

    [[noreturn]] void refuseKind() const {
        BadInput(
            "TIFF image of a kind relight does not read (it reads those of up to 8 bits libtiff converts to "
            "RGB, and 16-bit grey and RGB, with or without alpha, in strips)",
            path_);
    }

    void readMetadata() {
        std::uint32_t count = 0;
        void* data = nullptr;
        if (TIFFGetField(lib_.tiff, TIFFTAG_ICCPROFILE, &count, &data))
            metadata_.icc.assign(static_cast<const char*>(data), count);
        if (TIFFGetField(lib_.tiff, TIFFTAG_XMLPACKET, &count, &data))
            metadata_.xmp.assign(static_cast<const char*>(data), count);
        readExif();
        for (const ttag_t tag : {TIFFTAG_RICHTIFFIPTC, TIFFTAG_PHOTOSHOP})
            metadata_.unkept = metadata_.unkept || TIFFGetField(lib_.tiff, tag, &count, &data);
    }

    // The first directory's text and orientation, and the Exif and GPS directories it links to,
    // copied from the file (a big TIFF's are not read).
    void readExif() {
        TiffExifSource source;
        source.little = !TIFFIsBigEndian(lib_.tiff);
        for (const std::uint16_t tag : ExifTextTags())
            if (char* text = nullptr; TIFFGetField(lib_.tiff, tag, &text))
                source.text.emplace_back(tag, text);
        if (std::uint16_t orientation = 0; TIFFGetField(lib_.tiff, TIFFTAG_ORIENTATION, &orientation))
            source.orientation = orientation;
        TIFFGetField(lib_.tiff, TIFFTAG_EXIFIFD, &source.exifAt);
        TIFFGetField(lib_.tiff, TIFFTAG_GPSIFD, &source.gpsAt);
        if (TIFFIsBigTIFF(lib_.tiff)) {
            metadata_.unkept = metadata_.unkept || source.exifAt || source.gpsAt || !source.text.empty();
            return;
        }
        const int fd = TIFFFileno(lib_.tiff);
        const auto read = [fd](std::uint64_t at, std::size_t size) {
            std::string bytes(size, '\0');
            const ssize_t got = at < std::uint64_t(1) << 32 ? pread(fd, bytes.data(), size, off_t(at)) : 0;
            bytes.resize(got > 0 ? std::size_t(got) : 0);
            return bytes;
        };
        bool dropped = false;
        metadata_.exif = ExifFromTiff(source, read, dropped);
        metadata_.unkept = metadata_.unkept || dropped;
    }

    void check(bool ok) const {
        if (!ok)
            BadInput(std::string("damaged TIFF image (") + error_.text + ")", path_);
    }

    std::string path_;
    ErrorText error_;
    TiffHandle lib_;
    int next_ = 0;
    std::vector<std::uint16_t> wide_; // a row of 16-bit samples
    Converted converted_;
    int band_ = 0; // rows converted at once
};

class TiffWriter final : public RowWriter {
  public:
    TiffWriter(std::FILE* out, RowLayout layout, const ImageMetadata& metadata, int width, int height,
               const std::string& name)
        : name_(name) {
        // The EXIF directories go right after the header, in their own byte order, before libtiff
        // appends anything.
        const TiffExifTarget exif = ExifForTiff(metadata.exif, 8);
        lib_.tiff = std::fflush(out) == 0
                        ? openDescriptor(dup(fileno(out)), exif.little ? "wl" : "wb", name, error_)
                        : nullptr;
        check(lib_.tiff != nullptr);
        writeExif(exif);
        const std::uint16_t extra[1] = {EXTRASAMPLE_UNASSALPHA};
        check(
            TIFFSetField(lib_.tiff, TIFFTAG_IMAGEWIDTH, std::uint32_t(width)) &&
            TIFFSetField(lib_.tiff, TIFFTAG_IMAGELENGTH, std::uint32_t(height)) &&
            // 16-bit samples are 8-bit ones x 257: both their bytes are equal, so the rows'
            // big-endian order reads the same in either byte order.
            TIFFSetField(lib_.tiff, TIFFTAG_BITSPERSAMPLE, layout.sixteen ? 16 : 8) &&
            TIFFSetField(lib_.tiff, TIFFTAG_SAMPLESPERPIXEL, layout.alpha ? 4 : 3) &&
            (!layout.alpha || TIFFSetField(lib_.tiff, TIFFTAG_EXTRASAMPLES, 1, extra)) &&
            TIFFSetField(lib_.tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB) &&
            TIFFSetField(lib_.tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
            TIFFSetField(lib_.tiff, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE) &&
            TIFFSetField(lib_.tiff, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL) &&
            TIFFSetField(lib_.tiff, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(lib_.tiff, 0)) &&
            (metadata.icc.empty() || TIFFSetField(lib_.tiff, TIFFTAG_ICCPROFILE,
                                                  std::uint32_t(metadata.icc.size()), metadata.icc.data())) &&
            (metadata.xmp.empty() || TIFFSetField(lib_.tiff, TIFFTAG_XMLPACKET,
                                                  std::uint32_t(metadata.xmp.size()), metadata.xmp.data())));
    }

    void WriteRow(const std::uint8_t* row) override {
        check(TIFFWriteScanline(lib_.tiff, const_cast<std::uint8_t*>(row), std::uint32_t(next_++), 0) == 1);
    }

    void Finish() override { check(TIFFFlush(lib_.tiff) == 1); }

  private:
    void writeExif(const TiffExifTarget& exif) {
        const std::string& bytes = exif.directories;
        check(bytes.empty() ||
              pwrite(TIFFFileno(lib_.tiff), bytes.data(), bytes.size(), 8) == ssize_t(bytes.size()));
        for (const auto& [tag, text] : exif.text)
            check(TIFFSetField(lib_.tiff, tag, text.c_str()) == 1);
        check((!exif.exifAt || TIFFSetField(lib_.tiff, TIFFTAG_EXIFIFD, std::uint64_t(exif.exifAt))) &&
              (!exif.gpsAt || TIFFSetField(lib_.tiff, TIFFTAG_GPSIFD, std::uint64_t(exif.gpsAt))));
    }

    void check(bool ok) const {
        if (!ok)
            BadInput(std::string("cannot write TIFF image (") + error_.text + ")", name_);
    }

    std::string name_;
    ErrorText error_;
    TiffHandle lib_;
    int next_ = 0;
};

} // namespace

std::unique_ptr<RowReader> OpenTiff(std::unique_ptr<FileHandle> file, char order, const std::string& path,
                                    long long maxPixels) {
    return std::make_unique<TiffReader>(std::move(file), order, path, maxPixels);
}

std::unique_ptr<RowWriter> StartTiff(std::FILE* out, RowLayout layout, const ImageMetadata& metadata,
                                     int width, int height, const std::string& name) {
    return std::make_unique<TiffWriter>(out, layout, metadata, width, height, name);
}
