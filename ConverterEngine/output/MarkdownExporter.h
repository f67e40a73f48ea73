// The Markdown that the application shows and exports for one page: the body is
// turned into Markdown blocks (headings, paragraphs with hard breaks, lists, fenced
// code, one-line HTML tables, picture links or placeholders, captions and footnotes)
// that are printed one by one and joined with a blank line, or a single line feed
// between the lists made from one run of list items. Text is escaped so that it reads
// back as the same text: underscores, "&", "<", ">", and line starts that would open a
// code fence, an ATX heading, a thematic break or a setext underline.
// Pure functions; safe to call from any thread.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/DocElement.h"

namespace ce::MarkdownExporter {

enum class ImageMode {
    placeholder,  // pictures become "<!-- image -->"
    linked,       // pictures and undecoded formulas become image links
};

// The link path of a picture or formula element's image, or nothing when it has none.
using ImagePath = std::function<std::optional<std::string>(const DocElement&)>;

// The page's Markdown, without a trailing line feed; "" for a page without output.
// `imagePath` is called only in linked mode, once per picture element and once per
// formula element with empty text.
std::string markdown(const AssembledPage& page, ImageMode imageMode, const ImagePath& imagePath);

// The label shown for each list item, keyed by its index in `elements`: its marker when
// that holds a letter or digit, else "<position>." in a numbered list, else "•".
std::map<int, std::string> listLabels(const std::vector<DocElement>& elements);

}  // namespace ce::MarkdownExporter
