// Adding files: gathering off the main thread, merging into the list without duplicates,
// the notice about what was skipped, the one model warm-up, and the page counts.
#include "session/ConversionSession.h"

#include <map>
#include <string>

#include "core/ConversionError.h"
#include "session/FileGathering.h"
#include "session/Paths.h"

namespace session {

void ConversionSession::addFiles(const QList<QUrl>& urls, bool isSample) {
    if (closed_) return;
    std::vector<std::filesystem::path> paths;
    for (const QUrl& url : urls) paths.push_back(Paths::toPath(url));
    executor_->start(Work::gathering, [this, paths, isSample](const Executor::Post&) -> Executor::MainJob {
        auto gathered = std::make_shared<const FileGathering::Gathered>(FileGathering::gather(paths));
        return [this, gathered, isSample] { mergeGatheredFiles(*gathered, isSample); };
    });
}

void ConversionSession::mergeGatheredFiles(const FileGathering::Gathered& gathered, bool isSample) {
    std::map<std::string, DocumentItemPtr> listed;
    for (const auto& item : items_) listed[FileGathering::standardizedPath(Paths::toPath(item->url()))] = item;

    std::vector<DocumentItemPtr> list = items_;
    QSet<QUuid> selection = selection_;
    std::vector<DocumentItemPtr> added;
    for (const auto& file : gathered.files) {
        const std::string key = FileGathering::standardizedPath(file.path);
        if (const auto found = listed.find(key); found != listed.end()) {
            const DocumentItemPtr existing = found->second;
            if (!existing->state().is(DocumentItem::State::Kind::failed) || existing->result()) continue;
            std::erase_if(list, [&](const auto& item) { return item->id() == existing->id(); });
            selection.remove(existing->id());
        }
        auto item = std::make_shared<DocumentItem>(Paths::toUrl(file.path), file.folder, isSample);
        listed[key] = item;
        added.push_back(item);
    }

    if (!added.empty()) {
        list.insert(list.end(), added.begin(), added.end());
        setItems(std::move(list));
    }
    if (!added.empty() && (selection.isEmpty() || isSample)) selection = {added.front()->id()};
    setSelection(selection);

    QStringList lines;
    if (gathered.unsupported > 0) lines.append(tr("%n files aren’t PDFs or images.", nullptr, gathered.unsupported));
    if (gathered.missing > 0) lines.append(tr("%n files can’t be found.", nullptr, gathered.missing));
    if (!gathered.emptyFolders.isEmpty()) lines.append(tr("No PDFs or images in: ") + listNames(gathered.emptyFolders));
    if (!lines.isEmpty()) raiseNotice(Notice::Kind::info, tr("Some files were skipped"), lines.join(QLatin1Char('\n')));

    if (!added.empty() && !modelsRequested_) {
        modelsRequested_ = true;
        warmUpModels();
    }
    loadPageCounts(added);
}

void ConversionSession::warmUpModels() {
    executor_->start(Work::warmUp, [converter = converter_](const Executor::Post&) -> Executor::MainJob {
        try {
            converter->prepareModels();
        } catch (...) {
            // The first conversion loads the models itself and reports what fails then.
        }
        return {};
    });
}

void ConversionSession::loadPageCounts(const std::vector<DocumentItemPtr>& added) {
    for (const auto& item : added) {
        // The job holds the item weakly: a count that ends after the item was removed
        // lands in the removed object if anything still holds it, and nowhere else.
        std::weak_ptr<DocumentItem> target = item;
        const auto path = Paths::toPath(item->url());
        executor_->start(Work::counting, [converter = converter_, path, target](const Executor::Post&) -> Executor::MainJob {
            int count = 0;
            std::exception_ptr error;
            try {
                count = converter->pageCount(path);
                if (count < 1) throw ce::ConversionError(ce::ConversionError::Kind::noPages, path);
            } catch (...) {
                error = std::current_exception();
            }
            return [target, count, error] {
                const auto item = target.lock();
                if (!item) return;
                if (error) {
                    item->setState(DocumentItem::State::failed(errorMessage(error)));
                } else {
                    item->setPageCount(count);
                }
            };
        });
    }
}

}  // namespace session
