// The Help menu's web pages: the product's support and privacy pages in the user's language
// (English or Spanish), opened in the web browser. A failure to open is not reported.
#pragma once

#include "shell/ProductInfo.h"

namespace app::HelpPages {

void open(shell::ProductInfo::PageKind kind);

}  // namespace app::HelpPages
