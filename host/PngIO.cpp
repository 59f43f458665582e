#include "PngIO.h"

#include "FileHandle.h"
#include "HostError.h"

#include <csetjmp>
#include <png.h>

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

std::vector<std::string> planeNames(bool grey, bool alpha) {
    std::vector<std::string> names =
        grey ? std::vector<std::string>{"Grey"} : std::vector<std::string>{"Red", "Green", "Blue"};
    if (alpha)
        names.push_back("Alpha");
    return names;
}

// Everything that must survive libpng's long jump is owned by the caller; returns false after
// an error from libpng.
bool decode(png_structp png, png_infop info, std::FILE* file, const std::string& path, Image& image,
            std::vector<std::uint8_t>& samples, std::vector<png_bytep>& rows) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_init_io(png, file);
    png_set_sig_bytes(png, 8);
    png_read_info(png, info);
    CheckImageSize(long(png_get_image_width(png, info)), long(png_get_image_height(png, info)), path);
    png_set_expand(png);
    png_set_scale_16(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    image.width = int(png_get_image_width(png, info));
    image.height = int(png_get_image_height(png, info));
    const int type = png_get_color_type(png, info);
    image.grey = (type & PNG_COLOR_MASK_COLOR) == 0;
    const std::size_t channels = png_get_channels(png, info);
    const std::size_t stride = std::size_t(image.width) * channels;
    samples.resize(stride * std::size_t(image.height));
    rows.resize(std::size_t(image.height));
    for (std::size_t y = 0; y < rows.size(); ++y)
        rows[y] = samples.data() + y * stride;
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    return true;
}

bool encode(png_structp png, png_infop info, std::FILE* file, int width, int height,
            std::vector<png_bytep>& rows) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_init_io(png, file);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    return true;
}

} // namespace

Image ReadPng(const std::string& path) {
    FileHandle file(path, "rb");
    unsigned char signature[8] = {};
    if (std::fread(signature, 1, 8, file.Get()) != 8 || png_sig_cmp(signature, 0, 8) != 0)
        BadInput("not a PNG image", path);
    ErrorText error;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &error, onError, onWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        throw std::bad_alloc();
    }
    Image image;
    std::vector<std::uint8_t> samples;
    std::vector<png_bytep> rows;
    bool ok = false;
    try {
        ok = decode(png, info, file.Get(), path, image, samples, rows);
    } catch (...) {
        png_destroy_read_struct(&png, &info, nullptr);
        throw;
    }
    png_destroy_read_struct(&png, &info, nullptr);
    if (!ok)
        BadInput(std::string("damaged PNG image (") + error.text + ")", path);
    const std::size_t channels = samples.size() / (std::size_t(image.width) * std::size_t(image.height));
    const bool alpha = channels == 2 || channels == 4;
    SplitInterleaved(image, samples.data(), planeNames(image.grey, alpha));
    return image;
}

void WritePng(std::FILE* out, int width, int height, const std::uint8_t* rgb, const std::string& name) {
    ErrorText error;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &error, onError, onWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        throw std::bad_alloc();
    }
    std::vector<png_bytep> rows(static_cast<std::size_t>(height));
    for (std::size_t y = 0; y < rows.size(); ++y)
        rows[y] = const_cast<png_bytep>(rgb + y * std::size_t(width) * 3);
    const bool ok = encode(png, info, out, width, height, rows);
    png_destroy_write_struct(&png, &info);
    if (!ok)
        BadInput(std::string("cannot write PNG image (") + error.text + ")", name);
}
