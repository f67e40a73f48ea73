// One page of a PDF document as a page source. Its size is the crop box as
// displayed (sides swapped for a quarter-turned page); it is drawn through MuPDF
// into a bitmap whose size is computed here, within a budget of maxRenderPixels.
// Use it on the thread that opened the document.
#pragma once

#include <memory>

#include "input/PageSource.h"
#include "platform/PDFDocument.h"

namespace ce {

class PDFPageSource final : public PageSource {
public:
    static constexpr double maxRenderPixels = 32'000'000;

    explicit PDFPageSource(std::shared_ptr<const PDFPage> page);

    const std::shared_ptr<const PDFPage>& page() const { return page_; }
    // The crop box in unrotated page space, taken once at creation.
    const PDFRect& box() const { return box_; }

    double width() const override;
    double height() const override;
    RGBImage render(double scale) const override;
    std::optional<PageText> textLayer() const override;
    // The page drawn at scale 3 (lowered by the budget) and that scale; maxUpscale is unused.
    RecognitionImage ocrImage(double maxUpscale) const override;

    // `scale`, lowered by the square root of the excess when the page would exceed
    // maxRenderPixels at that scale.
    double cappedScale(double scale) const;

private:
    bool quarterTurned() const;
    std::shared_ptr<const PDFPage> page_;
    PDFRect box_;
};

}  // namespace ce
