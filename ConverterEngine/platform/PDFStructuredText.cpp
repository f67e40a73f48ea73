#include "platform/PDFStructuredText.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include <unicode/uchar.h>
#include <unicode/utf16.h>

#include "input/BidiOrder.h"
#include "input/LineCuts.h"
#include "platform/MuPDF.h"

namespace ce::PDFStructuredText {

namespace {

// The letters of the Latin ligatures that MuPDF reports as one character.
std::u16string_view ligatureLetters(int c) {
    switch (c) {
        case 0xFB00: return u"ff";
        case 0xFB01: return u"fi";
        case 0xFB02: return u"fl";
        case 0xFB03: return u"ffi";
        case 0xFB04: return u"ffl";
        case 0xFB05:
        case 0xFB06: return u"st";
        default: return {};
    }
}

// The quad's extent along a direction.
std::pair<double, double> extentAlong(const fz_quad& q, fz_point direction) {
    double low = INFINITY;
    double high = -INFINITY;
    for (const fz_point p : {q.ul, q.ur, q.ll, q.lr}) {
        const double at = p.x * direction.x + p.y * direction.y;
        low = std::min(low, at);
        high = std::max(high, at);
    }
    return {low, high};
}

LineCuts::Direction directionOf(char32_t c) {
    if (BidiOrder::isRightToLeft(c)) return LineCuts::Direction::rightToLeft;
    if (u_charDirection(static_cast<UChar32>(c)) == U_LEFT_TO_RIGHT) return LineCuts::Direction::leftToRight;
    return LineCuts::Direction::neutral;
}

fz_point between(fz_point a, fz_point b, float t) { return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t}; }

// Part k of n of a glyph's quad, cut along its baseline direction.
fz_quad quadPart(const fz_quad& q, int k, int n) {
    const float from = static_cast<float>(k) / static_cast<float>(n);
    const float to = static_cast<float>(k + 1) / static_cast<float>(n);
    return {between(q.ul, q.ur, from), between(q.ul, q.ur, to), between(q.ll, q.lr, from), between(q.ll, q.lr, to)};
}

class ViewBuilder {
public:
    ViewBuilder(const PDFPage& page, fz_matrix toPageSpace, bool halfTurned) : toPageSpace_(toPageSpace) {
        const PDFRect crop = page.cropBox();
        view_.cropBox = {crop.x0, crop.y0, crop.x1, crop.y1};
        view_.rotation = page.rotation();
        view_.halfTurned = halfTurned;
    }

    void addLine(const fz_stext_line& line) {
        const int start = static_cast<int>(view_.text.size());
        along_.clear();
        extents_.clear();
        direction_ = line.dir;
        // Lines are collected as the page is displayed: one running more up or down than
        // across was drawn turned a quarter turn.
        sideways_ = std::abs(line.dir.y) > std::abs(line.dir.x);
        for (const fz_stext_char* ch = line.first_char; ch; ch = ch->next) {
            // Some PDFs draw a tab as the space between the words of a line: it is a word space.
            const int c = ch->c == '\t' ? ' ' : ch->c;
            if (c == ' ' && static_cast<int>(view_.text.size()) > start && view_.text.back() == u' ') {
                widenLastBox(ch->quad);
                continue;
            }
            addWordBreakBefore(*ch, start);
            replaceEarlierCopy(*ch);
            const std::u16string_view letters = ligatureLetters(ch->c);
            const double position = ch->origin.x * line.dir.x + ch->origin.y * line.dir.y;
            if (letters.empty()) {
                addCharacter(c, ch->quad, position, ch->size);
                continue;
            }
            const int n = static_cast<int>(letters.size());
            for (int k = 0; k < n; ++k) addCharacter(letters[k], quadPart(ch->quad, k, n), position, ch->size);
        }
        const int end = static_cast<int>(view_.text.size());
        if (end == start) return;
        const std::u16string_view text = std::u16string_view(view_.text).substr(start, end - start);
        const std::vector<LineCuts::Part> parts = LineCuts::parts(extents_, BidiOrder::readsRightToLeft(text));
        if (parts.size() == 1) {
            closeLine(start);
        } else {
            cutLine(start, parts);
        }
    }

