#include "output/MarkdownExporter.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

#include "core/Graphemes.h"
#include "core/Regex.h"
#include "core/StringUtils.h"
#include "core/Unicode.h"
#include "core/Whitespace.h"
#include "output/MarkdownTree.h"
#include "output/MarkdownWriter.h"

namespace ce::MarkdownExporter {

namespace {

constexpr std::size_t altTextLength = 200;

struct BlockEntry {
    Markdown::Block block;
    std::optional<int> group;  // shared by the lists made from one run of list items
};

std::vector<std::string> split(const std::string& text, std::string_view separator) {
    std::vector<std::string> pieces;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(separator, start);
        if (end == std::string::npos) {
            pieces.push_back(text.substr(start));
            return pieces;
        }
        pieces.push_back(text.substr(start, end - start));
        start = end + separator.size();
    }
}

std::string replaceChar(std::string text, char from, char to) {
    for (char& c : text) {
        if (c == from) c = to;
    }
    return text;
}

// A backslash after up to three leading spaces when the line would otherwise open a
// code fence or an ATX heading, or be read as a thematic break or a setext underline
// (a run of "=" or "-" of any length). A line that would open a list item ("-" or "+"
// alone or before a blank, or a number of up to nine digits with "." or ")") gets the
// backslash before its marker's delimiter instead, so "2014." stays a paragraph.
std::string guardBlockStart(const std::string& line) {
    static const Regex blockStart(
        u"\\A( {0,3})(?:`{3,}|~{3,}|#{1,6}(?:[ \\t]|\\z)|([-*_=])[ \\t]*(?:\\2[ \\t]*){2,}\\z|(?:=+|-+)[ \\t]*\\z)");
    static const Regex listStart(u"\\A( {0,3})(?:[-+*]|(\\d{1,9})[.)])(?:[ \\t]|\\z)");
    const icu::UnicodeString input = toUnicode(line);
    auto insertionPoint = [&]() -> std::optional<int32_t> {
        UErrorCode status = U_ZERO_ERROR;
        if (auto m = blockStart.matcher(input); m && m->find()) {
            const int32_t indent = m->end(1, status);
            if (U_SUCCESS(status)) return indent;
        }
        if (auto m = listStart.matcher(input); m && m->find()) {
            const int32_t number = m->end(2, status);
            const int32_t indent = m->end(1, status);
            if (U_SUCCESS(status)) return number >= 0 ? number : indent;
        }
        return std::nullopt;
    };
    const std::optional<int32_t> at = insertionPoint();
    if (!at) return line;
    std::string out = line;
    out.insert(static_cast<std::size_t>(*at), "\\");  // spaces and digits are ASCII
    return out;
}

Markdown::Paragraph inlineParagraph(const std::string& text) {
    Markdown::Paragraph paragraph;
    const std::vector<std::string> lines = split(text, "\n");
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) paragraph.inlines.emplace_back(Markdown::LineBreak{});
        paragraph.inlines.emplace_back(Markdown::Text{guardBlockStart(MarkdownWriter::textEscaped(lines[i]))});
    }
    return paragraph;
}

std::vector<Markdown::Paragraph> paragraphs(const std::string& text) {
    std::vector<Markdown::Paragraph> out;
    for (const std::string& piece : split(text, "\n\n")) {
        if (!piece.empty()) out.push_back(inlineParagraph(piece));
    }
    return out;
}

void appendParagraphs(std::vector<Markdown::Block>& blocks, const std::string& text) {
    for (Markdown::Paragraph& p : paragraphs(text)) blocks.emplace_back(std::move(p));
}

// An already escaped caption string as one paragraph; nothing when it is empty.
void appendCaption(std::vector<Markdown::Block>& blocks, const std::string& caption) {
    if (caption.empty()) return;
    blocks.emplace_back(Markdown::Paragraph{{Markdown::Text{guardBlockStart(caption)}}});
}

void appendFootnotes(std::vector<Markdown::Block>& blocks, const DocElement& element) {
    for (const DocElement& footnote : element.footnotes) appendParagraphs(blocks, footnote.text);
}

Markdown::Paragraph imageParagraph(std::string source, std::string alt) {
    return Markdown::Paragraph{{Markdown::Image{std::move(source), std::move(alt)}}};
}

