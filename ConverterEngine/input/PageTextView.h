// A library-neutral view of the text a PDF page carries, as the PDF reader hands it
// to the text-layer analyses (PDFTextLayer).
//
// `text` is the page's text as UTF-16; every position is a UTF-16 offset into it.
// `lines` are the reader's line pieces, each a list of ranges of `text`. `boxes` holds
// one optional box per position (absent for characters without a glyph, such as the
// line breaks between pieces). Boxes and the crop box are in unrotated page space,
// y growing upwards; `rotation` is the page's display rotation in degrees. A line drawn
// turned a quarter turn against the page as displayed, running up or down it, is
// `sideways`. On a page
// whose content is drawn upside down (`halfTurned`), boxes are given as on the page
// turned by a half turn about the crop box's centre, where that content reads upright.
// Callers may hand in any values: ranges that are negative or reach past the text,
// and missing boxes, are ignored by the analyses.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace ce {

struct PageTextView {
    struct Rect {
        double minX = 0;
        double minY = 0;
        double maxX = 0;
        double maxY = 0;

        double width() const { return maxX - minX; }
        double height() const { return maxY - minY; }
        double midY() const { return (minY + maxY) * 0.5; }
        bool hasArea() const { return width() > 0 && height() > 0; }
        Rect unionWith(const Rect& other) const;

        bool operator==(const Rect&) const = default;
    };

    struct Range {
        int location = 0;
        int length = 0;
    };

    struct Line {
        std::vector<Range> ranges;
        bool sideways = false;
    };

    std::u16string text;
    std::vector<Line> lines;
    std::vector<std::optional<Rect>> boxes;
    int rotation = 0;
    Rect cropBox;
    bool halfTurned = false;

    // The union of the boxes of positions [start, end); none when no position there has one.
    std::optional<Rect> bounds(int start, int end) const;
    // Whether `range` lies within `text` and is not empty.
    bool isValid(const Range& range) const;
};

}  // namespace ce
