// Text recognition of a page image: the recognised lines, the page's skew measured
// from them, and the page text (lines, words and segments as TextCells in page
// points, top-left origin, all marked fromOCR) built from them.
//
// Use: observe() the recognition image; read characterCount() and skewDegrees to
// choose between recognised text and a text layer and whether to deskew; then
// pageText() with the image in the frame the cells should describe (the turned
// image when deskewed) and the correcting rotation. recognize() is both steps on one
// image without rotation. VisionOCR is a plain value: safe to copy and to use from
// several threads at once; the recogniser behind it is shared and thread-safe.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "image/GrayRaster.h"
#include "image/RGBImage.h"
#include "input/PageText.h"
#include "input/TextRecognizer.h"

namespace ce {

class VisionOCR {
public:
    static constexpr double defaultSegmentGap = 0.3;
    static constexpr double skewMinAspect = 15.0;
    static constexpr int skewMinLines = 5;
    static constexpr double skewMaxSpread = 0.6;  // degrees

    // One recognition of one image.
    struct Observations {
        std::vector<RecognizedLine> results;  // in the recogniser's order
        int width = 0;                        // pixels
        int height = 0;
        double scale = 1;                     // pixels per point
        std::optional<double> skewDegrees;    // positive when lines rise to the right

        // The non-white-space characters (grapheme clusters) of all results' texts.
        int characterCount() const;
        // The results' confidences, each weighed by its non-white-space characters; 0
        // without any.
        double meanConfidence() const;
    };

    // `languages`: recognition codes in priority order ("en-US"); empty means automatic.
    // Without a recogniser, observe() and recognize() fail with EngineError::textRecognition.
    VisionOCR(std::vector<std::string> languages, double segmentGap = defaultSegmentGap,
              std::shared_ptr<const TextRecognizer> recognizer = nullptr);

    const std::vector<std::string>& languages() const { return languages_; }
    double segmentGap() const { return segmentGap_; }

    // Recognises the image (dictionaries on, page layout) and measures its skew.
    // Throws EngineError when recognition cannot run or the image is malformed.
    Observations observe(const RGBImage& image, double scale) const;

    // The page text of the observations; `ink` is the image at the observations'
    // scale in the cells' frame, `rotationDegrees` turns the recognised outlines
    // about the image centre (counter-clockwise positive, as skew). Never throws.
    PageText pageText(const Observations& observations, const RGBImage& ink, double rotationDegrees) const;

    // observe() then pageText() on the same image without rotation.
    PageText recognize(const RGBImage& image, double scale) const;

    // The image as a grey raster; none when the image is empty or malformed.
    static std::optional<GrayRaster> grayRaster(const RGBImage& image);

private:
    std::vector<std::string> languages_;
    double segmentGap_;
    std::shared_ptr<const TextRecognizer> recognizer_;
};

}  // namespace ce
