#include "platform/PNGEncoder.h"

#include <algorithm>
#include <cstring>

#include "core/EngineError.h"
#include "platform/Vips.h"

namespace ce::PNGEncoder {

namespace {

// libvips always writes a resolution chunk (25.4 dots per inch for images without
// one); a crop has no resolution of its own, so the chunk is left out.
std::vector<std::uint8_t> withoutResolution(const std::uint8_t* png, std::size_t length) {
    std::vector<std::uint8_t> out(png, png + std::min<std::size_t>(8, length));
    std::size_t at = 8;
    while (at + 12 <= length) {
        const std::size_t size = (std::size_t{png[at]} << 24) | (std::size_t{png[at + 1]} << 16) |
                                 (std::size_t{png[at + 2]} << 8) | png[at + 3];
        const std::size_t end = at + 12 + size;
        if (end > length) break;
        if (std::memcmp(png + at + 4, "pHYs", 4) != 0) out.insert(out.end(), png + at, png + end);
        at = end;
    }
    return out;
}

}  // namespace

std::vector<std::uint8_t> encode(const RGBImage& image) {
    if (image.width < 1 || image.height < 1 || !vips::ready()) throw EngineError::imageConversion();
    vips::Image wrapped(vips_image_new_from_memory(image.pixels.data(), image.pixels.size(), image.width,
                                                   image.height, 3, VIPS_FORMAT_UCHAR));
    if (!wrapped) throw EngineError::imageConversion();
    void* buffer = nullptr;
    size_t length = 0;
    if (vips_pngsave_buffer(wrapped.get(), &buffer, &length, "strip", TRUE, nullptr) != 0 || !buffer) {
        vips_error_clear();
        throw EngineError::imageConversion();
    }
    std::vector<std::uint8_t> png = withoutResolution(static_cast<const std::uint8_t*>(buffer), length);
    g_free(buffer);
    return png;
}

}  // namespace ce::PNGEncoder
