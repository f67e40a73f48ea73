// A PDF page's own text as line and word cells, from a PageTextView.
//
// `read` groups the reader's line pieces into lines, flattens boxes far taller than the
// page's typical text, closes the spaces of letter-spaced words (LetterSpacing) and maps
// every box into displayed page points with the origin at the top left. Every cell has
// confidence 1.0 and is not from recognition. A page with fewer than 10 visible
// characters, or without any line, has no text layer. A half-turned view gives a
// half-turned text layer. Pure functions throughout: the
// steps below are exposed so that each can be checked on its own.
#pragma once

#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "core/BBox.h"
#include "core/TextCell.h"
#include "input/LetterSpacing.h"
#include "input/PageText.h"
#include "input/PageTextView.h"

namespace ce::PDFTextLayer {

using Rect = PageTextView::Rect;
using Range = PageTextView::Range;
// Lists of piece numbers.
using Groups = std::vector<std::vector<int>>;

// The page's lines and words; segments stay empty.
std::optional<PageText> read(const PageTextView& view);

// One line piece with text: its valid ranges and the bounds of their characters.
struct Piece {
    std::vector<Range> ranges;
    Rect bounds;
    bool sideways = false;  // drawn running up or down the page as displayed
};

// Unicode scalars that are not white space.
int visibleScalarCount(std::u16string_view text);
std::vector<Piece> pieces(const PageTextView& view);
// Heights are taken as the page is displayed: along y on an upright or upside-down page,
// along x on a quarter-turned one, where upright text runs up or down the unrotated page.
// A sideways line's height is its thickness across its own direction, the other axis.
struct Flattening {
    std::optional<double> typical;  // the lower quartile of the piece heights; none without pieces
    bool quarterTurned = false;

    // A box taller than three typical heights becomes one typical height about its middle;
    // the box of a sideways line, word or letter is measured across its line.
    Rect apply(const Rect& rect, bool sideways = false) const;
};
Flattening flattening(std::span<const Piece> pieces, int rotation);
// Pieces on one baseline, near each other; on a rotated page, and where it runs sideways,
// each piece stands alone.
Groups lineGroups(std::span<const Piece> pieces, bool unrotated);
// Line groups, united with neighbouring pieces of one text line; on an unrotated page
// each run's pieces go left to right.
Groups runs(std::u16string_view text, std::span<const Piece> pieces, const Groups& lineGroups, bool unrotated);

// A run's characters in order: page positions, with -1 marking a boundary between ranges.
struct CharacterSequence {
    std::vector<int> entries;
    std::set<int> candidates;    // letter-spacing candidates (a boundary by the position after it)
    bool examined = false;       // whether the run takes part in the repair at all
    bool sideways = false;       // whether the run's pieces run up or down the page
};
CharacterSequence characterSequence(std::u16string_view text, std::span<const Piece> pieces,
                                    const std::vector<int>& run);
// Gap records of a run's separators; none when no separator could be measured.
std::optional<LetterSpacing::MeasuredRun> measure(const PageTextView& view, const CharacterSequence& sequence,
                                                  const Flattening& flattening);

// Line groups whose pieces already run in reading order stand piece by piece; the
// others are read in order along the line: left to right, or right to left for a group
// of mostly right-to-left letters (Hebrew, Arabic).
Groups finalGroups(std::u16string_view text, const Groups& lineGroups, std::span<const Piece> pieces,
                   bool unrotated);

// A rectangle of unrotated page space as a box in displayed points, relative to the crop box.
BBox toPageBox(const Rect& rect, const Rect& cropBox, int rotation);

}  // namespace ce::PDFTextLayer
