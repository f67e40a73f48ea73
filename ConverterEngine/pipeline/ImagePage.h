// One frame of an image file as a page source. The frame is decoded once, upright
// (EXIF orientation applied) and within the pixel budget maxPixels; its size in
// points follows the file's resolution, 72 dots per inch when the file states none
// or an implausible one. Renders resample the decoded frame with the Lanczos filter.
#pragma once

#include <filesystem>

#include "input/PageSource.h"

namespace ce {

class ImagePage final : public PageSource {
public:
    static constexpr double maxPixels = 16'000'000;         // decoding and renders
    static constexpr double ocrUpscalePixels = 4'000'000;   // the recognition image
    // Frames of formats that are only decoded whole (GIF, HEIF, interlaced PNG) are
    // refused above 2^28 pixels, which would take gigabytes to hold.
    static constexpr double maxWholeFramePixels = 268'435'456;

    // Decodes frame `index` (0 for single images), reduced while it is read when it
    // holds more than maxPixels, whatever its declared size. Throws
    // EngineError::unreadableInput when the file cannot be read as an image or the
    // frame cannot be decoded (its data cut short or not what the header declares),
    // EngineError::inputTooLarge for a frame over maxWholeFramePixels that its format
    // only decodes whole.
    ImagePage(const std::filesystem::path& url, int index);
    // A page over an already upright frame; pixel sizes below 1 take the frame's own.
    ImagePage(RGBImage original, long long pixelWidth, long long pixelHeight, double dpiX, double dpiY);

    // The number of frames of an image file (at least 1). Throws EngineError::unreadableInput.
    static int frameCount(const std::filesystem::path& url);

    // Resolution as used: 72 x 72 unless both axes are finite and at least 1, and one
    // exceeds 1: (1, 300) is kept, (0.5, 300) and (1, 1) are not.
    static std::pair<double, double> plausibleResolution(double dpiX, double dpiY);
    // The longer side to decode a w x h frame to, or 0 to decode it at full size.
    static int reducedSide(long long w, long long h);
    // The image turned upright for EXIF orientation 1...8 (others count as 1).
    static RGBImage upright(const RGBImage& image, long long orientation);

    const RGBImage& original() const { return original_; }
    long long pixelWidth() const { return pixelWidth_; }
    long long pixelHeight() const { return pixelHeight_; }
    double dpiX() const { return dpiX_; }
    double dpiY() const { return dpiY_; }

    double width() const override;
    double height() const override;
    RGBImage render(double scale) const override;
    std::optional<PageText> textLayer() const override { return std::nullopt; }
    // The decoded frame at its native scale, or a render at the recognition scale when
    // that enlarges it by more than 5%.
    RecognitionImage ocrImage(double maxUpscale) const override;
    std::optional<RGBImage> cropFrame() const override { return original_; }

private:
    RGBImage original_;
    long long pixelWidth_ = 0;
    long long pixelHeight_ = 0;
    double dpiX_ = 72;
    double dpiY_ = 72;
};

}  // namespace ce
