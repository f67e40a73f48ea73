#include "input/TextRecognizer.h"

namespace ce {

TextQuad TextQuad::upright(const NormalizedRect& box) {
    return {{box.minX, box.maxY}, {box.maxX, box.maxY}, {box.minX, box.minY}, {box.maxX, box.minY}, box};
}

std::optional<TextQuad> RecognizedLine::box(std::size_t begin, std::size_t end) const {
    for (const RangeBox& range : rangeBoxes)
        if (range.begin == begin && range.end == end) return range.quad;
    return std::nullopt;
}

}  // namespace ce
