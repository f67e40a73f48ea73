#include "core/LabelKinds.h"

namespace ce::PageAssembler {

DocElementKind kindForLabel(DocLabel label) {
    switch (label) {
        case DocLabel::caption: return DocElementKind::caption;
        case DocLabel::footnote: return DocElementKind::footnote;
        case DocLabel::formula: return DocElementKind::formula;
        case DocLabel::listItem: return DocElementKind::listItem;
        case DocLabel::pageFooter: return DocElementKind::text;
        case DocLabel::pageHeader: return DocElementKind::text;
        case DocLabel::picture: return DocElementKind::picture;
        case DocLabel::sectionHeader: return DocElementKind::sectionHeader;
        case DocLabel::table: return DocElementKind::table;
        case DocLabel::text: return DocElementKind::text;
        case DocLabel::title: return DocElementKind::title;
        case DocLabel::documentIndex: return DocElementKind::documentIndex;
        case DocLabel::code: return DocElementKind::code;
        case DocLabel::checkboxSelected: return DocElementKind::checkbox;
        case DocLabel::checkboxUnselected: return DocElementKind::checkbox;
        case DocLabel::form: return DocElementKind::form;
        case DocLabel::keyValueRegion: return DocElementKind::keyValue;
    }
    return DocElementKind::text;
}

}  // namespace ce::PageAssembler
