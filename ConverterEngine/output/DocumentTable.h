// One recognised table of a converted document, numbered from 1 over the whole
// document in page order and, within a page, in body order.
#pragma once

#include "core/TableStructure.h"

namespace ce {

struct DocumentTable {
    int number = 0;     // 1-based running number
    int pageIndex = 0;  // the ConvertedPage::index of the page it stands on
    TableStructure structure;  // as recognised; writers clip spans themselves
};

}  // namespace ce
