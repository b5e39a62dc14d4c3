// Small media and image files made by the tests themselves.
#pragma once

#include <filesystem>
#include <cstdint>
#include <string>

#include "common/settings_record.h"

namespace kelvane::test {

// A mono 16-bit WAV file of a quiet tone.
void write_wav(const std::filesystem::path& path, double seconds);
// The bytes of a PNG image of the given size in one colour.
Picture png_picture(int width, int height, std::uint32_t rgba = 0x3366ccff);

}  // namespace kelvane::test
