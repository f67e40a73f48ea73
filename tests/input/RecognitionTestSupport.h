// Helpers for the text-recognition suites: a recogniser that answers from a script
// and records what it was asked, page images drawn with the label font, and a turn.
#pragma once

#include <cmath>
#include <filesystem>
#include <functional>
#include <mutex>
#include <numbers>
#include <string>
#include <vector>

#include "image/GrayRaster.h"
#include "image/RGBImage.h"
#include "input/TextRecognizer.h"
#include "platform/SansFont.h"
#include "platform/TesseractLanguages.h"

namespace ce::testing {

class FakeRecognizer final : public TextRecognizer {
public:
    struct Call {
        GrayRaster image;  // grey, or the luminance of an RGB input
        Request request;
    };
    using Script = std::function<std::vector<RecognizedLine>(const Call&, std::size_t callIndex)>;

    explicit FakeRecognizer(Script script) : script_(std::move(script)) {}

    std::vector<RecognizedLine> recognize(const RecognizerImage& image, const Request& request) const override {
        Call call{GrayRaster::filled(image.width, image.height, 255), request};
        for (std::size_t i = 0; i < call.image.pixels.size(); ++i) {
            const std::uint8_t* p = image.pixels + i * static_cast<std::size_t>(image.channels);
            call.image.pixels[i] = image.channels == 1 ? p[0] : static_cast<std::uint8_t>((p[0] + p[1] + p[2]) / 3);
        }
        std::size_t index = 0;
        {
            const std::lock_guard lock(mutex_);
            index = calls_.size();
            calls_.push_back(call);
        }
        return script_(call, index);
    }

    std::vector<Call> calls() const {
        const std::lock_guard lock(mutex_);
        return calls_;
    }

private:
    Script script_;
    mutable std::mutex mutex_;  // guards calls_
    mutable std::vector<Call> calls_;
};

inline RGBImage rgbOf(const GrayRaster& raster) {
    RGBImage image = RGBImage::filled(raster.width, raster.height, 255, 255, 255);
    for (std::size_t i = 0; i < raster.pixels.size(); ++i)
        image.pixels[3 * i] = image.pixels[3 * i + 1] = image.pixels[3 * i + 2] = raster.pixels[i];
    return image;
}

// Text lines in black on white, each starting at x with its baseline at baselines[i].
inline GrayRaster drawnLines(int width, int height, const std::vector<std::string>& lines, double size, double x,
                             const std::vector<double>& baselines) {
    GrayRaster raster = GrayRaster::filled(width, height, 255);
    for (std::size_t i = 0; i < lines.size(); ++i) SansFont::draw(raster, lines[i], size, x, baselines[i], 0);
    return raster;
}

// The raster turned about its centre by `degrees` (counter-clockwise on screen),
// bilinear, white outside.
inline GrayRaster turned(const GrayRaster& source, double degrees) {
    GrayRaster out = GrayRaster::filled(source.width, source.height, 255);
    const double theta = degrees * std::numbers::pi / 180;
    const double c = std::cos(theta), s = std::sin(theta);
    const double cx = source.width / 2.0, cy = source.height / 2.0;
    const auto at = [&](int x, int y) -> double {
        return x < 0 || y < 0 || x >= source.width || y >= source.height ? 255.0 : source.at(x, y);
    };
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x) {
            const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
            const double sx = c * dx - s * dy + cx - 0.5, sy = s * dx + c * dy + cy - 0.5;
            const int x0 = static_cast<int>(std::floor(sx)), y0 = static_cast<int>(std::floor(sy));
            const double fx = sx - x0, fy = sy - y0;
            const double v = at(x0, y0) * (1 - fx) * (1 - fy) + at(x0 + 1, y0) * fx * (1 - fy) +
                             at(x0, y0 + 1) * (1 - fx) * fy + at(x0 + 1, y0 + 1) * fx * fy;
            out.pixels[static_cast<std::size_t>(y) * out.width + x] = static_cast<std::uint8_t>(std::lround(v));
        }
    return out;
}

// Whether Tesseract's English data is installed; tests that need it skip otherwise.
inline bool hasEnglishData() {
    return std::filesystem::exists(TesseractLanguages::dataDirectory() / "eng.traineddata");
}

}  // namespace ce::testing
