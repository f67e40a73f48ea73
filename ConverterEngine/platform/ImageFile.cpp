#include "platform/ImageFile.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include <stb/stb_image.h>

#include "core/EngineError.h"
#include "platform/Vips.h"

namespace ce::ImageFile {

namespace {

using Path = std::filesystem::path;

[[noreturn]] void unreadable(const Path& path) {
    // libvips' error buffer exists only once it has started (a bad BMP may come first).
    if (vips::ready()) vips_error_clear();
    throw EngineError::unreadableInput(path);
}

// The first `count` bytes of the file (fewer when it is shorter).
std::vector<std::uint8_t> head(const Path& path, std::size_t count) {
    std::vector<std::uint8_t> bytes(count);
    std::ifstream file(path, std::ios::binary);
    if (!file) return {};
    file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(count));
    bytes.resize(static_cast<std::size_t>(std::max<std::streamsize>(0, file.gcount())));
    return bytes;
}

std::uint32_t bigEndian(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

std::int32_t littleEndian(const std::uint8_t* p) {
    return static_cast<std::int32_t>(std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
                                     (std::uint32_t{p[3]} << 24));
}

bool isBMP(const std::vector<std::uint8_t>& bytes) { return bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M'; }

bool isPNG(const std::vector<std::uint8_t>& bytes) {
    static constexpr std::array<std::uint8_t, 8> signature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    return bytes.size() >= 8 && std::equal(signature.begin(), signature.end(), bytes.begin());
}

// The pHYs chunk of a PNG in pixels per metre, looked for among the chunks before the
// image data; only a metre unit counts.
void readPNGResolution(const Path& path, FrameInfo& info) {
    std::ifstream file(path, std::ios::binary);
    file.seekg(8);
    for (int chunk = 0; chunk < 64 && file; ++chunk) {
        std::uint8_t header[8];
        if (!file.read(reinterpret_cast<char*>(header), 8)) return;
        const std::uint32_t length = bigEndian(header);
        if (std::memcmp(header + 4, "IDAT", 4) == 0 || std::memcmp(header + 4, "IEND", 4) == 0) return;
        if (std::memcmp(header + 4, "pHYs", 4) == 0 && length == 9) {
            std::uint8_t body[9];
            if (!file.read(reinterpret_cast<char*>(body), 9)) return;
            if (body[8] == 1) {
                info.pngPixelsPerMeterX = bigEndian(body);
                info.pngPixelsPerMeterY = bigEndian(body + 4);
            }
            return;
        }
        file.seekg(static_cast<std::streamoff>(length) + 4, std::ios::cur);
    }
}

// Whether the PNG's end chunk is there. libpng decodes a PNG cut short in its image
// data without complaint, the missing rows black; such a file counts as unreadable.
bool pngIsComplete(const Path& path) {
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    const std::streamoff size = file.tellg();
    if (size < 20) return false;
    const std::streamoff tail = std::min<std::streamoff>(size, 64);
    std::string bytes(static_cast<std::size_t>(tail), '\0');
    file.seekg(size - tail);
    file.read(bytes.data(), tail);
    return bytes.find("IEND") != std::string::npos;
}

// A BMP's pixels per metre from its info header, when stated.
void readBMPResolution(const std::vector<std::uint8_t>& bytes, FrameInfo& info) {
    if (bytes.size() < 46 || littleEndian(bytes.data() + 14) < 40) return;
    const std::int32_t x = littleEndian(bytes.data() + 38);
    const std::int32_t y = littleEndian(bytes.data() + 42);
    if (x > 0 && y > 0) {
        info.dpiX = x * 0.0254;
        info.dpiY = y * 0.0254;
    }
}

vips::Ref<VipsSource> openSource(const Path& path) {
    if (!vips::ready()) unreadable(path);
    vips::Ref<VipsSource> source(vips_source_new_from_file(path.c_str()));
    if (!source) unreadable(path);
    return source;
}

// The libvips loader that read the image ("pngload_source" and the like), or "".
std::string loaderName(VipsImage* image) {
    const char* loader = nullptr;
    if (vips_image_get_typeof(image, VIPS_META_LOADER) && vips_image_get_string(image, VIPS_META_LOADER, &loader) == 0 &&
        loader)
        return loader;
    return "";
}

// libvips also reads PDF, SVG and other documents as images; only the image formats
// this layer stands for count, so a PDF named .png is no image.
bool isImageFormat(const std::string& loader) {
    for (const char* format : {"pngload", "jpegload", "tiffload", "webpload", "gifload", "heifload"})
        if (loader.starts_with(format)) return true;
    return false;
}

// The frame's header (pixels are read lazily, top to bottom, when asked for).
vips::Image openFrame(const Path& path, int index) {
    vips::Ref<VipsSource> source = openSource(path);
    // Truncated data is an error rather than a frame with a grey or black remainder.
    vips::Image image(index > 0 ? vips_image_new_from_source(source.get(), "", "page", index, "access",
                                                             VIPS_ACCESS_SEQUENTIAL, "fail_on", VIPS_FAIL_ON_TRUNCATED,
                                                             nullptr)
                                : vips_image_new_from_source(source.get(), "", "access", VIPS_ACCESS_SEQUENTIAL,
                                                             "fail_on", VIPS_FAIL_ON_TRUNCATED, nullptr));
    if (!image) unreadable(path);
    if (!isImageFormat(loaderName(image.get()))) unreadable(path);
    if (index > 0 && index >= vips_image_get_n_pages(image.get())) unreadable(path);
    return image;
}

// sRGB, 8 bits, alpha composited over white, three bands, into memory.
RGBImage toRGB(VipsImage* in, const Path& path) {
    vips::Image srgb;
    if (vips_colourspace(in, srgb.out(), VIPS_INTERPRETATION_sRGB, nullptr) != 0) unreadable(path);
    vips::Image flat;
    if (vips_image_hasalpha(srgb.get())) {
        VipsArrayDouble* white = vips_array_double_newv(1, 255.0);
        const int failed = vips_flatten(srgb.get(), flat.out(), "background", white, nullptr);
        vips_area_unref(VIPS_AREA(white));
        if (failed) unreadable(path);
    } else {
        flat = vips::Image(srgb.get());
        g_object_ref(srgb.get());
    }
    vips::Image bytes;
    if (vips_cast_uchar(flat.get(), bytes.out(), nullptr) != 0) unreadable(path);
    vips::Image three;
    if (vips_image_get_bands(bytes.get()) == 3) {
        three = std::move(bytes);
    } else if (vips_extract_band(bytes.get(), three.out(), 0, "n", 3, nullptr) != 0) {
        unreadable(path);
    }
    size_t size = 0;
    void* memory = vips_image_write_to_memory(three.get(), &size);
    if (!memory) unreadable(path);
    RGBImage image;
    image.width = vips_image_get_width(three.get());
    image.height = vips_image_get_height(three.get());
    const auto* data = static_cast<const std::uint8_t*>(memory);
    image.pixels.assign(data, data + size);
    g_free(memory);
    if (image.pixels.size() != static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 3)
        unreadable(path);
    return image;
}

std::uint16_t littleEndian16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

// The layout of an uncompressed 24- or 32-bit BMP, the kinds read row by row below.
struct PlainBMP {
    std::int64_t width = 0;
    std::int64_t height = 0;  // as stored: negative for rows stored top-down
    int bytesPerPixel = 0;
    std::uint32_t dataOffset = 0;
};

std::optional<PlainBMP> plainBMP(const std::vector<std::uint8_t>& bytes) {
    if (bytes.size() < 34 || littleEndian(bytes.data() + 14) < 40) return std::nullopt;
    const int bits = littleEndian16(bytes.data() + 28);
    const std::int32_t compression = littleEndian(bytes.data() + 30);
    if (compression != 0 || (bits != 24 && bits != 32)) return std::nullopt;
    PlainBMP bmp{littleEndian(bytes.data() + 18), littleEndian(bytes.data() + 22), bits / 8,
                 static_cast<std::uint32_t>(littleEndian(bytes.data() + 10))};
    if (bmp.width <= 0 || bmp.height == 0) return std::nullopt;
    return bmp;
}

// A plain BMP reduced while it is read: each pixel of the maxSide image is the mean of
// the stored pixels it covers, and only one stored row is held at a time. The file
// must hold every row it declares.
// Whether the file is long enough for every row the header declares (stb_image would
// fill the missing rows with black).
bool holdsRows(const Path& path, const PlainBMP& bmp) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error) return false;
    const auto rowBytes = static_cast<std::uintmax_t>((bmp.width * bmp.bytesPerPixel + 3) / 4 * 4);
    const auto rows = static_cast<std::uintmax_t>(std::abs(bmp.height));
    return size >= bmp.dataOffset && (size - bmp.dataOffset) / rowBytes >= rows;
}

RGBImage decodePlainBMPReduced(const Path& path, const PlainBMP& bmp, int maxSide) {
    const std::int64_t w = bmp.width;
    const std::int64_t h = std::abs(bmp.height);
    const double factor = static_cast<double>(maxSide) / static_cast<double>(std::max(w, h));
    const int tw = std::max(1, static_cast<int>(std::lround(static_cast<double>(w) * factor)));
    const int th = std::max(1, static_cast<int>(std::lround(static_cast<double>(h) * factor)));
    const std::size_t rowBytes = static_cast<std::size_t>((w * bmp.bytesPerPixel + 3) / 4 * 4);
    std::ifstream file(path, std::ios::binary);
    if (!file.seekg(bmp.dataOffset)) unreadable(path);

    std::vector<int> column(static_cast<std::size_t>(w));
    std::vector<std::uint64_t> columnPixels(static_cast<std::size_t>(tw), 0);
    for (std::int64_t x = 0; x < w; ++x) {
        column[static_cast<std::size_t>(x)] = static_cast<int>(x * tw / w);
        ++columnPixels[static_cast<std::size_t>(column[static_cast<std::size_t>(x)])];
    }
    RGBImage image;
    image.width = tw;
    image.height = th;
    image.pixels.resize(static_cast<std::size_t>(tw) * static_cast<std::size_t>(th) * 3);
    std::vector<std::uint8_t> row(rowBytes);
    std::vector<std::uint64_t> sums(static_cast<std::size_t>(tw) * 3, 0);
    std::int64_t rowsInSums = 0;
    int target = -1;
    auto flush = [&] {
        for (std::size_t tx = 0; tx < static_cast<std::size_t>(tw); ++tx) {
            const std::uint64_t n = columnPixels[tx] * static_cast<std::uint64_t>(rowsInSums);
            for (std::size_t k = 0; k < 3; ++k)
                image.pixels[(static_cast<std::size_t>(target) * tw + tx) * 3 + k] =
                    static_cast<std::uint8_t>(n ? (sums[tx * 3 + k] + n / 2) / n : 255);
        }
        std::fill(sums.begin(), sums.end(), 0);
        rowsInSums = 0;
    };
    const bool bottomUp = bmp.height > 0;
    for (std::int64_t stored = 0; stored < h; ++stored) {
        if (!file.read(reinterpret_cast<char*>(row.data()), static_cast<std::streamsize>(rowBytes))) unreadable(path);
        const std::int64_t y = bottomUp ? h - 1 - stored : stored;
        const int ty = static_cast<int>(y * th / h);
        if (ty != target) {
            if (target >= 0) flush();
            target = ty;
        }
        for (std::int64_t x = 0; x < w; ++x) {
            const std::uint8_t* bgr = row.data() + x * bmp.bytesPerPixel;
            std::uint64_t* sum = sums.data() + static_cast<std::size_t>(column[static_cast<std::size_t>(x)]) * 3;
            sum[0] += bgr[2];
            sum[1] += bgr[1];
            sum[2] += bgr[0];
        }
        ++rowsInSums;
    }
    flush();
    return image;
}

RGBImage decodeBMP(const Path& path, int maxSide) {
    if (maxSide > 0) {
        // stb_image decodes whole; a frame over the budget is reduced while it is read,
        // and one of a kind read only whole is refused rather than held in full.
        const auto bmp = plainBMP(head(path, 64));
        if (!bmp) throw EngineError::inputTooLarge(path);
        return decodePlainBMPReduced(path, *bmp, maxSide);
    }
    int width = 0, height = 0, channels = 0;
    stbi_uc* data = stbi_load(path.c_str(), &width, &height, &channels, 4);
    if (!data) unreadable(path);
    RGBImage image;
    image.width = width;
    image.height = height;
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    image.pixels.resize(count * 3);
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned alpha = data[i * 4 + 3];
        for (int k = 0; k < 3; ++k)
            image.pixels[i * 3 + k] =
                static_cast<std::uint8_t>((data[i * 4 + k] * alpha + 255 * (255 - alpha) + 127) / 255);
    }
    stbi_image_free(data);
    return image;
}

}  // namespace

