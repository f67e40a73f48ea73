// Reads a PDF page's text through MuPDF's structured text into a PageTextView.
//
// The page string holds every structured-text line followed by a line break; each line
// is one piece with one range. A line whose text lies far apart with nothing between
// (LineCuts: table columns that MuPDF joins without a space) is cut into parts, each
// read as a line of its own, in reading order. Ligatures (U+FB00 to U+FB06) are expanded into their
// letters, each given an equal share of the ligature's box; spaces, written or inserted
// by MuPDF between words, are kept with their boxes (a space that MuPDF adds right after
// a written one widens that one instead). Characters entirely outside the
// page box are left out. A character drawn again over the same character, the two
// boxes mostly overlapping (text drawn twice to look bold or shadowed), is read once,
// from its last drawing. Boxes are mapped back to unrotated page space (y upwards), so
// the view carries the page's crop box and rotation unchanged.
// Call on the thread that opened the document; throws PDFError when MuPDF fails.
#pragma once

#include "input/PageTextView.h"
#include "platform/PDFDocument.h"

namespace ce::PDFStructuredText {

PageTextView read(const PDFPage& page);

}  // namespace ce::PDFStructuredText
