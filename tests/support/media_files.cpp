#include "tests/support/media_files.h"

#include <gdkmm/pixbuf.h>

#include <cmath>
#include <cstdint>
#include <fstream>

namespace kelvane::test {
namespace {

void put(std::ofstream& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.put(static_cast<char>((value >> (8 * i)) & 0xFF));
}

}  // namespace

void write_wav(const std::filesystem::path& path, double seconds) {
    constexpr std::uint32_t rate = 8000;
    const auto samples = static_cast<std::uint32_t>(seconds * rate);
    std::ofstream out(path, std::ios::binary);
    out.write("RIFF", 4);
    put(out, 36 + samples * 2, 4);
    out.write("WAVEfmt ", 8);
    put(out, 16, 4);
    put(out, 1, 2);         // PCM
    put(out, 1, 2);         // mono
    put(out, rate, 4);
    put(out, rate * 2, 4);  // bytes per second
    put(out, 2, 2);         // block size
    put(out, 16, 2);        // bits per sample
    out.write("data", 4);
    put(out, samples * 2, 4);
    for (std::uint32_t i = 0; i < samples; ++i)
        put(out, static_cast<std::uint16_t>(static_cast<std::int16_t>(1000 * std::sin(i * 2 * M_PI * 440 / rate))), 2);
}

Picture png_picture(int width, int height, std::uint32_t rgba) {
    auto pixbuf = Gdk::Pixbuf::create(Gdk::COLORSPACE_RGB, false, 8, width, height);
    pixbuf->fill(rgba);
    gchar* buffer = nullptr;
    gsize size = 0;
    pixbuf->save_to_buffer(buffer, size, "png");
    Picture picture{{reinterpret_cast<std::uint8_t*>(buffer), reinterpret_cast<std::uint8_t*>(buffer) + size}};
    g_free(buffer);
    return picture;
}

}  // namespace kelvane::test
