// The window's side of exporting: the folder panel, the question before files of the same
// names are replaced, the export itself and, afterwards, showing the written files in the
// file manager when the user asked for that. The question keeps the folder it was asked
// about, so its "Replace" always exports there. The outcome comes from the export that
// ran, never from whatever notice the session holds by then. Main thread only; its state
// is the folder waiting for an answer.
#pragma once

#include <QObject>
#include <QUrl>

#include <optional>

#include "WindowDialogs.h"
#include "session/ConversionSession.h"
#include "session/Settings.h"

namespace windows {

class ExportFlow : public QObject {
    Q_OBJECT
public:
    // The confirmation waiting for an answer.
    struct PendingExport {
        QUrl folder;
        int replacing = 0;
    };

    ExportFlow(session::ConversionSession& session, session::Settings& settings, const WindowDialogs& dialogs,
               QObject* parent = nullptr);

    // Asks for a folder, then exports there (after the replace question when files would
    // be overwritten). Nothing when the panel is cancelled.
    void start();
    // Exports into `folder` with the format and separator stored now.
    void performExport(const QUrl& folder);

    const std::optional<PendingExport>& pendingExport() const { return pending_; }

    // "Replace N existing files?"
    static QString replaceTitle(int replacing);

signals:
    // An export this flow started has ended with `notice` (also set as the session's).
    void exported(const session::ConversionSession::Notice& notice);

private:
    void finish(const session::ConversionSession::Notice& notice);

    session::ConversionSession& session_;
    session::Settings& settings_;
    const WindowDialogs& dialogs_;
    std::optional<PendingExport> pending_;
};

}  // namespace windows
