#include "session/DocumentItem.h"

namespace session {

namespace {
// Stores `value` and signals only when it differs from the stored one.
template <class Value, class Signal>
void assign(DocumentItem* item, Value& field, const Value& value, Signal changed) {
    if (field == value) return;
    field = value;
    emit(item->*changed)();
}
}  // namespace

DocumentItem::DocumentItem(QUrl url, QString folder, bool isSample)
    : id_(QUuid::createUuid()), url_(std::move(url)), folder_(std::move(folder)), isSample_(isSample) {}

void DocumentItem::setPageCount(std::optional<int> value) {
    assign(this, pageCount_, value, &DocumentItem::pageCountChanged);
}

void DocumentItem::setState(const State& value) { assign(this, state_, value, &DocumentItem::stateChanged); }

void DocumentItem::setResult(std::shared_ptr<const ce::ConversionResult> value) {
    result_ = std::move(value);
    ++resultGeneration_;
    emit resultChanged();
}

void DocumentItem::setConvertedLanguage(std::optional<Language> value) {
    assign(this, convertedLanguage_, value, &DocumentItem::convertedLanguageChanged);
}

void DocumentItem::setRunPages(std::optional<int> value) {
    assign(this, runPages_, value, &DocumentItem::runPagesChanged);
}

void DocumentItem::setFailedPagesRetried(bool value) {
    assign(this, failedPagesRetried_, value, &DocumentItem::failedPagesRetriedChanged);
}

void DocumentItem::setExported(bool value) { assign(this, exported_, value, &DocumentItem::exportedChanged); }

}  // namespace session
