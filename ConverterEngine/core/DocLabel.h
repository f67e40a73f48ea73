// The 17 region labels of the layout model. The enumeration order is the model's
// class index: class k of the layout model is DocLabels::modelOrder()[k].
#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace ce {

enum class DocLabel {
    caption,
    footnote,
    formula,
    listItem,
    pageFooter,
    pageHeader,
    picture,
    sectionHeader,
    table,
    text,
    title,
    documentIndex,
    code,
    checkboxSelected,
    checkboxUnselected,
    form,
    keyValueRegion,
};

namespace DocLabels {
inline constexpr std::size_t count = 17;
const std::array<DocLabel, count>& allCases();
const std::array<DocLabel, count>& modelOrder();
std::string_view rawValue(DocLabel label);
std::optional<DocLabel> fromRawValue(std::string_view raw);
}  // namespace DocLabels

}  // namespace ce
