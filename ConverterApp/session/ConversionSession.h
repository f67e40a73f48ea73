// The application's controller: the document list and its selection, adding files,
// conversion runs, removal, export, and the one notice through which it speaks to the
// user. One per process, made at start-up with the engine behind DocumentConverting.
//
// Everything here is used on the main thread, which alone reads and writes the session
// and its items; background work (gathering, page counts, conversions, export writing)
// goes through the Executor, gets copies of what it needs and hands its outcome back as a
// main-thread job. Each observable property has a change signal; `selection`,
// `isConverting`, `isExporting`, `exportRequested` and `pendingRemoval` stay silent on an
// equal write, while `items`, `notice` and `runItems` signal on every write. The session
// never throws to its callers: failures end in the notice or in an item's failed state.
#pragma once

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QUuid>

#include <chrono>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stop_token>
#include <vector>

#include "session/CSVSeparator.h"
#include "session/DocumentConverting.h"
#include "session/DocumentItem.h"
#include "session/Executor.h"

namespace session {

namespace FileGathering {
struct Gathered;
}

class ConversionSession : public QObject {
    Q_OBJECT

public:
    using Language = ce::ConversionOptions::Language;

    // A message offered to the user. Every notice gets a fresh id, so a window shows a
    // new one as a new alert even when its texts repeat.
    struct Notice {
        enum class Kind { info, error };

        QUuid id;
        Kind kind = Kind::info;
        QString title;
        QString message;     // lines joined with "\n"
        QList<QUrl> reveal;  // files the user may have shown in the file manager

        static Notice make(Kind kind, QString title, QString message, QList<QUrl> reveal = {});
    };

    struct RunProgress {
        int completed = 0;
        int total = 0;
        bool operator==(const RunProgress&) const = default;
    };

    // The session over `converter`, running its background work on `executor`.
    ConversionSession(std::shared_ptr<DocumentConverting> converter, std::unique_ptr<Executor> executor,
                      QObject* parent = nullptr);
    // Shuts down (see shutDown) with a limit of five seconds when that was not done.
    ~ConversionSession() override;

    // --- State ---
    const std::vector<DocumentItemPtr>& items() const { return items_; }
    const QSet<QUuid>& selection() const { return selection_; }
    void setSelection(const QSet<QUuid>& value);
    bool isConverting() const { return isConverting_; }
    // An export is being written; Export is not offered meanwhile.
    bool isExporting() const { return isExporting_; }
    const std::optional<Notice>& notice() const { return notice_; }
    void setNotice(std::optional<Notice> value);
    // Replaces the notice with a new one.
    void raiseNotice(Notice::Kind kind, QString title, QString message, QList<QUrl> reveal = {});
    // Clears the notice only when it still is the one with `id`, so that a notice raised
    // while an earlier one was shown is not lost when the earlier alert is dismissed.
    void dismissNotice(const QUuid& id);
    // One-shot request of the Export command to the main window.
    bool exportRequested() const { return exportRequested_; }
    void setExportRequested(bool value);
    // Ids whose removal waits for the user's confirmation.
    const std::optional<QSet<QUuid>>& pendingRemoval() const { return pendingRemoval_; }
    void setPendingRemoval(const std::optional<QSet<QUuid>>& value);
    // The items taken into the current run.
    const std::vector<DocumentItemPtr>& runItems() const { return runItems_; }
    // The item with `id`, or null.
    DocumentItemPtr item(const QUuid& id) const;

    // --- Messages ---
    // The user-facing message for a failed count or conversion.
    static QString errorMessage(const std::exception_ptr& error);
    // At most eight names joined by ", ", then ", and N more" for the rest.
    static QString listNames(const QStringList& names);

    // --- Adding files ---
    // Adds files and folders (in the caller's order): folders are walked and the pages of
    // each new document counted in the background; a file already listed is skipped
    // silently unless its item failed without a result, which a fresh item replaces.
    // Returns at once; the list, the selection, the notice about skipped files and the
    // page counts follow as the work ends. `isSample` marks the sample documents, and
    // adding one selects it.
    void addFiles(const QList<QUrl>& urls, bool isSample = false);

    // --- Removing documents ---
    // Asks first (pendingRemoval) when an unexported result would be lost, else removes.
    void requestRemoval(const QSet<QUuid>& ids);
    // Removes the removable items among `ids` (not queued, not converting).
    void removeItems(const QSet<QUuid>& ids);

    // --- Conversion runs ---
    bool needsConversion(const DocumentItem& item, Language language) const;
    bool canConvert(Language language) const;
    RunProgress runProgress() const;
    // The converted items that hold a result, in list order.
    std::vector<DocumentItemPtr> convertedItems() const;

    // Quitting: cancels any run, waits at most `limit` for background work, then lets go
    // of the converter (work still running keeps its own reference, so the engine is
    // never destroyed under it). The session takes no work afterwards. True when all
    // background work ended in time.
    bool shutDown(std::chrono::milliseconds limit);

signals:
    void itemsChanged();
    void selectionChanged();
    void isConvertingChanged();
    void isExportingChanged();
    void noticeChanged();
    void exportRequestedChanged();
    void pendingRemovalChanged();
    void runItemsChanged();

private:
    void setItems(std::vector<DocumentItemPtr> value);

    void mergeGatheredFiles(const FileGathering::Gathered& gathered, bool isSample);
    void loadPageCounts(const std::vector<DocumentItemPtr>& added);
    void warmUpModels();

    std::shared_ptr<DocumentConverting> converter_;
    std::unique_ptr<Executor> executor_;
    bool closed_ = false;

    std::vector<DocumentItemPtr> items_;
    QSet<QUuid> selection_;
    bool isConverting_ = false;
    bool isExporting_ = false;
    std::optional<Notice> notice_;
    bool exportRequested_ = false;
    std::optional<QSet<QUuid>> pendingRemoval_;
    std::vector<DocumentItemPtr> runItems_;
    bool modelsRequested_ = false;  // the warm-up was started; at most once per process
};

}  // namespace session
