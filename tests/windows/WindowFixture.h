// A session over a scripted engine and a manual executor, settings in a scratch file, and
// dialogs that record what the window asks and answer when the test says so. Files are
// made in a temporary folder; their contents do not matter to the scripted engine.
#pragma once

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <deque>
#include <functional>
#include <memory>

#include "windows/WindowDialogs.h"
#include "session/ConversionSession.h"
#include "session/ManualExecutor.h"
#include "session/Settings.h"

namespace windowtests {

// Every file has three pages; a conversion gives a result of three good pages.
class ScriptedConverter final : public session::DocumentConverting {
public:
    int pageCount(const std::filesystem::path& url) override;
    ce::ConversionResult convert(const std::filesystem::path& url, const ce::ConversionOptions& options,
                                 const Progress& progress, std::stop_token stop) override;
    void prepareModels() override {}
};

// What the window asked of its dialogs, and the answers it gets.
struct DialogLog {
    QList<QUrl> filesToAdd;
    QList<QUrl> foldersToAdd;
    std::optional<QUrl> exportFolder;
    int filePanels = 0;
    int folderPanels = 0;
    int exportPanels = 0;
    std::vector<windows::Confirmation> confirmations;
    std::deque<std::function<void(bool)>> openConfirmations;  // answer with answerConfirmation
    std::vector<session::ConversionSession::Notice> notices;
    std::deque<std::function<void(bool)>> openNotices;
    std::vector<QList<QUrl>> reveals;

    void answerConfirmation(bool accept);
    void answerNotice(bool showFiles);
};

class WindowFixture : public ::testing::Test {
protected:
    WindowFixture();
    ~WindowFixture() override;

    // A file of that name in the scratch folder (made when missing).
    QUrl file(const QString& name);
    // Adds the files and runs the gathering and page counts; returns the new items in order.
    std::vector<session::DocumentItemPtr> add(const QStringList& names);
public:
    static ce::ConversionResult result(const QString& source, int pages, int failed, int tables);

protected:
    // Gives the item a result of `pages` pages, `failed` of them failed, with `tables`
    // 2 x 2 tables on its first page, and marks it converted.
    static void convert(const session::DocumentItemPtr& item, int pages = 3, int failed = 0, int tables = 0);

    // Runs queued calls and deferred deletes.
    static void settle();

    QTemporaryDir dir;
    std::shared_ptr<DialogLog> log = std::make_shared<DialogLog>();
    windows::WindowDialogs dialogs;
    std::unique_ptr<session::Settings> settings;
    session::ManualExecutor* executor = nullptr;
    std::unique_ptr<session::ConversionSession> session;
};

}  // namespace windowtests
