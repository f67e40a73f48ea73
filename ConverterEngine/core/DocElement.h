// One output element of a page, and a page's elements split into body and
// furniture. Plain values: elements own their attached captions and footnotes.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/BBox.h"
#include "core/DocLabel.h"
#include "core/TableStructure.h"

namespace ce {

enum class DocElementKind {
    title,
    sectionHeader,
    text,
    listItem,
    caption,
    footnote,
    table,
    picture,
    formula,
    code,
    form,
    keyValue,
    checkbox,
    documentIndex,
};

namespace DocElementKinds {
std::string_view rawValue(DocElementKind kind);  // the case name
std::optional<DocElementKind> fromRawValue(std::string_view raw);
}  // namespace DocElementKinds

struct DocElement {
    DocElementKind kind = DocElementKind::text;
    std::string text;  // as written to output
    int level = 0;     // heading level; section headers get level + 1 heading marks
    BBox bbox;
    std::optional<TableStructure> table;
    int clusterID = 0;
    DocLabel label = DocLabel::text;
    std::string orig;  // the text as read from the page, before clean-up
    std::vector<DocElement> captions;
    std::vector<DocElement> footnotes;
    std::optional<int> listID;
    std::string marker;
    bool enumerated = false;
    std::vector<int> mergedClusterIDs;
    std::optional<int> containerID;
    std::optional<int> tableCellOf;

    DocElement() = default;
    // `orig` defaults to `text` when absent.
    DocElement(DocElementKind kind, std::string text, int level, BBox bbox,
               std::optional<TableStructure> table, int clusterID, DocLabel label,
               std::optional<std::string> orig = std::nullopt);
};

struct AssembledPage {
    std::vector<DocElement> body;       // output order (reading order)
    std::vector<DocElement> furniture;  // headers, footers, running furniture; never written
};

}  // namespace ce
