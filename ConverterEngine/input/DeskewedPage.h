// A page source turned to straighten a skewed scan: `degrees` is the measured
// counter-clockwise tilt of the content, so every image of the base page is turned
// clockwise by that much about its centre (same size, uncovered corners white). The
// size in points is the base's; a deskewed page has no text layer of its own.
#pragma once

#include <memory>

#include "input/PageSource.h"

namespace ce {

class DeskewedPage final : public PageSource {
public:
    DeskewedPage(std::shared_ptr<const PageSource> base, double degrees);

    // The image turned by `degrees` about its centre, counter-clockwise for positive
    // values as displayed, bilinearly sampled; same size, areas it leaves uncovered white.
    // A half turn (a page drawn or scanned upside down) moves the pixels exactly.
    static RGBImage rotate(const RGBImage& image, double degrees);

    const std::shared_ptr<const PageSource>& base() const { return base_; }
    double degrees() const { return degrees_; }

    double width() const override { return base_->width(); }
    double height() const override { return base_->height(); }
    RGBImage render(double scale) const override { return rotate(base_->render(scale), -degrees_); }
    std::optional<PageText> textLayer() const override { return std::nullopt; }
    RecognitionImage ocrImage(double maxUpscale) const override;
    std::optional<RGBImage> cropFrame() const override;

private:
    std::shared_ptr<const PageSource> base_;
    double degrees_;
};

}  // namespace ce
