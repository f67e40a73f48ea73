// The body of a DOCX package, "word/document.xml": every body element of every page in
// reading order as paragraphs, runs, inline pictures and tables, then one section with
// the page size. Page furniture is never written. Pure string builders over one Body.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/ConversionResult.h"
#include "output/DOCXStyles.h"
#include "output/DOCXWriter.h"

namespace ce::DOCXWriter {

struct ImageRef {
    std::string rID;  // the relationship id the drawing embeds
    int id = 0;       // drawing id, picture name and media number
};

// The state one document's body is written with. `addImage` stores a picture's PNG in
// the package and names it; `lists` collects the numbered lists in creation order.
struct Body {
    const ConversionResult& result;
    Options options;
    std::function<ImageRef(const Data&)> addImage;
    std::vector<ListInstance> lists;
};

// A4 when the first page is within 12 points of 595 x 842 (either orientation), else
// Letter (also for a result without pages). Twips unless named EMU.
struct PageClass {
    int width = 12240;
    int height = 15840;
    int textWidth = 9360;                      // tables span this width
    long long maxPictureWidth = 5943600;       // EMU
    long long maxPictureHeight = 8229600;      // EMU: the height between the margins
    bool operator==(const PageClass&) const = default;
};
PageClass pageClass(const ConversionResult& result);

// The body text; leaves the list instances in `body.lists`. Never empty, never ends
// with a table.
std::string bodyXML(Body& body);
// The whole document part around the body text, with the page size in twips.
std::string documentXML(std::string_view bodyText, int pageWidth, int pageHeight);

// One non-list element (empty for kinds that write nothing).
std::string elementXML(Body& body, const DocElement& element, const ConvertedPage& page);
// A run of consecutive items of one list; appends to `body.lists`.
std::string listXML(Body& body, const std::vector<const DocElement*>& items);
// Nothing for empty text; otherwise one paragraph with one run.
std::string paragraphXML(std::string_view text, std::string_view style = {}, bool keepNext = false);
// Line ends become <w:br/>, tabs <w:tab/>.
std::string runXML(std::string_view text, bool bold = false);
std::string captionsXML(const DocElement& element, bool keepNext);
std::string footnotesXML(const DocElement& element);
// A drawing run of the element's crop, or nothing without a usable crop.
std::string pictureXML(Body& body, const DocElement& element, const ConvertedPage& page);
// One table of `rows` x `cols` (both at least 1) across `textWidth` twips; the cells
// must not overlap (TableStructure::withoutOverlaps).
std::string tableXML(int rows, int cols, const std::vector<TableCellItem>& cells, int textWidth);

}  // namespace ce::DOCXWriter
