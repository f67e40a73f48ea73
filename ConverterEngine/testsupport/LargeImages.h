// Image files far larger than any test would hold in memory, written row by row for
// tests and benchmarks of reduced decoding.
#pragma once

#include <cstdint>
#include <filesystem>

namespace ce::LargeImages {

// Writes a width x height PNG of one colour: grey with 1 channel, RGB with 3, 8 bits
// each, deflated at the fastest level. Only one row is held at a time. Throws
// std::runtime_error when the file cannot be written.
void writeOneColourPNG(const std::filesystem::path& path, std::uint32_t width, std::uint32_t height, int channels,
                       std::uint8_t value);

}  // namespace ce::LargeImages
