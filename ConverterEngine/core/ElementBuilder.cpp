#include "core/ElementBuilder.h"

#include "core/LabelKinds.h"

namespace ce::PageAssembler {

DocElement makeDocElement(const std::vector<Element>& elements, int index, DocElementKind kind,
                          std::optional<std::string> text) {
    const Element& e = elements[index];
    return DocElement(kind, text ? std::move(*text) : e.text, 0, e.cluster.bbox, std::nullopt, e.cluster.id, e.label);
}

void attachCaptionsAndFootnotes(DocElement& element, int index, const ReadingOrder::CidMap& captions,
                                const ReadingOrder::CidMap& footnotes, const std::vector<Element>& elements) {
    if (auto found = captions.find(index); found != captions.end()) {
        for (int c : found->second) element.captions.push_back(makeDocElement(elements, c, DocElementKind::caption));
    }
    if (auto found = footnotes.find(index); found != footnotes.end()) {
        for (int f : found->second) {
            element.footnotes.push_back(makeDocElement(elements, f, kindForLabel(elements[f].label)));
        }
    }
}

}  // namespace ce::PageAssembler
