#include "core/DocLabel.h"

namespace ce::DocLabels {

namespace {
constexpr std::array<std::string_view, count> rawValues = {
    "caption",         "footnote",           "formula",        "list_item", "page_footer",
    "page_header",     "picture",            "section_header", "table",     "text",
    "title",           "document_index",     "code",           "checkbox_selected",
    "checkbox_unselected", "form",           "key_value_region",
};

constexpr std::array<DocLabel, count> makeCases() {
    std::array<DocLabel, count> cases{};
    for (std::size_t i = 0; i < count; ++i) cases[i] = static_cast<DocLabel>(i);
    return cases;
}
constexpr std::array<DocLabel, count> cases = makeCases();
}  // namespace

const std::array<DocLabel, count>& allCases() { return cases; }
const std::array<DocLabel, count>& modelOrder() { return cases; }

std::string_view rawValue(DocLabel label) { return rawValues[static_cast<std::size_t>(label)]; }

std::optional<DocLabel> fromRawValue(std::string_view raw) {
    for (std::size_t i = 0; i < count; ++i) {
        if (rawValues[i] == raw) return static_cast<DocLabel>(i);
    }
    return std::nullopt;
}

}  // namespace ce::DocLabels
