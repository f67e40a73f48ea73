#include "platform/PNGEncoder.h"

#include "core/EngineError.h"
#include "platform/Vips.h"

namespace ce::PNGEncoder {

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
    const auto* bytes = static_cast<const std::uint8_t*>(buffer);
    std::vector<std::uint8_t> png(bytes, bytes + length);
    g_free(buffer);
    return png;
}

}  // namespace ce::PNGEncoder
