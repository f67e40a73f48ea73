// Picture and formula detections that hold the page's own text. The layout model
// takes dense prose, a page-filling table of text, a big title or a dated subtitle
// for a picture or a formula now and then; a picture writes no text, so everything
// the PDF's text layer says inside it would be lost. A picture whose text-layer lines
// lie in rows and columns is a table. A picture box whose area the text layer's lines
// mostly cover is text, not a figure: a real figure (a photo, a chart, a diagram) holds
// no lines or a few sparse labels. Such a picture is dropped from the detections, so
// its lines go to the regions detected inside it or become text regions of their own,
// except when it holds a few lines set well above the page's body size, or in display
// type across the box, which are a title. A real figure's box often takes in the page's
// text around it: its caption, a line of the paragraph above or below. That text
// becomes a caption or text region of its own and the picture keeps the band between;
// the labels and legends inside it stay the picture's.
// Lines full of glyphs the text layer has no character for are typeset mathematics or
// drawing pieces: their picture stays, as it shows them far better than their text.
// A formula detection whose lines read as words (not the single letters of a diagram)
// and hold no mathematical symbol at all (a date, a name) is ordinary text. Only
// text-layer lines count: recognised text on a scanned figure says little about what
// the region is. Stateless; safe from any thread.
#pragma once

#include <vector>

#include "core/Cluster.h"
#include "core/TextCell.h"

namespace ce::FigureText {

struct Options {
    double minShareInside = 0.5;     // of a line's area, for the line to lie in the region
    double minCover = 0.3;           // of a picture's area covered by its lines, for it to be text
    double maxUnmappedShare = 0.02;  // of the lines' visible scalars without a character, for it to be text
    int maxTitleLines = 3;           // at most this many lines for a title
    double minTitleHeightRatio = 1.5;  // title lines' median height over the page's median line height
    double minDisplayHeight = 36;      // points of a line's height, for display type
    double minDisplayWidthShare = 0.5;  // of the box's width that display lines span, for a title
    int minGridRows = 4;               // rows of at least minGridColumns lines, for a table
    int minGridColumns = 3;
    double minGridShare = 0.6;         // of the lines in such rows, and of those sharing a column
    int minProseWords = 6;             // words of a prose line at a figure's edge
    double minProseWidthShare = 0.6;   // of the box's width, for such a line
    double minPictureHeight = 4;       // points left to a figure once its edge text is taken
};

// The detections with every picture whose text-layer lines (with at most
// maxUnmappedShare of their visible scalars unmapped) lie in rows and columns relabelled
// table; every other such picture whose lines cover at least minCover of its area, or
// that holds at most maxTitleLines lines of display type spanning minDisplayWidthShare
// of its width, removed, or relabelled title when it holds at most maxTitleLines lines
// whose median height is at least minTitleHeightRatio times that of all the page's
// text-layer lines or at least minDisplayHeight; every remaining picture cut to the band
// between the caption (a line opening with a caption label, at the top or in the lower
// half, with the lines that go with it) and the prose lines along its top and bottom
// edges, each of which is added as a caption or text detection with a new id (a picture
// left lower than minPictureHeight is removed); and every formula whose text-layer lines
// hold a word of four letters or more, at most a third of single letters and no
// mathematical symbol (Unicode Sm, a Greek letter) relabelled text. Other detections,
// and pictures and formulas without text-layer lines, are left as they are.
std::vector<Cluster> relabelled(std::vector<Cluster> detections, const std::vector<TextCell>& lines,
                                const Options& options = {});

}  // namespace ce::FigureText
