#include "image/PNGHeader.h"

namespace ce {

namespace {
long long bigEndian32(const std::vector<std::uint8_t>& data, std::size_t at) {
    return (static_cast<long long>(data[at]) << 24) | (static_cast<long long>(data[at + 1]) << 16) |
           (static_cast<long long>(data[at + 2]) << 8) | static_cast<long long>(data[at + 3]);
}
}  // namespace

std::optional<std::pair<long long, long long>> pngPixelSize(const std::vector<std::uint8_t>& png) {
    if (png.size() < 24) return std::nullopt;
    return std::make_pair(bigEndian32(png, 16), bigEndian32(png, 20));
}

}  // namespace ce
