#include "core/ClusterElement.h"

#include "core/LabelKinds.h"
#include "core/ListMarker.h"
#include "core/TextCleanup.h"

namespace ce::PageAssembler {

DocElement makeClusterDocElement(const Cluster& cluster, int tableClusterID) {
    std::string text;
    for (const TextCell& cell : cluster.cells) {
        const std::string cleaned = cleanedCellText(cell.text);
        if (cleaned.empty()) continue;
        if (!text.empty()) text += ' ';
        text += cleaned;
    }

    DocElement element(DocElementKind::text, text, 0, cluster.bbox, std::nullopt, cluster.id, cluster.label);
    switch (cluster.label) {
        case DocLabel::listItem: {
            element.kind = DocElementKind::listItem;
            ListMarkers::Split split = ListMarkers::split(text);
            element.text = std::move(split.text);
            element.marker = std::move(split.marker);
            element.enumerated = split.enumerated;
            break;
        }
        case DocLabel::sectionHeader:
        case DocLabel::title:
            element.kind = DocElementKind::sectionHeader;
            element.label = DocLabel::sectionHeader;
            element.level = 1;
            break;
        case DocLabel::formula:
        case DocLabel::picture:
        case DocLabel::table:
            element.kind = DocElementKind::text;
            break;
        default:
            element.kind = kindForLabel(cluster.label);
    }
    element.tableCellOf = tableClusterID;
    return element;
}

}  // namespace ce::PageAssembler
