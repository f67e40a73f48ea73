// The page abstraction: a page with a size in points, drawn at any scale into an
// RGBImage, with its own text layer when it has one and an image prepared for text
// recognition. Forms: PDFPageSource, ImagePage and DeskewedPage.
//
// Page sources are immutable after creation; share them as
// std::shared_ptr<const PageSource>. A PDF page must be used on the thread that
// opened its document. render and ocrImage throw EngineError only when the
// underlying library fails; sizes are always at least 1 x 1.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "core/BBox.h"
#include "image/RGBImage.h"
#include "input/PageText.h"

namespace ce {

// An image for text recognition and its scale in pixels per point.
struct RecognitionImage {
    RGBImage image;
    double scale = 1;
};

// Encodes a crop into the file data export writes (the pipeline passes the PNG encoder).
using CropEncoder = std::function<std::vector<std::uint8_t>(const RGBImage&)>;

// A region to cut out of a page, in page points.
struct CropRegion {
    int id = 0;
    BBox bbox;
};

class PageSource {
public:
    virtual ~PageSource() = default;

    virtual double width() const = 0;
    virtual double height() const = 0;
    // The page at `scale` pixels per point, possibly lowered by a pixel budget.
    virtual RGBImage render(double scale) const = 0;
    virtual std::optional<PageText> textLayer() const = 0;
    virtual RecognitionImage ocrImage(double maxUpscale) const = 0;

    // The full-resolution frame that crops are cut from instead of a render (image
    // pages, and deskewed pages over them, turned); none for pages drawn by a renderer.
    virtual std::optional<RGBImage> cropFrame() const { return std::nullopt; }

    // Encoded crop data per region id. Cut from cropFrame() when there is one, else
    // from `render` when given, else from render(scale). Regions that map to less than
    // 2 pixels on either axis inside the image, or cannot be encoded, are absent; a
    // later region with an id already seen replaces the earlier crop. Never throws.
    std::map<int, std::vector<std::uint8_t>> crops(const std::vector<CropRegion>& regions, double scale,
                                                   const CropEncoder& encode, const RGBImage* render = nullptr) const;
};

}  // namespace ce
