#include "image/RGBImage.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "core/EngineError.h"

namespace ce {

RGBImage RGBImage::filled(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    RGBImage image;
    image.width = std::max(0, width);
    image.height = std::max(0, height);
    const std::size_t count = static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height);
    image.pixels.resize(count * 3);
    for (std::size_t i = 0; i < count; ++i) {
        image.pixels[i * 3] = r;
        image.pixels[i * 3 + 1] = g;
        image.pixels[i * 3 + 2] = b;
    }
    return image;
}

RGBImage RGBImage::cropped(int x0, int y0, int x1, int y1) const {
    const int left = std::min(std::max(x0, 0), width);
    const int right = std::max(left, std::min(x1, width));
    const int top = std::min(std::max(y0, 0), height);
    const int bottom = std::max(top, std::min(y1, height));
    RGBImage out;
    out.width = right - left;
    out.height = bottom - top;
    const std::size_t rowBytes = static_cast<std::size_t>(out.width) * 3;
    out.pixels.resize(rowBytes * static_cast<std::size_t>(out.height));
    if (rowBytes == 0) return out;
    for (int y = top; y < bottom; ++y) {
        const std::size_t from = (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                                  static_cast<std::size_t>(left)) * 3;
        std::memcpy(out.pixels.data() + static_cast<std::size_t>(y - top) * rowBytes, pixels.data() + from,
                    rowBytes);
    }
    return out;
}

BGRABuffer RGBImage::pixelBuffer() const {
    constexpr std::size_t limit = std::numeric_limits<std::size_t>::max() / 8;
    if (width < 1 || height < 1 || static_cast<std::size_t>(width) > limit / static_cast<std::size_t>(height) / 4)
        throw EngineError::imageConversion();
    BGRABuffer buffer;
    buffer.width = width;
    buffer.height = height;
    buffer.bytesPerRow = static_cast<std::size_t>(width) * 4;
    buffer.bytes.resize(buffer.bytesPerRow * static_cast<std::size_t>(height));
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    for (std::size_t i = 0; i < count; ++i) {
        buffer.bytes[i * 4] = pixels[i * 3 + 2];
        buffer.bytes[i * 4 + 1] = pixels[i * 3 + 1];
        buffer.bytes[i * 4 + 2] = pixels[i * 3];
        buffer.bytes[i * 4 + 3] = 255;
    }
    return buffer;
}

}  // namespace ce