    // The view without the characters of earlier copies of glyphs drawn again; a line
    // left without characters is left out.
    PageTextView take() {
        if (std::none_of(droppedGlyphs_.begin(), droppedGlyphs_.end(), [](bool d) { return d; })) {
            return std::move(view_);
        }
        PageTextView out;
        out.cropBox = view_.cropBox;
        out.rotation = view_.rotation;
        out.halfTurned = view_.halfTurned;
        for (const PageTextView::Line& line : view_.lines) {
            const PageTextView::Range range = line.ranges.front();
            const int start = static_cast<int>(out.text.size());
            for (int p = range.location; p < range.location + range.length; ++p) {
                const int glyph = glyphOf_[static_cast<std::size_t>(p)];
                if (glyph >= 0 && droppedGlyphs_[static_cast<std::size_t>(glyph)]) continue;
                const auto& box = view_.boxes[static_cast<std::size_t>(p)];
                if (view_.text[static_cast<std::size_t>(p)] == u' ' && static_cast<int>(out.text.size()) > start &&
                    out.text.back() == u' ') {
                    // The spaces around a removed copy stand for one word break.
                    auto& last = out.boxes.back();
                    if (box) last = last ? last->unionWith(*box) : *box;
                    continue;
                }
                out.text.push_back(view_.text[static_cast<std::size_t>(p)]);
                out.boxes.push_back(box);
            }
            const int end = static_cast<int>(out.text.size());
            if (end == start) continue;
            out.lines.push_back({{{start, end - start}}, line.sideways});
            out.text.push_back(u'\n');
            out.boxes.push_back(std::nullopt);
        }
        return out;
    }

private:
    // Content drawn upside down is read on the page turned by a half turn about the crop
    // box's centre, where it runs left to right and top to bottom; the turn is taken in
    // double precision, which keeps the boxes of huge pages as precise as MuPDF's own.
    PageTextView::Rect boxOf(const fz_quad& quad) const {
        const fz_rect r = fz_rect_from_quad(fz_transform_quad(quad, toPageSpace_));
        if (!view_.halfTurned) return {r.x0, r.y0, r.x1, r.y1};
        const PageTextView::Rect& crop = view_.cropBox;
        return {crop.minX + crop.maxX - r.x1, crop.minY + crop.maxY - r.y1, crop.minX + crop.maxX - r.x0,
                crop.minY + crop.maxY - r.y0};
    }

    // MuPDF adds a space of its own after a written one when character spacing leaves a
    // gap behind it; the two stand for one word break, so they become one wider space.
    void widenLastBox(const fz_quad& quad) {
        auto& last = view_.boxes.back();
        last = last ? last->unionWith(boxOf(quad)) : boxOf(quad);
    }

    // In a line of both directions stored from its first letter, the step from the run of
    // one direction to the next goes back against the line's direction, where MuPDF
    // writes no space: a visible glyph of the other direction than the glyph before it
    // that lies wholly behind that one, past letter spacing, gets a space over the gap.
    void addWordBreakBefore(const fz_stext_char& ch, int start) {
        if (static_cast<int>(view_.text.size()) <= start || extents_.empty()) return;
        const LineCuts::Glyph& previous = extents_.back();
        if (!previous.visible || ch.c < 0 || ch.c > 0x10FFFF) return;
        const LineCuts::Direction direction = directionOf(static_cast<char32_t>(ch.c));
        if (direction == LineCuts::Direction::neutral || previous.direction == LineCuts::Direction::neutral ||
            direction == previous.direction)
            return;
        const auto [low, high] = extentAlong(ch.quad, direction_);
        const double gap = previous.low - high;
        if (!(gap > wordBreakGap * std::max(previous.size, static_cast<double>(ch.size)))) return;
        // The space fills the gap on the glyph's own baseline.
        const auto shift = static_cast<float>(gap);
        const fz_point step{direction_.x * shift, direction_.y * shift};
        const fz_quad space{ch.quad.ur, {ch.quad.ur.x + step.x, ch.quad.ur.y + step.y}, ch.quad.lr,
                            {ch.quad.lr.x + step.x, ch.quad.lr.y + step.y}};
        fz_stext_char blank{};
        blank.c = ' ';
        replaceEarlierCopy(blank);
        addCharacter(' ', space, ch.origin.x * direction_.x + ch.origin.y * direction_.y, ch.size);
    }

