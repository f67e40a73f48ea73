#include "WindowFixture.h"

#include <QCoreApplication>
#include <QFile>

#include "core/ConversionError.h"

namespace windowtests {

int ScriptedConverter::pageCount(const std::filesystem::path&) { return 3; }

ce::ConversionResult ScriptedConverter::convert(const std::filesystem::path& url, const ce::ConversionOptions&,
                                                const Progress& progress, std::stop_token stop) {
    if (stop.stop_requested()) throw ce::CancellationError();
    if (progress) progress({0, 3});
    return WindowFixture::result(QString::fromStdString(url.string()), 3, 0, 0);
}

void DialogLog::answerConfirmation(bool accept) {
    ASSERT_FALSE(openConfirmations.empty());
    auto answer = std::move(openConfirmations.front());
    openConfirmations.pop_front();
    answer(accept);
}

void DialogLog::answerNotice(bool showFiles) {
    ASSERT_FALSE(openNotices.empty());
    auto answer = std::move(openNotices.front());
    openNotices.pop_front();
    answer(showFiles);
}

WindowFixture::WindowFixture() {
    settings = std::make_unique<session::Settings>(dir.filePath(QStringLiteral("settings.ini")));
    auto manual = std::make_unique<session::ManualExecutor>();
    executor = manual.get();
    session = std::make_unique<session::ConversionSession>(std::make_shared<ScriptedConverter>(), std::move(manual));
    std::weak_ptr<DialogLog> weak = log;
    dialogs.chooseFilesToAdd = [weak] {
        auto log = weak.lock();
        ++log->filePanels;
        return log->filesToAdd;
    };
    dialogs.chooseFolderToAdd = [weak] {
        auto log = weak.lock();
        ++log->folderPanels;
        return log->foldersToAdd;
    };
    dialogs.chooseExportFolder = [weak] {
        auto log = weak.lock();
        ++log->exportPanels;
        return log->exportFolder;
    };
    dialogs.confirm = [weak](const windows::Confirmation& question, std::function<void(bool)> answer) {
        auto log = weak.lock();
        log->confirmations.push_back(question);
        log->openConfirmations.push_back(std::move(answer));
    };
    dialogs.showNotice = [weak](const session::ConversionSession::Notice& notice, std::function<void(bool)> answer) {
        auto log = weak.lock();
        log->notices.push_back(notice);
        log->openNotices.push_back(std::move(answer));
    };
    dialogs.reveal = [weak](const QList<QUrl>& files) { weak.lock()->reveals.push_back(files); };
}

WindowFixture::~WindowFixture() {
    session->shutDown(std::chrono::milliseconds(0));
    settle();
}

QUrl WindowFixture::file(const QString& name) {
    const QString path = dir.filePath(name);
    if (!QFile::exists(path)) {
        QFile created(path);
        created.open(QIODevice::WriteOnly);
        created.write("%PDF-1.4\n");
    }
    return QUrl::fromLocalFile(path);
}

std::vector<session::DocumentItemPtr> WindowFixture::add(const QStringList& names) {
    const auto before = session->items().size();
    QList<QUrl> urls;
    for (const QString& name : names) urls << file(name);
    session->addFiles(urls);
    executor->runAll();
    settle();
    return {session->items().begin() + static_cast<std::ptrdiff_t>(before), session->items().end()};
}

ce::ConversionResult WindowFixture::result(const QString& source, int pages, int failed, int tables) {
    ce::ConversionResult result;
    result.source = source.toStdString();
    result.sourcePageCount = pages;
    for (int index = 0; index < pages; ++index) {
        ce::ConvertedPage page;
        page.index = index;
        page.width = 612;
        page.height = 792;
        if (index < failed) page.failure = "the page could not be read";
        result.pages.push_back(page);
    }
    for (int n = 0; n < tables && pages > 0; ++n) {
        ce::TableStructure grid;
        grid.numRows = 2;
        grid.numCols = 2;
        for (int row = 0; row < 2; ++row) {
            for (int col = 0; col < 2; ++col) {
                ce::TableCellItem cell;
                cell.startRow = row;
                cell.endRow = row + 1;
                cell.startCol = col;
                cell.endCol = col + 1;
                cell.text = "c";
                grid.cells.push_back(cell);
            }
        }
        ce::DocElement element;
        element.kind = ce::DocElementKind::table;
        element.label = ce::DocLabel::table;
        element.clusterID = n + 1;
        element.table = grid;
        result.pages.back().content.body.push_back(element);
    }
    return result;
}

void WindowFixture::convert(const session::DocumentItemPtr& item, int pages, int failed, int tables) {
    item->setResult(std::make_shared<const ce::ConversionResult>(result(item->url().toLocalFile(), pages, failed, tables)));
    item->setState(session::DocumentItem::State::converted());
}

void WindowFixture::settle() {
    for (int round = 0; round < 3; ++round) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
}

}  // namespace windowtests
