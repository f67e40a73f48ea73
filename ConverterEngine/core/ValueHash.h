// Hash values of the engine's hashable value types, consistent with their equality:
// a box feeds l, t, r, b; a text cell its index, text (in canonical decomposition, as
// equality compares texts), box, confidence and fromOCR; a label its raw value; a region
// its id, label, box and confidence. std::hash is specialised with the same values.
#pragma once

#include <cstddef>
#include <functional>

#include "core/BBox.h"
#include "core/DocLabel.h"
#include "core/LayoutRegion.h"
#include "core/TextCell.h"

namespace ce {

std::size_t hashValue(DocLabel label);
std::size_t hashValue(const TextCell& cell);
std::size_t hashValue(const LayoutRegion& region);

}  // namespace ce

template <>
struct std::hash<ce::BBox> {
    std::size_t operator()(const ce::BBox& box) const { return ce::hashValue(box); }
};
template <>
struct std::hash<ce::DocLabel> {
    std::size_t operator()(ce::DocLabel label) const { return ce::hashValue(label); }
};
template <>
struct std::hash<ce::TextCell> {
    std::size_t operator()(const ce::TextCell& cell) const { return ce::hashValue(cell); }
};
template <>
struct std::hash<ce::LayoutRegion> {
    std::size_t operator()(const ce::LayoutRegion& region) const { return ce::hashValue(region); }
};
