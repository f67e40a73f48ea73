// Reading image files (PNG, JPEG, TIFF, WebP, GIF, HEIC/HEIF through libvips; BMP
// through stb_image): frame counts, the properties of one frame and decoding a frame,
// optionally reduced, into an RGBImage composited over white. Orientation is
// reported, not applied. Stateless and safe from any thread.
#pragma once

#include <filesystem>
#include <optional>

#include "image/RGBImage.h"

namespace ce::ImageFile {

// What a frame's header declares. Absent values were not stored in the file.
struct FrameInfo {
    long long pixelWidth = 0;  // as stored, before any orientation
    long long pixelHeight = 0;
    std::optional<double> dpiX;  // the resolution the file states (JFIF, EXIF, TIFF tags, BMP header)
    std::optional<double> dpiY;
    std::optional<double> pngPixelsPerMeterX;  // a PNG's pHYs chunk in pixels per metre
    std::optional<double> pngPixelsPerMeterY;
    std::optional<long long> orientation;  // the EXIF orientation value as stored
    // True when the frame's format is only ever decoded whole, at full size, even when
    // a reduced frame is asked for: GIF, HEIF and interlaced PNG. Other frames are
    // reduced while they are read, holding a few rows at a time.
    bool decodedWhole = false;
};

// Frames in the file: pages of a TIFF, frames of an animated GIF or WebP, images of a
// HEIF file; 1 for single images. Throws EngineError::unreadableInput when the file is
// not an image this layer reads.
int frameCount(const std::filesystem::path& path);

// Throws EngineError::unreadableInput when the file or frame cannot be read.
FrameInfo frameInfo(const std::filesystem::path& path, int index);

// Frame `index` as stored (not turned upright), with alpha composited over white. With
// maxSide > 0 the frame is reduced while it is read so that its longer side is at most
// maxSide; the full frame is never held then. Uncompressed 24- and 32-bit BMP files are
// reduced row by row; other BMP kinds are only read whole.
// Throws EngineError::unreadableInput when the frame cannot be decoded (also for a BMP
// shorter than its declared rows), EngineError::inputTooLarge for a BMP that would have
// to be reduced but is of a kind only read whole.
RGBImage decode(const std::filesystem::path& path, int index, int maxSide);

}  // namespace ce::ImageFile