// The picture's alternative text: its captions with square brackets made round, cut
// to 200 characters before escaping so that no escape or entity is cut in half, and
// without a trailing backslash that would escape the closing bracket.
std::string pictureAltText(const DocElement& element) {
    std::string raw;
    for (std::size_t i = 0; i < element.captions.size(); ++i) {
        if (i > 0) raw += ' ';
        raw += element.captions[i].text;
    }
    if (raw.empty()) return "Figure";
    raw = replaceChar(replaceChar(std::move(raw), '[', '('), ']', ')');
    const std::vector<std::string_view> characters = graphemeClusters(raw);
    if (characters.size() > altTextLength) {
        const std::string_view last = characters[altTextLength - 1];
        raw.resize(static_cast<std::size_t>(last.data() + last.size() - raw.data()));
    }
    std::string alt = MarkdownWriter::textEscaped(raw);
    while (!alt.empty() && alt.back() == '\\') alt.pop_back();
    return alt;
}

std::vector<Markdown::Block> elementBlocks(const DocElement& element, ImageMode mode, const ImagePath& imagePath) {
    std::vector<Markdown::Block> blocks;
    auto headingText = [&] { return MarkdownWriter::textEscaped(replaceChar(element.text, '\n', ' ')); };
    switch (element.kind) {
        case DocElementKind::title:
            blocks.emplace_back(Markdown::Heading{1, headingText()});
            break;
        case DocElementKind::sectionHeader:
            blocks.emplace_back(Markdown::Heading{std::clamp(element.level, 0, 5) + 1, headingText()});
            break;
        case DocElementKind::text:
        case DocElementKind::caption:
        case DocElementKind::footnote:
            appendParagraphs(blocks, element.text);
            break;
        case DocElementKind::listItem:
        case DocElementKind::form:
        case DocElementKind::keyValue:
            break;
        case DocElementKind::table:
        case DocElementKind::documentIndex: {
            std::string caption;
            for (const DocElement& c : element.captions) caption += c.text;
            appendCaption(blocks, MarkdownWriter::textEscaped(caption));
            // A region taken for a table whose grid holds no text (a chart, a drawing)
            // writes no empty table; its caption and footnotes stay.
            const bool holdsText = element.table && std::any_of(element.table->cells.begin(), element.table->cells.end(),
                                                                  [](const TableCellItem& cell) { return !isBlank(cell.text); });
            if (holdsText) blocks.emplace_back(Markdown::HTMLBlock{MarkdownWriter::tableHTML(element.table->withoutOverlaps())});
            appendFootnotes(blocks, element);
            break;
        }
        case DocElementKind::picture: {
            appendCaption(blocks, MarkdownWriter::captions(element));
            std::optional<std::string> path;
            if (mode == ImageMode::linked && imagePath) path = imagePath(element);
            if (path) {
                blocks.emplace_back(imageParagraph(*path, pictureAltText(element)));
            } else {
                blocks.emplace_back(Markdown::HTMLBlock{"<!-- image -->"});
            }
            appendFootnotes(blocks, element);
            break;
        }
        case DocElementKind::formula: {
            if (!element.text.empty()) {
                blocks.emplace_back(
                    Markdown::Paragraph{{Markdown::Text{"$$" + MarkdownWriter::textEscaped(element.text) + "$$"}}});
                break;
            }
            std::optional<std::string> path;
            if (mode == ImageMode::linked && imagePath) path = imagePath(element);
            if (path) {
                blocks.emplace_back(imageParagraph(*path, "Formula"));
            } else if (!element.orig.empty()) {
                blocks.emplace_back(Markdown::HTMLBlock{"<!-- formula-not-decoded -->"});
            }
            break;
        }
        case DocElementKind::code:
            blocks.emplace_back(Markdown::CodeBlock{element.text + "\n"});
            appendCaption(blocks, MarkdownWriter::captions(element));
            appendFootnotes(blocks, element);
            break;
        case DocElementKind::checkbox: {
            Markdown::ListItem item{element.label == DocLabel::checkboxSelected, paragraphs(element.text)};
            blocks.emplace_back(Markdown::List{false, 0, {std::move(item)}});
            break;
        }
    }
    return blocks;
}

std::optional<std::int64_t> numberDotMarker(const std::string& marker) {
    static const Regex numberDot(u"\\A(\\d+)\\.\\z");
    if (!numberDot.find(toUnicode(marker))) return std::nullopt;
    // The pattern's digits may be any decimal digits; only ASCII ones parse as a number.
    std::int64_t n = 0;
    const char* end = marker.data() + marker.size() - 1;
    const auto [ptr, error] = std::from_chars(marker.data(), end, n);
    if (error != std::errc() || ptr != end) return std::nullopt;
    return n;
}

