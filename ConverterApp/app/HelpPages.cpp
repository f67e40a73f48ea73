#include "app/HelpPages.h"

#include <QDesktopServices>
#include <QLocale>

namespace app::HelpPages {

void open(shell::ProductInfo::PageKind kind) {
    QDesktopServices::openUrl(shell::ProductInfo::pageURL(kind, QLocale::system().uiLanguages()));
}

}  // namespace app::HelpPages