int frameCount(const Path& path) {
    const auto bytes = head(path, 64);
    if (isBMP(bytes)) {
        int width = 0, height = 0, channels = 0;
        if (!stbi_info(path.c_str(), &width, &height, &channels)) unreadable(path);
        return 1;
    }
    const vips::Image image = openFrame(path, 0);
    return std::max(1, vips_image_get_n_pages(image.get()));
}

FrameInfo frameInfo(const Path& path, int index) {
    FrameInfo info;
    const auto bytes = head(path, 64);
    if (isBMP(bytes)) {
        int width = 0, height = 0, channels = 0;
        if (index != 0 || !stbi_info(path.c_str(), &width, &height, &channels)) unreadable(path);
        // stb reports the stored height, negative for rows stored top-down.
        info.pixelWidth = std::abs(static_cast<long long>(width));
        info.pixelHeight = std::abs(static_cast<long long>(height));
        readBMPResolution(bytes, info);
        if (const auto bmp = plainBMP(bytes); bmp && !holdsRows(path, *bmp)) unreadable(path);
        return info;
    }
    const vips::Image image = openFrame(path, index);
    info.pixelWidth = vips_image_get_width(image.get());
    info.pixelHeight = vips_image_get_page_height(image.get());
    if (vips_image_get_typeof(image.get(), VIPS_META_RESOLUTION_UNIT)) {
        info.dpiX = vips_image_get_xres(image.get()) * 25.4;
        info.dpiY = vips_image_get_yres(image.get()) * 25.4;
    }
    int orientation = 0;
    if (vips_image_get_typeof(image.get(), VIPS_META_ORIENTATION) &&
        vips_image_get_int(image.get(), VIPS_META_ORIENTATION, &orientation) == 0)
        info.orientation = orientation;
    const std::string loader = loaderName(image.get());
    info.decodedWhole = loader.starts_with("gifload") || loader.starts_with("heifload");
    if (isPNG(bytes)) {
        if (!pngIsComplete(path)) unreadable(path);
        readPNGResolution(path, info);
        // The IHDR's interlace method: Adam7 rows can only be put together in memory.
        info.decodedWhole = bytes.size() > 28 && bytes[28] != 0;
    }
    return info;
}

RGBImage decode(const Path& path, int index, int maxSide) {
    if (isBMP(head(path, 2))) {
        if (index != 0) unreadable(path);
        return decodeBMP(path, maxSide);
    }
    if (maxSide <= 0) {
        const vips::Image frame = openFrame(path, index);
        return toRGB(frame.get(), path);
    }
    openFrame(path, index);  // checks the format and that the frame exists
    vips::Ref<VipsSource> source = openSource(path);
    // Single-image loaders know no page option, so it is only named for later frames.
    const std::string options = "fail_on=truncated" + (index > 0 ? ",page=" + std::to_string(index) : std::string());
    vips::Image reduced;
    if (vips_thumbnail_source(source.get(), reduced.out(), maxSide, "height", maxSide, "size", VIPS_SIZE_DOWN,
                              "no_rotate", TRUE, "option_string", options.c_str(), nullptr) != 0)
        unreadable(path);
    return toRGB(reduced.get(), path);
}

}  // namespace ce::ImageFile
