#include "pipeline/PDFPageSource.h"

#include <algorithm>
#include <cmath>

#include "core/EngineError.h"
#include "input/PDFTextLayer.h"
#include "platform/PDFStructuredText.h"

namespace ce {

PDFPageSource::PDFPageSource(std::shared_ptr<const PDFPage> page) : page_(std::move(page)), box_(page_->cropBox()) {}

bool PDFPageSource::quarterTurned() const { return page_->rotation() % 180 != 0; }

double PDFPageSource::width() const { return quarterTurned() ? box_.height() : box_.width(); }

double PDFPageSource::height() const { return quarterTurned() ? box_.width() : box_.height(); }

double PDFPageSource::cappedScale(double scale) const {
    const double pixels = scale * scale * width() * height();
    return pixels > maxRenderPixels ? scale * std::sqrt(maxRenderPixels / pixels) : scale;
}

RGBImage PDFPageSource::render(double scale) const {
    const double s = cappedScale(scale);
    if (!std::isfinite(s) || s <= 0) return RGBImage::filled(1, 1, 255, 255, 255);
    // Sizes round half away from zero; the budget keeps them far inside int.
    const int pixelWidth = std::max(1, static_cast<int>(std::round(s * width())));
    const int pixelHeight = std::max(1, static_cast<int>(std::round(s * height())));
    try {
        return page_->render(s, pixelWidth, pixelHeight);
    } catch (const PDFError&) {
        throw EngineError::unreadableInput(page_->document().path());
    }
}

// A page whose text cannot be read has no text layer of its own and is recognised instead.
std::optional<PageText> PDFPageSource::textLayer() const {
    try {
        return PDFTextLayer::read(PDFStructuredText::read(*page_));
    } catch (const PDFError&) {
        return std::nullopt;
    }
}

RecognitionImage PDFPageSource::ocrImage(double) const { return {render(3), cappedScale(3)}; }

}  // namespace ce
