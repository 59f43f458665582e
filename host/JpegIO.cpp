#include "JpegIO.h"

#include "FileHandle.h"
#include "HostError.h"

#include <csetjmp>
#include <jpeglib.h>

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char text[JMSG_LENGTH_MAX];
};

void onError(j_common_ptr info) {
    auto* error = reinterpret_cast<ErrorManager*>(info->err);
    error->base.format_message(info, error->text);
    std::longjmp(error->jump, 1);
}

// libjpeg only warns when the data ends early or is damaged, and fills the rest with grey: such a
// file must not pass for a picture. Trace messages (levels 0 and up) are ignored.
void onMessage(j_common_ptr info, int level) {
    if (level < 0)
        onError(info);
}

jpeg_error_mgr* installErrors(ErrorManager& error) {
    jpeg_std_error(&error.base);
    error.base.error_exit = onError;
    error.base.emit_message = onMessage;
    error.text[0] = 0;
    return &error.base;
}

// Everything that must survive libjpeg's long jump is owned by the caller; returns false after
// an error from libjpeg.
bool decode(jpeg_decompress_struct& info, ErrorManager& error, std::FILE* file, const std::string& path,
            Image& image, std::vector<std::uint8_t>& samples) {
    if (setjmp(error.jump))
        return false;
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    CheckImageSize(long(info.image_width), long(info.image_height), path);
    if (info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK)
        BadInput("CMYK JPEG images are not supported", path);
    image.grey = info.jpeg_color_space == JCS_GRAYSCALE;
    info.out_color_space = image.grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_start_decompress(&info);
    image.width = int(info.output_width);
    image.height = int(info.output_height);
    const std::size_t stride = std::size_t(image.width) * std::size_t(info.output_components);
    samples.resize(stride * std::size_t(image.height));
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = samples.data() + std::size_t(info.output_scanline) * stride;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    return true;
}

bool encode(jpeg_compress_struct& info, ErrorManager& error, std::FILE* file, int width, int height,
            const std::uint8_t* rgb, int quality) {
    if (setjmp(error.jump))
        return false;
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rgb + std::size_t(info.next_scanline) * std::size_t(width) * 3);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    return true;
}

} // namespace

Image ReadJpeg(const std::string& path) {
    FileHandle file(path, "rb");
    const int first = std::fgetc(file.Get());
    if (first != 0xFF || std::fgetc(file.Get()) != 0xD8)
        BadInput("not a JPEG image", path);
    std::rewind(file.Get());
    jpeg_decompress_struct info{};
    ErrorManager error;
    info.err = installErrors(error);
    Image image;
    std::vector<std::uint8_t> samples;
    bool ok = false;
    try {
        ok = decode(info, error, file.Get(), path, image, samples);
    } catch (...) {
        jpeg_destroy_decompress(&info);
        throw;
    }
    jpeg_destroy_decompress(&info);
    if (!ok)
        BadInput(std::string("damaged JPEG image (") + error.text + ")", path);
    SplitInterleaved(image, samples.data(),
                     image.grey ? std::vector<std::string>{"Grey"}
                                : std::vector<std::string>{"Red", "Green", "Blue"});
    return image;
}

void WriteJpeg(std::FILE* out, int width, int height, const std::uint8_t* rgb, int quality,
               const std::string& name) {
    jpeg_compress_struct info{};
    ErrorManager error;
    info.err = installErrors(error);
    const bool ok = encode(info, error, out, width, height, rgb, quality);
    jpeg_destroy_compress(&info);
    if (!ok)
        BadInput(std::string("cannot write JPEG image (") + error.text + ")", name);
}
