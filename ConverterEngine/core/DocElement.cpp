#include "core/DocElement.h"

#include <array>
#include <utility>

namespace ce {

namespace {
constexpr std::array<std::string_view, 14> kindNames = {
    "title", "sectionHeader", "text", "listItem", "caption", "footnote", "table",
    "picture", "formula", "code", "form", "keyValue", "checkbox", "documentIndex",
};
}  // namespace

std::string_view DocElementKinds::rawValue(DocElementKind kind) {
    return kindNames[static_cast<std::size_t>(kind)];
}

std::optional<DocElementKind> DocElementKinds::fromRawValue(std::string_view raw) {
    for (std::size_t i = 0; i < kindNames.size(); ++i) {
        if (kindNames[i] == raw) return static_cast<DocElementKind>(i);
    }
    return std::nullopt;
}

DocElement::DocElement(DocElementKind kind, std::string text, int level, BBox bbox,
                       std::optional<TableStructure> table, int clusterID, DocLabel label,
                       std::optional<std::string> orig)
    : kind(kind),
      text(std::move(text)),
      level(level),
      bbox(bbox),
      table(std::move(table)),
      clusterID(clusterID),
      label(label),
      orig(orig ? std::move(*orig) : this->text) {}

}  // namespace ce