    // `position` is the glyph's origin along the line's direction, `size` its font size.
    void addCharacter(int c, const fz_quad& quad, double position, double size) {
        const bool scalar = c >= 0 && c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF);
        const char32_t code = scalar ? static_cast<char32_t>(c) : U'\uFFFD';
        const PageTextView::Rect box = boxOf(quad);
        const auto [low, high] = extentAlong(quad, direction_);
        const LineCuts::Glyph extent{!u_isUWhiteSpace(static_cast<UChar32>(code)), low, high, size,
                                     directionOf(code)};
        if (code < 0x10000) {
            view_.text.push_back(static_cast<char16_t>(code));
            view_.boxes.push_back(box);
            along_.push_back(position);
            extents_.push_back(extent);
            glyphOf_.push_back(currentGlyph_);
            return;
        }
        const char32_t v = code - 0x10000;
        view_.text.push_back(static_cast<char16_t>(0xD800 + (v >> 10)));
        view_.text.push_back(static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
        view_.boxes.push_back(box);
        view_.boxes.push_back(box);
        along_.push_back(position);
        along_.push_back(position);
        extents_.push_back(extent);
        extents_.push_back(extent);
        glyphOf_.push_back(currentGlyph_);
        glyphOf_.push_back(currentGlyph_);
    }

    // Ends the line that starts at `start`: puts it into reading order and adds it to the view.
    void closeLine(int start) {
        const int end = static_cast<int>(view_.text.size());
        readInLogicalOrder(start, end);
        view_.lines.push_back({{{start, end - start}}, sideways_});
        view_.text.push_back(u'\n');
        view_.boxes.push_back(std::nullopt);
        glyphOf_.push_back(-1);
    }

    // Writes the current line, from `start` on, again as its parts in the given order,
    // each a line of its own.
    void cutLine(int start, const std::vector<LineCuts::Part>& parts) {
        const auto first = static_cast<std::size_t>(start);
        const std::u16string text = view_.text.substr(first);
        const std::vector<std::optional<PageTextView::Rect>> boxes(view_.boxes.begin() + start, view_.boxes.end());
        const std::vector<int> glyphNumbers(glyphOf_.begin() + start, glyphOf_.end());
        const std::vector<double> along = along_;
        view_.text.resize(first);
        view_.boxes.resize(first);
        glyphOf_.resize(first);
        for (const LineCuts::Part& part : parts) {
            const int from = static_cast<int>(view_.text.size());
            view_.text.append(text, static_cast<std::size_t>(part.from), static_cast<std::size_t>(part.to - part.from));
            view_.boxes.insert(view_.boxes.end(), boxes.begin() + part.from, boxes.begin() + part.to);
            glyphOf_.insert(glyphOf_.end(), glyphNumbers.begin() + part.from, glyphNumbers.begin() + part.to);
            along_.assign(along.begin() + part.from, along.begin() + part.to);
            closeLine(from);
        }
    }

    // A line with right-to-left letters that the PDF stores as drawn (its right-to-left
    // letters follow each other forwards along the line) is put into reading order,
    // each character keeping its box. Lines stored in reading order stand.
    void readInLogicalOrder(int start, int end) {
        const std::u16string_view line = std::u16string_view(view_.text).substr(start, end - start);
        if (!BidiOrder::hasRightToLeft(line)) return;
        int forwards = 0;
        int backwards = 0;
        std::optional<double> previous;
        for (std::size_t i = 0; i < line.size(); ++i) {
            if (U16_IS_SURROGATE(line[i]) || !BidiOrder::isRightToLeft(line[i])) continue;
            if (previous) {
                if (along_[i] > *previous) ++forwards;
                if (along_[i] < *previous) ++backwards;
            }
            previous = along_[i];
        }
        if (forwards <= backwards) return;
        const auto reordered = BidiOrder::fromVisual(line);
        if (!reordered) return;
        std::vector<std::optional<PageTextView::Rect>> boxes(line.size());
        std::vector<int> glyphs(line.size());
        for (std::size_t i = 0; i < line.size(); ++i) {
            const auto from = static_cast<std::size_t>(start + reordered->source[i]);
            boxes[i] = view_.boxes[from];
            glyphs[i] = glyphOf_[from];
        }
        std::copy(reordered->text.begin(), reordered->text.end(), view_.text.begin() + start);
        std::copy(boxes.begin(), boxes.end(), view_.boxes.begin() + start);
        std::copy(glyphs.begin(), glyphs.end(), glyphOf_.begin() + start);
    }

