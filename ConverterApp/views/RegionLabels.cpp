#include "RegionLabels.h"

#include <QCoreApplication>
#include <algorithm>

#include "ViewStyle.h"

namespace RegionLabels {

namespace {
QString tr(const char* text) { return QCoreApplication::translate("RegionLabels", text); }
}  // namespace

QString displayName(ce::DocLabel label) {
    using L = ce::DocLabel;
    switch (label) {
    case L::caption: return tr("Caption");
    case L::footnote: return tr("Footnote");
    case L::formula: return tr("Formula");
    case L::listItem: return tr("List item");
    case L::pageFooter: return tr("Page footer");
    case L::pageHeader: return tr("Page header");
    case L::picture: return tr("Picture");
    case L::sectionHeader: return tr("Heading");
    case L::table: return tr("Table");
    case L::text: return tr("Text");
    case L::title: return tr("Title");
    case L::documentIndex: return tr("Table of contents");
    case L::code: return tr("Code");
    case L::checkboxSelected: return tr("Checkbox (checked)");
    case L::checkboxUnselected: return tr("Checkbox");
    case L::form: return tr("Form");
    case L::keyValueRegion: return tr("Key-value area");
    }
    return {};
}

QColor color(ce::DocLabel label) {
    using L = ce::DocLabel;
    using C = ViewStyle::SystemColor;
    switch (label) {
    case L::caption:
    case L::footnote: return ViewStyle::color(C::pink);
    case L::formula:
    case L::code: return ViewStyle::color(C::indigo);
    case L::listItem: return ViewStyle::color(C::teal);
    case L::pageFooter:
    case L::pageHeader: return ViewStyle::color(C::gray);
    case L::picture: return ViewStyle::color(C::green);
    case L::sectionHeader:
    case L::title: return ViewStyle::color(C::purple);
    case L::table:
    case L::documentIndex: return ViewStyle::color(C::orange);
    case L::text: return ViewStyle::color(C::blue);
    case L::checkboxSelected:
    case L::checkboxUnselected:
    case L::form:
    case L::keyValueRegion: return ViewStyle::color(C::brown);
    }
    return ViewStyle::color(C::gray);
}

bool isFurniture(ce::DocLabel label) { return label == ce::DocLabel::pageFooter || label == ce::DocLabel::pageHeader; }

bool isLeftOut(const ce::LayoutRegion& region, const ce::ConvertedPage& page) {
    if (!isFurniture(region.label)) return false;
    return std::none_of(page.content.body.begin(), page.content.body.end(),
                        [&](const ce::DocElement& e) { return regionIDs(e).count(region.id) > 0; });
}

QString tooltip(const ce::LayoutRegion& region, const ce::ConvertedPage& page) {
    const QString name = displayName(region.label);
    return isLeftOut(region, page) ? name + tr(" (left out of the output)") : name;
}

std::set<int> regionIDs(const ce::DocElement& element) {
    std::set<int> ids{element.clusterID};
    ids.insert(element.mergedClusterIDs.begin(), element.mergedClusterIDs.end());
    for (const ce::DocElement& caption : element.captions) ids.insert(caption.clusterID);
    for (const ce::DocElement& footnote : element.footnotes) ids.insert(footnote.clusterID);
    if (element.tableCellOf) ids.insert(*element.tableCellOf);
    if (element.containerID) ids.insert(*element.containerID);
    return ids;
}

std::vector<ce::DocLabel> presentKinds(const ce::ConvertedPage& page) {
    std::vector<ce::DocLabel> kinds;
    for (ce::DocLabel label : ce::DocLabels::allCases()) {
        const bool present = std::any_of(page.regions.begin(), page.regions.end(),
                                         [label](const ce::LayoutRegion& r) { return r.label == label; });
        if (present) kinds.push_back(label);
    }
    return kinds;
}

std::vector<ce::DocLabel> shownKinds(const ce::ConvertedPage& page, int limit) {
    std::vector<ce::DocLabel> kinds = presentKinds(page);
    kinds.resize(std::min(kinds.size(), static_cast<std::size_t>(std::max(limit, 0))));
    return kinds;
}

QString legendHelp(const ce::ConvertedPage& page) {
    QStringList names;
    for (ce::DocLabel label : presentKinds(page)) names << displayName(label);
    return names.join(QStringLiteral(", "));
}

}  // namespace RegionLabels
