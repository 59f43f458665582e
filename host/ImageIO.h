// Image files, read and written a row at a time so that a whole image never needs a second,
// interleaved copy. A file read is known by its first bytes; one written by its extension (.png,
// .jpg, .jpeg, letter case ignored) or by the format named on the command line.
#pragma once

#include "Image.h"
#include "Metadata.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

enum class ImageFormat { png, jpeg, tiff, webp };

// The format `path`'s extension names; throws HostError for any other extension.
ImageFormat FormatOf(const std::string& path);

// The format to write `target` in: `named` (png, jpg or jpeg) when not empty, else the target's
// extension. Standard output ("-") has none: it needs `named`.
ImageFormat OutputFormat(const std::string& target, const std::string& named);

// An open image file whose header has been read. Rows come top to bottom as interleaved 8-bit
// samples: grey or red, green, blue, then alpha when the file has it.
class RowReader {
  public:
    virtual ~RowReader() = default;
    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Grey() const { return grey_; }
    bool Alpha() const { return alpha_; }
    int SamplesPerPixel() const { return (grey_ ? 1 : 3) + (alpha_ ? 1 : 0); }
    // The file's samples were 16-bit (its rows still come in 8 bits).
    bool Sixteen() const { return sixteen_; }
    // What the file holds besides its pixels. Its EXIF may still give the stored orientation: the
    // rows come upright all the same.
    const ImageMetadata& Metadata() const { return metadata_; }
    // How the stored rows are turned to show the image upright: 1 (as stored) to 8, as in EXIF.
    int Orientation() const { return orientation_; }
    // The next `count` rows into `out` (count x Width() x SamplesPerPixel() bytes); throws
    // HostError when the file turns out to be damaged.
    virtual void ReadRows(std::uint8_t* out, int count) = 0;

  protected:
    int width_ = 0;
    int height_ = 0;
    bool grey_ = false;
    bool alpha_ = false;
    bool sixteen_ = false;
    ImageMetadata metadata_;
    int orientation_ = 1;
};

// What `format` can hold of `wanted`: PNG and TIFF all of it, WebP no 16 bits, JPEG neither alpha
// nor 16 bits.
RowLayout LayoutFor(ImageFormat format, RowLayout wanted);

// What `format` can hold of `read`: the EXIF says the pixels are upright (as relight reads
// them), a profile is kept only for RGB, JPEG's blocks have a size limit and TIFF takes no EXIF.
ImageMetadata MetadataFor(ImageFormat format, const ImageMetadata& read);

// An image being written: rows in the layout it was started with, top to bottom, then Finish.
class RowWriter {
  public:
    virtual ~RowWriter() = default;
    // Throw HostError when the file cannot be written.
    virtual void WriteRow(const std::uint8_t* row) = 0;
    virtual void Finish() = 0;
};

// Opens `path` ("-": standard input) in the format its first bytes show and reads its header,
// turning the image upright when its EXIF says it is stored otherwise;
// throws HostError for a file that cannot be opened, is not a usable image or has more than
// `maxPixels`.
std::unique_ptr<RowReader> OpenImage(const std::string& path, long long maxPixels);

// Starts writing a `width` x `height` image to `out` with rows in `layout` and `metadata`, which
// `format` must hold (see LayoutFor, MetadataFor); `quality` applies to JPEG and WebP; `name`
// names the file in errors.
std::unique_ptr<RowWriter> StartImage(std::FILE* out, ImageFormat format, RowLayout layout,
                                      const ImageMetadata& metadata, int width, int height, int quality,
                                      const std::string& name);

// Reads the rest of `reader`'s image into planes.
Image ReadImage(RowReader& reader);

// Reads a whole image file into planes.
Image ReadImage(const std::string& path, long long maxPixels = kDefaultMaxPixels);

// Writes interleaved 8-bit RGB in `format`.
void WriteImage(std::FILE* out, ImageFormat format, int width, int height, const std::uint8_t* rgb,
                int quality, const std::string& name);
