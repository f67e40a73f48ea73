// Where a line that the PDF reader hands over holds text set far apart with nothing
// between: the numbers of neighbouring table columns, or a label and its value, which
// the reader put in one line without a space (as it does for right-to-left lines). Such
// a line is cut into parts, each read as a line of its own.
//
// A line is cut between two visible characters that follow each other without white
// space when all of its visible glyphs before the cut (back to the previous cut) and all
// of them after it lie on either side of a column gap: wider than a share of the font
// size beyond the line's letter spacing (its narrowest gap between letters), measured
// along the line's direction. Letter spacing, kerning and the words of a right-to-left
// line stored from its first letter stay whole: their glyphs touch or overlap, a heading
// set evenly with wide letter spacing has no gap much wider than its narrowest, and a
// number inside a right-to-left line, drawn left to right, fills the place up to the
// letters before it. Where a Latin letter and a
// right-to-left one meet, the word space between the runs of a mixed line stored from
// its first letter is no column gap either. A glyph that jumps back against the writing
// direction to text drawn well before the rest is cut off the same way.
// Pure functions; safe from any thread.
#pragma once

#include <span>
#include <vector>

namespace ce::LineCuts {

// The writing direction of a glyph's character.
enum class Direction { neutral, leftToRight, rightToLeft };

// One position of a line, in the order the reader stores them.
struct Glyph {
    bool visible = false;  // not white space
    double low = 0;        // the glyph box's extent along the line's direction
    double high = 0;
    double size = 0;       // font size
    Direction direction = Direction::neutral;  // a strong letter's; neutral for digits and signs
};

// A part of the line: positions [from, to).
struct Part {
    int from = 0;
    int to = 0;
};

struct Options {
    // The widest gap kept inside a line beyond its letter spacing, as a share of the
    // larger font size of the two characters at it: about two word spaces.
    double widestGap = 0.5;
    // The same where a left-to-right and a right-to-left letter meet: the word space of a
    // justified line.
    double widestGapBetweenDirections = 1.0;
};

// The line's parts in reading order: along the line's direction, or against it for a
// line that reads right to left. A line without a cut is one part; no glyphs, no part.
std::vector<Part> parts(std::span<const Glyph> glyphs, bool rightToLeft, const Options& options = {});

}  // namespace ce::LineCuts
