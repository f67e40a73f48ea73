// Builds synthetic page text views: lines of characters laid out left to right, each
// followed by a line break without a box, as a PDF reader would hand them over.
#pragma once

#include <string>
#include <vector>

#include <unicode/utf16.h>

#include "input/PageTextView.h"

namespace ce::testing {

struct Layout {
    double x = 72;          // left edge of the first character
    double y = 700;         // bottom of the line, page space (y up)
    double height = 10;
    double width = 6;       // every visible character's width
    double tight = 0;       // gap between two visible neighbours
    std::vector<double> spaces = {3};  // width of each space in turn; the last one repeats
    std::vector<int> splits;           // offsets in the line where a new range starts (skipping one character)
};

class TextViewBuilder {
public:
    TextViewBuilder() { view_.cropBox = {0, 0, 612, 792}; }

    // Appends `text` as one line piece. A split drops the character at the split offset from
    // every range, so that "ab|cd" with a split at 2 gives ranges "ab" and "d".
    TextViewBuilder& line(const std::u16string& text, const Layout& layout = {}) {
        const int start = static_cast<int>(view_.text.size());
        double x = layout.x;
        std::size_t space = 0;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const char16_t c = text[i];
            PageTextView::Rect box;
            if (c == u' ') {
                const double w = layout.spaces[std::min(space++, layout.spaces.size() - 1)];
                box = {x, layout.y, x + w, layout.y + layout.height};
                x += w;
            } else if (U16_IS_TRAIL(c) || isCombining(c)) {
                box = *view_.boxes.back();  // one glyph with the character before
            } else {
                box = {x, layout.y, x + layout.width, layout.y + layout.height};
                x += layout.width;
                const bool nextVisible = i + 1 < text.size() && text[i + 1] != u' ';
                const bool nextJoins = nextVisible && (U16_IS_TRAIL(text[i + 1]) || isCombining(text[i + 1]));
                if (nextVisible && !nextJoins) x += layout.tight;
            }
            view_.text.push_back(c);
            view_.boxes.push_back(box);
        }
        PageTextView::Line piece;
        int from = 0;
        for (int split : layout.splits) {
            piece.ranges.push_back({start + from, split - from});
            from = split + 1;
        }
        piece.ranges.push_back({start + from, static_cast<int>(text.size()) - from});
        view_.lines.push_back(piece);
        view_.text.push_back(u'\n');
        view_.boxes.push_back(std::nullopt);
        return *this;
    }

    TextViewBuilder& rotation(int degrees) {
        view_.rotation = degrees;
        return *this;
    }

    const PageTextView& view() const { return view_; }

private:
    static bool isCombining(char16_t c) { return c >= 0x0300 && c <= 0x036F; }
    PageTextView view_;
};

}  // namespace ce::testing
