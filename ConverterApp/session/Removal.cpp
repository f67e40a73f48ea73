// Removing documents from the list: ask first when an unexported result would be lost;
// items taken into the current run are never removed.
#include "session/ConversionSession.h"

#include "platform/ProcessMemory.h"

namespace session {

namespace {
bool isRemovable(const DocumentItem& item) {
    using Kind = DocumentItem::State::Kind;
    return !item.state().is(Kind::converting) && !item.state().is(Kind::queued);
}

bool isWorthAsking(const DocumentItem& item) {
    return isRemovable(item) && item.result() && !item.exported() && !item.isSample();
}
}  // namespace

void ConversionSession::requestRemoval(const QSet<QUuid>& ids) {
    for (const auto& item : items_) {
        if (ids.contains(item->id()) && isWorthAsking(*item)) {
            setPendingRemoval(ids);
            return;
        }
    }
    removeItems(ids);
}

void ConversionSession::removeItems(const QSet<QUuid>& ids) {
    setPendingRemoval(std::nullopt);
    QSet<QUuid> removed;
    std::vector<DocumentItemPtr> kept;
    for (const auto& item : items_) {
        if (ids.contains(item->id()) && isRemovable(*item)) {
            removed.insert(item->id());
        } else {
            kept.push_back(item);
        }
    }
    if (removed.isEmpty()) return;
    setItems(std::move(kept));
    setSelection(selection_ - removed);
    // The removed results are freed unless a view still shows one; give the memory back.
    ce::ProcessMemory::releaseFreed();
}

}  // namespace session
