// The neutral face of a text recogniser: what the engine asks of it (an 8-bit image
// and a request) and what it gets back per recognised line (the best reading, its
// confidence and its geometry). Geometry is normalised to 0...1 over the image with
// the origin at the bottom left, y upwards; corners describe the line's possibly
// tilted outline, the bounding box is the axis-aligned box around it.
//
// Implementations (the Tesseract layer, fakes in tests) must be safe to call from
// several threads at once; each call is independent.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ce {

struct NormalizedPoint {
    double x = 0;
    double y = 0;

    bool operator==(const NormalizedPoint&) const = default;
};

struct NormalizedRect {
    double minX = 0;
    double minY = 0;
    double maxX = 0;
    double maxY = 0;

    double midY() const { return (minY + maxY) * 0.5; }
    bool operator==(const NormalizedRect&) const = default;
};

// A quadrilateral outline and its axis-aligned bounding box.
struct TextQuad {
    NormalizedPoint topLeft;
    NormalizedPoint topRight;
    NormalizedPoint bottomLeft;
    NormalizedPoint bottomRight;
    NormalizedRect boundingBox;

    // The quad of an axis-aligned rectangle.
    static TextQuad upright(const NormalizedRect& box);
    bool operator==(const TextQuad&) const = default;
};

// The outline of the characters in text[begin, end) (UTF-8 byte offsets).
struct RangeBox {
    std::size_t begin = 0;
    std::size_t end = 0;
    TextQuad quad;

    bool operator==(const RangeBox&) const = default;
};

struct RecognizedLine {
    std::string text;         // the best reading, UTF-8
    double confidence = 0;    // 0...1
    TextQuad quad;
    std::vector<RangeBox> rangeBoxes;  // boxes the recogniser knows, e.g. one per word

    // The outline of exactly text[begin, end), when the recogniser gave one.
    std::optional<TextQuad> box(std::size_t begin, std::size_t end) const;
    bool operator==(const RecognizedLine&) const = default;
};

// An 8-bit image the caller owns for the duration of the call: `channels` 1 (grey)
// or 3 (R, G, B), rows top to bottom, width * channels bytes per row.
struct RecognizerImage {
    const std::uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int channels = 1;
};

class TextRecognizer {
public:
    enum class Layout {
        page,   // a page of blocks, columns and lines
        strip,  // a tall column of short, unrelated rows
    };

    struct Request {
        std::vector<std::string> languages;  // recognition codes ("en-US"); empty: automatic
        bool languageCorrection = true;      // dictionaries and language model on
        Layout layout = Layout::page;
        double pixelsPerPoint = 1;           // the image's resolution (72 points per inch)
    };

    virtual ~TextRecognizer() = default;

    // The recognised lines in reading order. Throws EngineError when recognition
    // cannot run (no language data, an image it cannot take).
    virtual std::vector<RecognizedLine> recognize(const RecognizerImage& image, const Request& request) const = 0;
};

}  // namespace ce
