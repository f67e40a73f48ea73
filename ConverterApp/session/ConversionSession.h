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
    // Queues the items that need conversion for `language` and starts converting them,
    // at most two at a time, in list order; false when a run is active or nothing needs
    // converting.
    bool startConversion(Language language);
    // Stops the run: running conversions are cancelled (an item keeps an earlier result)
    // and queued items are settled when they have ended.
    void cancelRun();
    RunProgress runProgress() const;
    // The converted items that hold a result, in list order.
    std::vector<DocumentItemPtr> convertedItems() const;

    // --- Export ---
    // The files and folders in `folder` that an export in `format` would replace.
    QList<QUrl> existingExportFiles(ce::OutputFormat format, const QUrl& folder) const;
    // The base name an export gives the item; none for an item that is not converted.
    std::optional<QString> exportBaseName(const DocumentItem& item) const;
    // Something is converted, and neither a run nor an export is active.
    bool canExport() const;
    // Writes every converted document into `folder` (below it, the sub-folders they were
    // added under) in `format`, one document after another on the export writer, then
    // marks the documents written as exported (unless a newer result replaced the one
    // written meanwhile) and sets the summary notice. `done`, when given, receives that
    // notice: the outcome of this export, whatever notice has replaced it since. Returns
    // false, doing nothing, while another export is being written or when `folder` is not
    // a local folder.
    bool exportDocuments(ce::OutputFormat format, const QUrl& folder, CSVSeparator separator,
                         std::function<void(const Notice&)> done = {});

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

    void setRunItems(std::vector<DocumentItemPtr> value);
    void setConverting(bool value);
    void setExporting(bool value);
    void fillSlots();
    void convertItem(const DocumentItemPtr& item);
    void conversionEnded(const DocumentItemPtr& item, quint64 conversion,
                         const std::shared_ptr<const ce::ConversionResult>& result, const std::exception_ptr& error);
    void applyResult(DocumentItem& item, std::shared_ptr<const ce::ConversionResult> result);
    void settleItem(DocumentItem& item, const DocumentItem::State& state);
    void finishRun();

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

    // The current run: its language, its one cancellation, the next item to start and
    // the conversions running; absent between runs.
    struct Run {
        Language language = Language::automatic;
        std::stop_source stop;
        std::size_t cursor = 0;
        int running = 0;
    };
    std::optional<Run> run_;
    // Each conversion gets a number; an item's progress reports carry it, so a late
    // report of an earlier conversion of the item is told apart from the current one.
    quint64 lastConversion_ = 0;
    std::map<const DocumentItem*, quint64> conversions_;  // the running conversion of each item
};

}  // namespace session
