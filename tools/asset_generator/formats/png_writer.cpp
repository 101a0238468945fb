// The PNG writer, through libpng: the desktop icons are the one place the set needs PNG.
#include "formats/png_writer.h"

#include <png.h>

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <vector>

namespace art {

namespace {

constexpr int channelBits = 8;
constexpr int bytesPerPixel = 4; // red, green, blue, alpha
constexpr png_byte opaqueAlpha = 255;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

std::vector<png_byte> rgbaBytes(const Image& image) {
    std::vector<png_byte> bytes(static_cast<std::size_t>(image.width()) * image.height() *
                                bytesPerPixel);
    std::size_t at = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const bool opaque = image.opaque(x, y);
            const Rgb colour = opaque ? image.at(x, y) : Rgb{};
            bytes[at++] = colour.r;
            bytes[at++] = colour.g;
            bytes[at++] = colour.b;
            bytes[at++] = opaque ? opaqueAlpha : 0;
        }
    }
    return bytes;
}

} // namespace

void writePng(const std::filesystem::path& path, const Image& image) {
    const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file) {
        throw std::runtime_error("cannot write " + path.string());
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        throw std::runtime_error("libpng could not start for " + path.string());
    }
    std::vector<png_byte> bytes = rgbaBytes(image);
    std::vector<png_bytep> rows(image.height());
    for (int y = 0; y < image.height(); ++y) {
        rows[y] = bytes.data() + static_cast<std::size_t>(y) * image.width() * bytesPerPixel;
    }
    // libpng reports its failures by jumping back here; nothing with a destructor is made below.
    if (setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error("libpng could not write " + path.string());
    }
    png_init_io(png, file.get());
    png_set_IHDR(png, info, image.width(), image.height(), channelBits, PNG_COLOR_TYPE_RGBA,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    if (std::fflush(file.get()) != 0) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

} // namespace art
