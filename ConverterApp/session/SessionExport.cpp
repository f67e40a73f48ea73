// Export: every converted document written into one folder, mirroring the sub-folders it
// was added under, with names made unique by the planner. The chosen folder is taken by
// its URL's bytes, so a folder whose name is not UTF-8 gets the files. Jobs are built on
// the main thread over the items' shared, read-only results; the writer runs them in
// order on the export thread with the writers' atomic files; the bookkeeping and the
// summary notice are done back on the main thread.
#include "session/ConversionSession.h"

#include "output/ResultExport.h"
#include "session/ExportPlanner.h"
#include "session/Paths.h"

namespace session {

namespace {
std::vector<ExportPlanner::Target> planFor(const std::vector<DocumentItemPtr>& documents,
                                           const std::filesystem::path& folder) {
    std::vector<ExportPlanner::Source> sources;
    sources.reserve(documents.size());
    for (const auto& item : documents) sources.push_back({item->url(), item->folder()});
    return ExportPlanner::plan(sources, folder);
}

// One converted document as the writer gets it.
struct ExportJob {
    std::shared_ptr<const ce::ConversionResult> result;
    std::filesystem::path directory;
    std::string baseName;
    QString sourceName;                // the file name used in messages
    std::weak_ptr<DocumentItem> item;  // marked exported afterwards ...
    quint64 generation = 0;            // ... when its result is still the one written
};

struct ExportOutcome {
    QList<QUrl> reveal;
    std::vector<std::size_t> exported;  // positions in the job list
    QStringList withoutTables;
    QStringList errors;
};

QString describeWriteError(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::filesystem::filesystem_error& fileError) {
        QString text = QString::fromStdString(fileError.code().message());
        if (!fileError.path1().empty()) text += QStringLiteral(" (") + Paths::fromPath(fileError.path1()) + QLatin1Char(')');
        return text;
    } catch (const std::exception& other) {
        return QString::fromStdString(other.what());
    } catch (...) {
        return QStringLiteral("unknown error");
    }
}

ExportOutcome writeExports(const std::vector<ExportJob>& jobs, ce::OutputFormat format,
                           const ce::CSVWriter::Options& csvOptions) {
    ExportOutcome outcome;
    for (std::size_t position = 0; position < jobs.size(); ++position) {
        const ExportJob& job = jobs[position];
        std::vector<std::filesystem::path> written;
        try {
            written = ce::ResultExport::write(*job.result, format, job.directory, job.baseName, csvOptions);
        } catch (...) {
            outcome.errors.append(job.sourceName + QStringLiteral(": ") + describeWriteError(std::current_exception()));
            continue;
        }
        if (written.empty() && format == ce::OutputFormat::csv) {
            outcome.withoutTables.append(job.sourceName);
            continue;
        }
        outcome.exported.push_back(position);
        for (const auto& file : written) {
            // Pictures are written beside the Markdown file but neither counted nor shown.
            if (file.extension() != ".png") outcome.reveal.append(Paths::toUrl(file));
        }
    }
    return outcome;
}
}  // namespace

QList<QUrl> ConversionSession::existingExportFiles(ce::OutputFormat format, const QUrl& folder) const {
    if (!folder.isLocalFile()) return {};
    const auto documents = convertedItems();
    const auto targets = planFor(documents, Paths::toPath(folder));
    QList<QUrl> existing;
    for (std::size_t k = 0; k < documents.size(); ++k) {
        const auto names = ce::ResultExport::outputNames(*documents[k]->result(), format, targets[k].baseName.toStdString());
        for (const auto& name : names) {
            const std::filesystem::path path = targets[k].directory / name;
            std::error_code error;
            if (std::filesystem::exists(path, error)) existing.append(Paths::toUrl(path));
        }
    }
    return existing;
}

std::optional<QString> ConversionSession::exportBaseName(const DocumentItem& item) const {
    const auto documents = convertedItems();
    const auto targets = planFor(documents, "/");
    for (std::size_t k = 0; k < documents.size(); ++k) {
        if (documents[k]->id() == item.id()) return targets[k].baseName;
    }
    return std::nullopt;
}

bool ConversionSession::canExport() const { return !isConverting_ && !isExporting_ && !convertedItems().empty(); }

void ConversionSession::setExporting(bool value) {
    if (isExporting_ == value) return;
    isExporting_ = value;
    emit isExportingChanged();
}

bool ConversionSession::exportDocuments(ce::OutputFormat format, const QUrl& folder, CSVSeparator separator,
                                        std::function<void(const Notice&)> done) {
    if (isExporting_ || closed_ || !folder.isLocalFile()) return false;
    const auto documents = convertedItems();
    const auto targets = planFor(documents, Paths::toPath(folder));
    std::vector<ExportJob> jobs;
    for (std::size_t k = 0; k < documents.size(); ++k) {
        const auto& item = documents[k];
        jobs.push_back({item->result(), targets[k].directory, targets[k].baseName.toStdString(),
                        item->url().fileName(), item, item->resultGeneration()});
    }
    const ce::CSVWriter::Options csvOptions{CSVSeparators::delimiter(separator), true, true};
    setExporting(true);

    auto shared = std::make_shared<const std::vector<ExportJob>>(std::move(jobs));
    executor_->start(Work::writing, [this, shared, format, csvOptions, done = std::move(done)](const Executor::Post&) {
        auto outcome = std::make_shared<const ExportOutcome>(writeExports(*shared, format, csvOptions));
        return Executor::MainJob([this, shared, outcome, done] {
            for (const std::size_t position : outcome->exported) {
                const ExportJob& job = (*shared)[position];
                const auto item = job.item.lock();
                if (item && item->resultGeneration() == job.generation) item->setExported(true);
            }
            QStringList lines;
            if (!outcome->withoutTables.isEmpty()) lines.append(tr("No tables found in: ") + listNames(outcome->withoutTables));
            constexpr qsizetype shownErrors = 8;
            lines.append(outcome->errors.mid(0, shownErrors));
            if (outcome->errors.size() > shownErrors) {
                lines.append(tr("and %n more", nullptr, static_cast<int>(outcome->errors.size() - shownErrors)));
            }
            const bool failed = !outcome->errors.isEmpty();
            const QString title = failed && outcome->reveal.isEmpty()
                                      ? tr("Couldn’t export")
                                      : tr("Exported %n files", nullptr, static_cast<int>(outcome->reveal.size()));
            const Notice notice = Notice::make(failed ? Notice::Kind::error : Notice::Kind::info, title,
                                               lines.join(QLatin1Char('\n')), outcome->reveal);
            setNotice(notice);
            setExporting(false);
            if (done) done(notice);
        });
    });
    return true;
}

}  // namespace session
