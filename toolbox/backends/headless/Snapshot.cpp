// PNG snapshots of the composed screen or of one window's content, written to a temporary file and
// renamed so a reader never sees half a picture.
#include "Backend.h"
#include "BackendState.h"
#include "WindowState.h"

#include <png.h>

#include <cstdio>

namespace {

// Each pixel becomes `scale` x `scale` pixels of the file.
bool writePNG(const std::string& path, int width, int height, const std::uint32_t* pixels, std::size_t stride,
              std::string* error, int scale) {
    const std::string temp = path + ".tmp";
    FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f)
        return *error = "cannot write " + path, false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    std::vector<png_byte> row(std::size_t(width * scale) * 3);
    bool ok = png && info && !setjmp(png_jmpbuf(png));
    if (ok) {
        png_init_io(png, f);
        png_set_IHDR(png, info, png_uint_32(width * scale), png_uint_32(height * scale), 8,
                     PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                     PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width * scale; ++x) {
                const std::uint32_t p = pixels[std::size_t(y) * stride + std::size_t(x / scale)];
                row[std::size_t(x) * 3] = png_byte(p >> 16);
                row[std::size_t(x) * 3 + 1] = png_byte(p >> 8);
                row[std::size_t(x) * 3 + 2] = png_byte(p);
            }
            for (int copy = 0; copy < scale; ++copy)
                png_write_row(png, row.data());
        }
        png_write_end(png, nullptr);
    }
    png_destroy_write_struct(&png, &info);
    ok = (std::fclose(f) == 0) && ok;
    if (!ok || std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        return *error = "cannot write " + path, false;
    }
    return true;
}

} // namespace

std::vector<std::uint32_t> TBComposeScreen() {
    Rect screen;
    TBGetScreenBounds(&screen);
    std::vector<std::uint32_t> pixels;
    tbwm::composeScreen(&pixels, screen.right, screen.bottom);
    return pixels;
}

bool TBSnapshotScreen(const std::string& path, std::string* error) {
    Rect screen;
    TBGetScreenBounds(&screen);
    const std::vector<std::uint32_t> pixels = TBComposeScreen();
    return writePNG(path, screen.right, screen.bottom, pixels.data(), std::size_t(screen.right), error,
                    tbback::screenScale());
}

bool TBReadPNG(const std::string& path, int* width, int* height, std::vector<std::uint32_t>* pixels,
               std::string* error) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return *error = path + ": " + image.message, false;
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) {
        png_image_free(&image);
        return *error = path + ": " + image.message, false;
    }
    *width = int(image.width);
    *height = int(image.height);
    pixels->resize(std::size_t(image.width) * image.height);
    for (std::size_t i = 0; i < pixels->size(); ++i)
        (*pixels)[i] =
            (std::uint32_t(rgb[i * 3]) << 16) | (std::uint32_t(rgb[i * 3 + 1]) << 8) | rgb[i * 3 + 2];
    return true;
}
