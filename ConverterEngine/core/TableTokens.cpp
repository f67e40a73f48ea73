#include "core/TableTokens.h"

#include <algorithm>
#include <string_view>

namespace ce::TableTokenChoice {

namespace {
bool insideTable(const TextCell& cell, const BBox& table) {
    const BBox& box = cell.bbox;
    const double w = box.r - box.l;
    const double h = box.b - box.t;
    if (!(w > 0 && h > 0)) return false;
    const double iw = std::min(box.r, table.r) - std::max(box.l, table.l);
    const double ih = std::min(box.b, table.b) - std::max(box.t, table.t);
    const double inter = (iw > 0 && ih > 0) ? iw * ih : 0.0;
    return inter / (w * h) > 0.8;
}

bool blankAfterTrimmingSpacesAndTabs(std::string_view text) {
    return text.find_first_not_of(" \t") == std::string_view::npos;
}
}  // namespace

std::vector<TextCell> tableTokens(const Cluster& table, const std::vector<TextCell>& words,
                                  const std::vector<TextCell>& segments, bool fromTextLayer,
                                  TableTokens choice) {
    const std::vector<TextCell>* source = nullptr;
    if (fromTextLayer || choice == TableTokens::words) {
        source = &words;
    } else if (choice == TableTokens::segments) {
        source = &segments;
    }
    if (source) {
        std::vector<TextCell> kept;
        for (const TextCell& cell : *source) {
            if (insideTable(cell, table.bbox)) kept.push_back(cell);
        }
        if (!kept.empty()) return kept;
    }
    std::vector<TextCell> own;
    for (const TextCell& cell : table.cells) {
        if (!blankAfterTrimmingSpacesAndTabs(cell.text)) own.push_back(cell);
    }
    return own;
}

}  // namespace ce::TableTokenChoice
