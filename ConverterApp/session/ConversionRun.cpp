// Conversion runs: which documents a run takes, converting them at most two at a time in
// list order with live progress and one shared cancellation, storing or settling each
// outcome, and the read-outs of a run for the views.
#include "session/ConversionSession.h"

#include <algorithm>

#include "core/ConversionError.h"
#include "core/Log.h"
#include "platform/ProcessMemory.h"
#include "session/Paths.h"

namespace session {

namespace {
using Kind = DocumentItem::State::Kind;
using State = DocumentItem::State;

bool hasFailedPage(const ce::ConversionResult& result) {
    return std::any_of(result.pages.begin(), result.pages.end(), [](const auto& page) { return page.failure.has_value(); });
}

bool usedRecognition(const ce::ConversionResult& result) {
    return std::any_of(result.pages.begin(), result.pages.end(), [](const auto& page) { return page.usedOCR; });
}

constexpr int concurrentDocuments = 2;  // documents converting at the same time
}  // namespace

bool ConversionSession::needsConversion(const DocumentItem& item, Language language) const {
    const auto& state = item.state();
    if (state.is(Kind::converting) || state.is(Kind::queued)) return false;
    if (state.is(Kind::converted) && item.result()) {
        const ce::ConversionResult& result = *item.result();
        if (!item.failedPagesRetried() && hasFailedPage(result)) return true;
        // Another scan language matters only where text was recognised.
        if (item.convertedLanguage() != language) return usedRecognition(result);
        return false;
    }
    return item.pageCount().has_value();
}

bool ConversionSession::canConvert(Language language) const {
    if (isConverting_) return false;
    return std::any_of(items_.begin(), items_.end(), [&](const auto& item) { return needsConversion(*item, language); });
}

bool ConversionSession::startConversion(Language language) {
    if (isConverting_ || closed_) return false;
    std::vector<DocumentItemPtr> list;
    std::copy_if(items_.begin(), items_.end(), std::back_inserter(list),
                 [&](const auto& item) { return needsConversion(*item, language); });
    if (list.empty()) return false;
    for (const auto& item : list) {
        item->setRunPages(item->pageCount());
        item->setState(State::queued());
    }
    run_.emplace();
    run_->language = language;
    setRunItems(std::move(list));
    setConverting(true);
    fillSlots();
    return true;
}

void ConversionSession::cancelRun() {
    if (run_) run_->stop.request_stop();
}

void ConversionSession::setRunItems(std::vector<DocumentItemPtr> value) {
    runItems_ = std::move(value);
    emit runItemsChanged();
}

void ConversionSession::setConverting(bool value) {
    if (isConverting_ == value) return;
    isConverting_ = value;
    emit isConvertingChanged();
}

// Starts items at the cursor until two convert or none is left; an item without pages
// fails at its turn without taking a slot. Ends the run when nothing runs any more.
void ConversionSession::fillSlots() {
    while (run_->running < concurrentDocuments && run_->cursor < runItems_.size() && !run_->stop.stop_requested()) {
        const DocumentItemPtr item = runItems_[run_->cursor++];
        if (!item->pageCount() || *item->pageCount() < 1) {
            const auto path = Paths::toPath(item->url());
            settleItem(*item, State::failed(errorMessage(std::make_exception_ptr(
                                  ce::ConversionError(ce::ConversionError::Kind::noPages, path)))));
            continue;
        }
        convertItem(item);
    }
    if (run_->running == 0) finishRun();
}

void ConversionSession::convertItem(const DocumentItemPtr& item) {
    const int pages = *item->pageCount();
    item->setRunPages(pages);
    item->setState(State::converting(0, pages));
    const quint64 conversion = ++lastConversion_;
    conversions_[item.get()] = conversion;
    ++run_->running;

    std::weak_ptr<DocumentItem> target = item;
    executor_->start(
        Work::conversion,
        [this, converter = converter_, path = Paths::toPath(item->url()), options = ce::ConversionOptions(run_->language),
         stop = run_->stop.get_token(), target, conversion](const Executor::Post& post) -> Executor::MainJob {
            const DocumentConverting::Progress progress = [this, post, target, conversion](ce::ConversionProgress report) {
                post([this, target, conversion, report] {
                    const auto item = target.lock();
                    const auto current = item ? conversions_.find(item.get()) : conversions_.end();
                    if (current == conversions_.end() || current->second != conversion) return;
                    if (!item->state().is(Kind::converting)) return;
                    item->setState(State::converting(report.completedPages, report.totalPages));
                });
            };
            std::shared_ptr<const ce::ConversionResult> result;
            std::exception_ptr error;
            try {
                result = std::make_shared<const ce::ConversionResult>(converter->convert(path, options, progress, stop));
            } catch (...) {
                error = std::current_exception();
            }
            return [this, target, conversion, result, error] {
                if (const auto item = target.lock()) conversionEnded(item, conversion, result, error);
            };
        });
}

void ConversionSession::conversionEnded(const DocumentItemPtr& item, quint64 conversion,
                                        const std::shared_ptr<const ce::ConversionResult>& result,
                                        const std::exception_ptr& error) {
    const auto current = conversions_.find(item.get());
    if (!run_ || current == conversions_.end() || current->second != conversion) return;
    conversions_.erase(current);
    if (result) {
        applyResult(*item, result);
    } else {
        bool cancelled = false;
        try {
            std::rethrow_exception(error);
        } catch (const ce::CancellationError&) {
            cancelled = true;
        } catch (...) {
        }
        settleItem(*item, cancelled ? State::cancelled() : State::failed(errorMessage(error)));
    }
    --run_->running;
    fillSlots();
}

void ConversionSession::applyResult(DocumentItem& item, std::shared_ptr<const ce::ConversionResult> result) {
    namespace Log = ce::Log;
    int good = 0;
    for (const auto& page : result->pages) {
        if (page.failure) {
            Log::error(Log::Category::session, {"page ", page.index + 1, " failed: ", Log::privateValue(*page.failure)});
        } else {
            ++good;
        }
    }
    const int pages = static_cast<int>(result->pages.size());
    if (pages > 0 && good == 0) {
        settleItem(item, State::failed(tr("None of its pages could be converted.")));
        return;
    }
    const bool earlierFailed = item.result() && hasFailedPage(*item.result());
    item.setFailedPagesRetried(earlierFailed && good < pages);
    const double seconds = result->seconds;
    item.setResult(std::move(result));
    item.setConvertedLanguage(run_->language);
    item.setExported(false);
    item.setState(State::converted());
    Log::info(Log::Category::session,
              {"converted ", pages, " pages in ", QString::number(seconds, 'f', 1).toStdString(), " s"});
}

void ConversionSession::settleItem(DocumentItem& item, const DocumentItem::State& state) {
    if (!item.result()) {
        item.setState(state);
        return;
    }
    item.setState(State::converted());
    if (state.is(Kind::failed)) {
        raiseNotice(Notice::Kind::error, tr("%1 couldn’t be converted again").arg(item.url().fileName()),
                    state.message + QLatin1Char('\n') + tr("The earlier result is kept."));
    }
}

void ConversionSession::finishRun() {
    for (const auto& item : runItems_) {
        if (item->state().is(Kind::queued)) item->setState(item->result() ? State::converted() : State::cancelled());
    }
    run_.reset();
    setConverting(false);
    setRunItems({});
    // The run's page images and tensors are freed; give the memory back while idle
    // (after each document it would cost more than the conversion's own system time).
    ce::ProcessMemory::releaseFreed();
}

ConversionSession::RunProgress ConversionSession::runProgress() const {
    RunProgress progress;
    for (const auto& item : runItems_) {
        const int pages = item->runPages().value_or(0);
        const auto& state = item->state();
        if (state.is(Kind::converting)) {
            progress.completed += state.completed;
            progress.total += state.total;
        } else if (state.is(Kind::queued)) {
            progress.total += pages;
        } else {
            progress.completed += pages;
            progress.total += pages;
        }
    }
    return progress;
}

std::vector<DocumentItemPtr> ConversionSession::convertedItems() const {
    std::vector<DocumentItemPtr> converted;
    std::copy_if(items_.begin(), items_.end(), std::back_inserter(converted),
                 [](const auto& item) { return item->state().is(Kind::converted) && item->result(); });
    return converted;
}

}  // namespace session
