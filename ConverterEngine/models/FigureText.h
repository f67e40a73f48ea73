// Picture and formula detections that hold the page's own text. The layout model
// takes dense prose, a page-filling table of text, a big title or a dated subtitle
// for a picture or a formula now and then; a picture writes no text, so everything
// the PDF's text layer says inside it would be lost. A picture box whose area the
// text layer's lines mostly cover is text, not a figure: a real figure (a photo, a
// chart, a diagram) holds no lines or a few sparse labels. Such a picture is dropped
// from the detections, so its lines go to the regions detected inside it or become
// text regions of their own (and a table detected over it is read as a table), except
// when it holds a few lines set well above the page's body size, which are a title.
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
};

// The detections with every picture whose text-layer lines cover at least minCover of
// its area, with at most maxUnmappedShare of their visible scalars unmapped, removed,
// or relabelled title when it holds at most maxTitleLines lines whose median height is
// at least minTitleHeightRatio times that of all the page's text-layer lines; and every
// formula whose text-layer lines hold a word of four letters or more, at most a third
// of single letters and no mathematical symbol (Unicode Sm, a Greek letter) relabelled
// text. Other detections, and pictures and formulas without text-layer lines, are left
// as they are, in their order.
std::vector<Cluster> relabelled(std::vector<Cluster> detections, const std::vector<TextCell>& lines,
                                const Options& options = {});

}  // namespace ce::FigureText
