#include "session/ConversionSession.h"

namespace session {

ConversionSession::Notice ConversionSession::Notice::make(Kind kind, QString title, QString message,
                                                          QList<QUrl> reveal) {
    return {QUuid::createUuid(), kind, std::move(title), std::move(message), std::move(reveal)};
}

ConversionSession::ConversionSession(std::shared_ptr<DocumentConverting> converter, std::unique_ptr<Executor> executor,
                                     QObject* parent)
    : QObject(parent), converter_(std::move(converter)), executor_(std::move(executor)) {}

ConversionSession::~ConversionSession() { shutDown(std::chrono::seconds(5)); }

bool ConversionSession::shutDown(std::chrono::milliseconds limit) {
    if (closed_) return true;
    closed_ = true;
    cancelRun();
    const bool ended = executor_->shutDown(limit);
    converter_.reset();
    return ended;
}

void ConversionSession::setItems(std::vector<DocumentItemPtr> value) {
    items_ = std::move(value);
    emit itemsChanged();
}

void ConversionSession::setSelection(const QSet<QUuid>& value) {
    if (selection_ == value) return;
    selection_ = value;
    emit selectionChanged();
}

void ConversionSession::setNotice(std::optional<Notice> value) {
    notice_ = std::move(value);
    emit noticeChanged();
}

void ConversionSession::raiseNotice(Notice::Kind kind, QString title, QString message, QList<QUrl> reveal) {
    setNotice(Notice::make(kind, std::move(title), std::move(message), std::move(reveal)));
}

void ConversionSession::dismissNotice(const QUuid& id) {
    if (notice_ && notice_->id == id) setNotice(std::nullopt);
}

void ConversionSession::setExportRequested(bool value) {
    if (exportRequested_ == value) return;
    exportRequested_ = value;
    emit exportRequestedChanged();
}

void ConversionSession::setPendingRemoval(const std::optional<QSet<QUuid>>& value) {
    if (pendingRemoval_ == value) return;
    pendingRemoval_ = value;
    emit pendingRemovalChanged();
}

}  // namespace session
