// One file in the session's document list: the file, the folder it was added under, its
// page count, its place in the conversion lifecycle and its last result.
//
// Items are shared (std::shared_ptr) between the list and the work started for them, so
// late work writes into the object it started from, even after the item left the list.
// They live on the main thread: only ConversionSession writes the fields after `isSample`;
// views read them and listen to the change signals. Each setter of a field compared by
// value stays silent when it writes an equal value; setResult always signals.
#pragma once

#include <QObject>
#include <QString>
#include <QUrl>
#include <QUuid>

#include <memory>
#include <optional>

#include "session/EngineTypes.h"

namespace session {

class DocumentItem : public QObject {
    Q_OBJECT

public:
    using Language = ce::ConversionOptions::Language;

    // The item's place in the conversion lifecycle. Two states are equal when they are
    // the same kind with equal payloads (the page counts of `converting`, the message of
    // `failed`); the named constructors leave every other payload at its default.
    struct State {
        enum class Kind { converting, failed, ready, queued, converted, cancelled };

        Kind kind = Kind::ready;
        int completed = 0;  // converting: pages done
        int total = 0;      // converting: pages in all
        QString message;    // failed: the user-facing message

        static State converting(int completed, int total) { return {Kind::converting, completed, total, {}}; }
        static State failed(QString message) { return {Kind::failed, 0, 0, std::move(message)}; }
        static State ready() { return {}; }
        static State queued() { return {Kind::queued}; }
        static State converted() { return {Kind::converted}; }
        static State cancelled() { return {Kind::cancelled}; }

        bool is(Kind other) const { return kind == other; }
        bool operator==(const State& other) const = default;
    };

    // A new item: a fresh id, state ready, nothing counted or converted.
    DocumentItem(QUrl url, QString folder, bool isSample);

    const QUuid& id() const { return id_; }
    // The input file (a local file URL).
    const QUrl& url() const { return url_; }
    // The sub-folder the file was found in, starting with the added folder's own name
    // ("Reports/2023"); "" for a file added by itself.
    const QString& folder() const { return folder_; }
    bool isSample() const { return isSample_; }

    const std::optional<int>& pageCount() const { return pageCount_; }
    const State& state() const { return state_; }
    // The last successful conversion, shared read-only with export work; null when none.
    const std::shared_ptr<const ce::ConversionResult>& result() const { return result_; }
    const std::optional<Language>& convertedLanguage() const { return convertedLanguage_; }
    const std::optional<int>& runPages() const { return runPages_; }
    bool failedPagesRetried() const { return failedPagesRetried_; }
    bool exported() const { return exported_; }
    // Counts the writes of `result`; export work captures it to know whether the result
    // it wrote is still the item's result when it finishes.
    quint64 resultGeneration() const { return resultGeneration_; }

    void setPageCount(std::optional<int> value);
    void setState(const State& value);
    void setResult(std::shared_ptr<const ce::ConversionResult> value);
    void setConvertedLanguage(std::optional<Language> value);
    void setRunPages(std::optional<int> value);
    void setFailedPagesRetried(bool value);
    void setExported(bool value);

signals:
    void pageCountChanged();
    void stateChanged();
    void resultChanged();
    void convertedLanguageChanged();
    void runPagesChanged();
    void failedPagesRetriedChanged();
    void exportedChanged();

private:
    const QUuid id_;
    const QUrl url_;
    const QString folder_;
    const bool isSample_;
    std::optional<int> pageCount_;
    State state_;
    std::shared_ptr<const ce::ConversionResult> result_;
    std::optional<Language> convertedLanguage_;
    std::optional<int> runPages_;
    bool failedPagesRetried_ = false;
    bool exported_ = false;
    quint64 resultGeneration_ = 0;
};

using DocumentItemPtr = std::shared_ptr<DocumentItem>;

}  // namespace session
