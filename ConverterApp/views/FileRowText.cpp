#include "FileRowText.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <algorithm>

#include "output/ResultExport.h"

namespace {
QString tr(const char* text) { return QCoreApplication::translate("FileRow", text); }
}  // namespace

namespace FileRowText {

FileIcon fileIcon(const QUrl& url) {
    return QFileInfo(url.path()).suffix().toLower() == QLatin1String("pdf") ? FileIcon::document : FileIcon::photo;
}

QString fileName(const QUrl& url) { return url.fileName(); }

QString tooltip(const session::DocumentItem& item) {
    const QString name = fileName(item.url());
    return item.folder().isEmpty() ? name : item.folder() + QLatin1Char('/') + name;
}

PageProgress pageProgress(int completed, int total) {
    const int shown = std::min(completed + 1, total);
    return {completed, std::max(total, 1), tr("Page %1 of %2").arg(shown).arg(total)};
}

QString statusText(const session::DocumentItem& item) {
    using Kind = session::DocumentItem::State::Kind;
    const auto& state = item.state();
    switch (state.kind) {
    case Kind::failed: return state.message;
    case Kind::ready: return item.pageCount() ? tr("%1 pages").arg(*item.pageCount()) : tr("Reading…");
    case Kind::queued: return tr("Waiting…");
    case Kind::cancelled: return tr("Stopped");
    case Kind::converting:
    case Kind::converted: return {};
    }
    return {};
}

StatusMark statusMark(const session::DocumentItem::State& state) {
    using Kind = session::DocumentItem::State::Kind;
    if (state.is(Kind::failed)) return StatusMark::failed;
    if (state.is(Kind::converted)) return StatusMark::converted;
    return StatusMark::none;
}

ConvertedSummary convertedSummary(const ce::ConversionResult& result) {
    const auto pages = static_cast<int>(result.pages.size());
    const auto failed = static_cast<int>(
        std::count_if(result.pages.begin(), result.pages.end(), [](const auto& page) { return page.failure.has_value(); }));
    if (failed > 0) return {tr("%1 pages, %2 failed").arg(pages).arg(failed), true};
    const auto tables = static_cast<int>(ce::ResultExport::tables(result).size());
    if (tables > 0) return {tr("%1 pages, %2 tables").arg(pages).arg(tables), false};
    return {tr("%1 pages").arg(pages), false};
}

}  // namespace FileRowText

namespace StatusFooterText {

QString runProgress(int completed, int total) {
    return QCoreApplication::translate("StatusFooter", "%1 of %2 pages").arg(completed).arg(total);
}

QString counts(int files, int converted) {
    return QCoreApplication::translate("StatusFooter", "%1 files, %2 converted").arg(files).arg(converted);
}

}  // namespace StatusFooterText
