#include "ExportFlow.h"

#include <QPointer>

namespace windows {

using Notice = session::ConversionSession::Notice;

ExportFlow::ExportFlow(session::ConversionSession& session, session::Settings& settings, const WindowDialogs& dialogs,
                       QObject* parent)
    : QObject(parent), session_(session), settings_(settings), dialogs_(dialogs) {}

QString ExportFlow::replaceTitle(int replacing) { return tr("Replace %1 existing files?").arg(replacing); }

void ExportFlow::start() {
    const std::optional<QUrl> folder = dialogs_.chooseExportFolder();
    if (!folder) return;
    const auto existing = session_.existingExportFiles(settings_.outputFormat(), *folder);
    if (existing.empty()) {
        performExport(*folder);
        return;
    }
    pending_ = PendingExport{*folder, static_cast<int>(existing.size())};
    const QUrl chosen = *folder;
    QPointer<ExportFlow> self(this);
    dialogs_.confirm({replaceTitle(pending_->replacing),
                      tr("Files with the same names are already in that folder. Replacing them overwrites their "
                         "contents."),
                      tr("Replace")},
                     [self, chosen](bool replace) {
                         if (!self) return;
                         self->pending_.reset();
                         if (replace) self->performExport(chosen);
                     });
}

void ExportFlow::performExport(const QUrl& folder) {
    pending_.reset();
    QPointer<ExportFlow> self(this);
    session_.exportDocuments(settings_.outputFormat(), folder, settings_.csvSeparator(), [self](const Notice& notice) {
        if (self) self->finish(notice);
    });
}

void ExportFlow::finish(const Notice& notice) {
    if (!notice.reveal.isEmpty() && notice.kind == Notice::Kind::info && settings_.revealAfterExport()) {
        dialogs_.reveal(notice.reveal);
        if (notice.message.isEmpty()) session_.dismissNotice(notice.id);
    }
    emit exported(notice);
}

}  // namespace windows
