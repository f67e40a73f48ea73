// Reading a PNG's pixel size from its header chunk without decoding it.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace ce {

// The big-endian width and height at byte offsets 16 and 20 of the PNG header chunk;
// nothing when the data holds fewer than 24 bytes.
std::optional<std::pair<long long, long long>> pngPixelSize(const std::vector<std::uint8_t>& png);

}  // namespace ce
