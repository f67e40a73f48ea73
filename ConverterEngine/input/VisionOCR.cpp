#include "input/VisionOCR.h"

#include <cmath>
#include <numbers>
#include <utility>

#include "core/EngineError.h"
#include "core/Graphemes.h"
#include "core/Utf8.h"
#include "core/Whitespace.h"
#include "input/Segments.h"
#include "input/Skew.h"

namespace ce {

namespace {

bool isWhitespaceCharacter(std::string_view character) {
    std::size_t i = 0;
    return !character.empty() && isWhitespace(nextScalar(character, i), WhitespaceSet::whiteSpace);
}

int visibleCharacters(std::string_view text) {
    int count = 0;
    for (std::string_view character : graphemeClusters(text))
        if (!isWhitespaceCharacter(character)) ++count;
    return count;
}

// Turns the quad's corners about the image centre by `theta` radians (in pixel
// units, so the turn is a true rotation on a non-square image) and gives the
// smallest rectangle around them.
NormalizedRect turnedBox(const TextQuad& quad, double theta, int width, int height) {
    const double c = std::cos(theta);
    const double s = std::sin(theta);
    NormalizedRect box{INFINITY, INFINITY, -INFINITY, -INFINITY};
    for (const NormalizedPoint& p : {quad.topLeft, quad.topRight, quad.bottomLeft, quad.bottomRight}) {
        const double dx = (p.x - 0.5) * width;
        const double dy = (p.y - 0.5) * height;
        const double x = (c * dx - s * dy) / width + 0.5;
        const double y = (s * dx + c * dy) / height + 0.5;
        box.minX = std::min(box.minX, x);
        box.maxX = std::max(box.maxX, x);
        box.minY = std::min(box.minY, y);
        box.maxY = std::max(box.maxY, y);
    }
    return box;
}

// A normalised bottom-left-origin rectangle as a page box with a top-left origin.
BBox pageBox(const NormalizedRect& box, double pageWidth, double pageHeight) {
    return {pageWidth * box.minX, pageHeight * (1 - box.maxY), pageWidth * box.maxX, pageHeight * (1 - box.minY)};
}

}  // namespace

int VisionOCR::Observations::characterCount() const {
    int count = 0;
    for (const RecognizedLine& line : results) count += visibleCharacters(line.text);
    return count;
}

double VisionOCR::Observations::meanConfidence() const {
    double weighed = 0;
    int count = 0;
    for (const RecognizedLine& line : results) {
        const int characters = visibleCharacters(line.text);
        weighed += characters * line.confidence;
        count += characters;
    }
    return count > 0 ? weighed / count : 0;
}

VisionOCR::VisionOCR(std::vector<std::string> languages, double segmentGap,
                     std::shared_ptr<const TextRecognizer> recognizer)
    : languages_(std::move(languages)), segmentGap_(segmentGap), recognizer_(std::move(recognizer)) {}

VisionOCR::Observations VisionOCR::observe(const RGBImage& image, double scale) const {
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() != static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 3)
        throw EngineError::imageConversion();
    TextRecognizer::Request request;
    request.languages = languages_;
    request.languageCorrection = true;
    request.layout = TextRecognizer::Layout::page;
    request.pixelsPerPoint = scale;
    if (!recognizer_) throw EngineError::textRecognition("no text recogniser");
    const TextRecognizer& recognizer = *recognizer_;
    Observations observations;
    observations.results = recognizer.recognize({image.pixels.data(), image.width, image.height, 3}, request);
    observations.width = image.width;
    observations.height = image.height;
    observations.scale = scale;
    observations.skewDegrees = Skew::estimate(observations.results, image.width, image.height);
    return observations;
}

PageText VisionOCR::pageText(const Observations& observations, const RGBImage& ink, double rotationDegrees) const {
    const std::optional<GrayRaster> raster = grayRaster(ink);
    const double pageWidth = observations.width / observations.scale;
    const double pageHeight = observations.height / observations.scale;
    const double theta = rotationDegrees * std::numbers::pi / 180.0;
    const auto boxOf = [&](const TextQuad& quad) {
        const NormalizedRect box =
            rotationDegrees == 0 ? quad.boundingBox : turnedBox(quad, theta, observations.width, observations.height);
        return pageBox(box, pageWidth, pageHeight);
    };

    PageText text;
    for (const RecognizedLine& result : observations.results) {
        std::string trimmed = trimmingWhitespace(result.text, WhitespaceSet::whiteSpace);
        if (trimmed.empty()) continue;
        TextCell line;
        line.index = static_cast<int>(text.lines.size());
        line.text = std::move(trimmed);
        line.bbox = boxOf(result.quad);
        line.confidence = result.confidence;
        line.fromOCR = true;

        std::vector<TextCell> words;
        std::size_t offset = 0;
        std::optional<std::size_t> wordStart;
        const auto endWord = [&](std::size_t end) {
            if (!wordStart) return;
            if (const auto quad = result.box(*wordStart, end)) {
                TextCell word;
                word.index = static_cast<int>(text.words.size() + words.size());
                word.text = result.text.substr(*wordStart, end - *wordStart);
                word.bbox = boxOf(*quad);
                word.confidence = result.confidence;
                word.fromOCR = true;
                words.push_back(std::move(word));
            }
            wordStart.reset();
        };
        for (std::string_view character : graphemeClusters(result.text)) {
            if (isWhitespaceCharacter(character))
                endWord(offset);
            else if (!wordStart)
                wordStart = offset;
            offset += character.size();
        }
        endWord(offset);

        for (TextCell& segment : Segments::split(words, line, raster ? &*raster : nullptr, observations.scale,
                                                 segmentGap_)) {
            segment.index = static_cast<int>(text.segments.size());
            text.segments.push_back(std::move(segment));
        }
        text.words.insert(text.words.end(), words.begin(), words.end());
        text.lines.push_back(std::move(line));
    }
    return text;
}

PageText VisionOCR::recognize(const RGBImage& image, double scale) const {
    return pageText(observe(image, scale), image, 0);
}

std::optional<GrayRaster> VisionOCR::grayRaster(const RGBImage& image) { return GrayRaster::of(image); }

}  // namespace ce