    // A character drawn again at nearly the place and size of the same character (text
    // drawn twice to look bold, a shadow, or a partial first drawing under the final one)
    // replaces the earlier copy, whose characters are left out of the view: the last
    // drawing is the one shown. The glyph origins must lie within a fifth of the size of
    // each other, both ways, so the same letter in the next row of a dense table (whose
    // boxes may overlap) stays; and the two glyph boxes must share more than half of the
    // wider one along the line. A glyph that advances from the one before it shares with
    // it no more than what negative letter spacing takes back, so double letters stay
    // however condensed, tracked or small the type. Glyphs are kept by character and a coarse cell of their
    // origin. Sets `currentGlyph_` to the glyph's number.
    void replaceEarlierCopy(const fz_stext_char& ch) {
        currentGlyph_ = static_cast<int>(droppedGlyphs_.size());
        droppedGlyphs_.push_back(false);
        const int c = ch.c;
        if (c < 0 || c > 0x10FFFF || u_isUWhiteSpace(c) || !(ch.size > 0)) return;
        const Glyph glyph{ch.origin.x, ch.origin.y, ch.size, extentAlong(ch.quad, direction_), currentGlyph_};
        const auto cellOf = [](double v) { return static_cast<std::int64_t>(std::floor(v / duplicateCell)); };
        const std::int64_t cx = cellOf(glyph.x);
        const std::int64_t cy = cellOf(glyph.y);
        const double reach = duplicateReach * glyph.size;
        for (std::int64_t dx = -1; dx <= 1; ++dx) {
            for (std::int64_t dy = -1; dy <= 1; ++dy) {
                const auto found = placed_.find({c, cx + dx, cy + dy});
                if (found == placed_.end()) continue;
                auto& glyphs = found->second;
                for (auto other = glyphs.begin(); other != glyphs.end(); ++other) {
                    if (std::abs(other->x - glyph.x) <= reach && std::abs(other->y - glyph.y) <= reach &&
                        std::abs(other->size - glyph.size) <= reach && mostlyOverlap(other->along, glyph.along)) {
                        droppedGlyphs_[static_cast<std::size_t>(other->number)] = true;
                        glyphs.erase(other);
                        placed_[{c, cx, cy}].push_back(glyph);
                        return;
                    }
                }
            }
        }
        placed_[{c, cx, cy}].push_back(glyph);
    }

    struct Glyph {
        double x = 0;  // origin in displayed page space
        double y = 0;
        double size = 0;  // font size
        std::pair<double, double> along;  // the box's extent along its line
        int number = 0;   // position in droppedGlyphs_
    };

    // Whether two extents along a line share more than half of the longer one.
    static bool mostlyOverlap(std::pair<double, double> a, std::pair<double, double> b) {
        const double longer = std::max(a.second - a.first, b.second - b.first);
        const double shared = std::min(a.second, b.second) - std::max(a.first, b.first);
        return shared > duplicateOverlap * longer;
    }

    // Page points of a cell of the duplicate search (offsets up to it are found), the
    // largest offset of a glyph drawn again as a share of its size, and the share of the
    // wider of the two boxes that they have in common along the line.
    static constexpr double duplicateCell = 8;
    static constexpr double duplicateReach = 0.2;
    static constexpr double duplicateOverlap = 0.5;
    // The smallest gap, as a share of the font size, taken for the word space between the
    // runs of a mixed line.
    static constexpr double wordBreakGap = 0.1;