std::vector<Markdown::Block> listBlocks(const std::vector<const DocElement*>& items) {
    struct Run {
        bool ordered = false;
        std::int64_t start = 0;
        std::vector<Markdown::ListItem> items;
    };
    std::vector<Run> runs;
    const bool orderedList = items.front()->enumerated;
    for (std::size_t k = 0; k < items.size(); ++k) {
        const DocElement& item = *items[k];
        const std::string& m = item.marker;
        bool ordered = false;
        std::int64_t number = 0;
        std::string text = item.text;
        if (const auto n = numberDotMarker(m)) {
            ordered = true;
            number = *n;
        } else if (m == "-" || m == "*" || m == "+") {
        } else if (item.listID && orderedList && m.empty()) {
            ordered = true;
            number = static_cast<std::int64_t>(k) + 1;
        } else if (!m.empty() && containsWordScalar(m)) {
            text = m + " " + text;
        }
        Markdown::ListItem listItem{std::nullopt, paragraphs(text)};
        if (!runs.empty() && runs.back().ordered == ordered) {
            Run& last = runs.back();
            std::int64_t next = 0;
            const bool continues =
                !ordered || (!__builtin_add_overflow(last.start, static_cast<std::int64_t>(last.items.size()), &next) &&
                             number == next);
            if (continues) {
                last.items.push_back(std::move(listItem));
                continue;
            }
        }
        runs.push_back({ordered, ordered ? number : 0, {}});
        runs.back().items.push_back(std::move(listItem));
    }
    std::vector<Markdown::Block> blocks;
    for (Run& run : runs) {
        blocks.emplace_back(Markdown::List{run.ordered, std::max<std::int64_t>(run.start, 0), std::move(run.items)});
    }
    return blocks;
}

std::vector<BlockEntry> blocks(const AssembledPage& page, ImageMode mode, const ImagePath& imagePath) {
    std::vector<BlockEntry> entries;
    std::vector<const DocElement*> pending;
    int runs = 0;
    auto flush = [&] {
        if (pending.empty()) return;
        ++runs;
        for (Markdown::Block& block : listBlocks(pending)) entries.push_back({std::move(block), runs});
        pending.clear();
    };
    for (const DocElement& element : page.body) {
        if (element.kind == DocElementKind::listItem) {
            if (!pending.empty()) {
                const DocElement& last = *pending.back();
                if (!last.listID || !element.listID || *last.listID != *element.listID) flush();
            }
            pending.push_back(&element);
            continue;
        }
        flush();
        for (Markdown::Block& block : elementBlocks(element, mode, imagePath)) {
            entries.push_back({std::move(block), std::nullopt});
        }
    }
    flush();
    return entries;
}

}  // namespace

std::string markdown(const AssembledPage& page, ImageMode imageMode, const ImagePath& imagePath) {
    std::string out;
    std::optional<std::optional<int>> previousGroup;
    for (const BlockEntry& entry : blocks(page, imageMode, imagePath)) {
        const std::string text = Markdown::format(entry.block);
        if (text.empty()) continue;
        if (previousGroup) {
            const bool sameGroup = entry.group && *previousGroup && **previousGroup == *entry.group;
            out += sameGroup ? "\n" : "\n\n";
        }
        out += text;
        previousGroup = entry.group;
    }
    return out;
}

std::map<int, std::string> listLabels(const std::vector<DocElement>& elements) {
    std::map<int, std::string> labels;
    int position = 0;
    bool numbered = false;
    for (std::size_t i = 0; i < elements.size(); ++i) {
        const DocElement& e = elements[i];
        if (e.kind != DocElementKind::listItem) continue;
        const DocElement* before = i > 0 ? &elements[i - 1] : nullptr;
        const bool continues = before && before->kind == DocElementKind::listItem && before->listID && e.listID &&
                               *before->listID == *e.listID;
        if (!continues) {
            position = 0;
            numbered = e.enumerated;
        }
        ++position;
        if (containsWordScalar(e.marker)) {
            labels[static_cast<int>(i)] = e.marker;
        } else if (e.marker.empty() && numbered && e.listID) {
            labels[static_cast<int>(i)] = std::to_string(position) + ".";
        } else {
            labels[static_cast<int>(i)] = "•";
        }
    }
    return labels;
}

}  // namespace ce::MarkdownExporter