    fz_matrix toPageSpace_;
    PageTextView view_;
    std::map<std::tuple<int, std::int64_t, std::int64_t>, std::vector<Glyph>> placed_;
    std::vector<double> along_;  // per position of the current line: its glyph's place along the line
    std::vector<LineCuts::Glyph> extents_;  // per position of the current line: where its glyph lies
    fz_point direction_{1, 0};              // the current line's direction
    bool sideways_ = false;                 // whether the current line runs up or down the page
    std::vector<int> glyphOf_;   // per position of the text: the number of its glyph, -1 for line breaks
    std::vector<bool> droppedGlyphs_;  // per glyph: an earlier copy of a glyph drawn again
    int currentGlyph_ = -1;
};

// Whether most of the page's visible characters lie on lines drawn upside down as the
// page is displayed: running right to left (baseline direction about (-1, 0)) with the
// tops of their glyphs pointing down the page. Mirrored text, running right to left
// with upright glyphs, does not count.
bool drawnUpsideDown(const fz_stext_page& text) {
    constexpr float leftwards = -0.9f;
    long visible = 0;
    long upsideDown = 0;
    for (const fz_stext_block* block = text.first_block; block; block = block->next) {
        if (block->type != FZ_STEXT_BLOCK_TEXT) continue;
        for (const fz_stext_line* line = block->u.t.first_line; line; line = line->next) {
            const bool turned = line->wmode == 0 && line->dir.x < leftwards;
            for (const fz_stext_char* ch = line->first_char; ch; ch = ch->next) {
                if (ch->c < 0 || ch->c > 0x10FFFF || u_isUWhiteSpace(ch->c)) continue;
                ++visible;
                // Displayed space grows downwards: an upright glyph's top lies above its foot.
                if (turned && ch->quad.ul.y > ch->quad.ll.y) ++upsideDown;
            }
        }
    }
    return 2 * upsideDown > visible;
}

// The page's structured text with `transform` applied after the page's own; C-style so
// that it may run under fz_try.
fz_stext_page* collectText(fz_context* ctx, fz_page* page, fz_matrix transform, const fz_stext_options* options) {
    fz_stext_page* text = fz_new_stext_page(ctx, fz_transform_rect(fz_bound_page(ctx, page), transform));
    fz_device* device = nullptr;
    fz_var(device);
    fz_try(ctx) {
        device = fz_new_stext_device(ctx, text, options);
        fz_run_page(ctx, page, device, transform, nullptr);
        fz_close_device(ctx, device);
    }
    fz_always(ctx) { fz_drop_device(ctx, device); }
    fz_catch(ctx) {
        fz_drop_stext_page(ctx, text);
        fz_rethrow(ctx);
    }
    return text;
}

}  // namespace

PageTextView read(const PDFPage& page) {
    page.document().checkThread();
    fz_context* context = page.context();
    fz_page* handle = page.handle();
    pdf_page* pdfPage = page.pdfHandle();

    // MuPDF's displayed page space is rotated with y downwards, measured from the top of
    // the media box: on a page a billion points tall that subtraction, done in float,
    // leaves glyphs without height. The text is collected in the displayed orientation
    // but with the user-space origin kept (the transform's translation dropped), so that
    // coordinates stay as precise as the page's own; the inverse of that linear part
    // takes them back to the page's own space exactly.
    const fz_matrix displayed = mupdf::guarded(context, [pdfPage](fz_context* ctx) {
        fz_rect mediabox;
        fz_matrix ctm;
        pdf_page_transform(ctx, pdfPage, &mediabox, &ctm);
        return ctm;
    });
    const fz_matrix oriented{displayed.a, displayed.b, displayed.c, displayed.d, 0, 0};
    const fz_matrix fromDisplayed = fz_concat(fz_invert_matrix(displayed), oriented);
    fz_stext_page* text = mupdf::guarded(context, [handle, fromDisplayed](fz_context* ctx) {
        fz_stext_options options{};
        options.flags = FZ_STEXT_PRESERVE_LIGATURES | FZ_STEXT_PRESERVE_WHITESPACE | FZ_STEXT_MEDIABOX_CLIP;
        return collectText(ctx, handle, fromDisplayed, &options);
    });

    try {
        ViewBuilder builder(page, fz_invert_matrix(oriented), drawnUpsideDown(*text));
        for (const fz_stext_block* block = text->first_block; block; block = block->next) {
            if (block->type != FZ_STEXT_BLOCK_TEXT) continue;
            for (const fz_stext_line* line = block->u.t.first_line; line; line = line->next) builder.addLine(*line);
        }
        fz_drop_stext_page(context, text);
        return builder.take();
    } catch (...) {
        fz_drop_stext_page(context, text);
        throw;
    }
}

}  // namespace ce::PDFStructuredText
