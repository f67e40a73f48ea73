// The main window: the detail pane, toolbar enabling, drops over any pane, notices and the
// export flow with its replace question and reveal rules.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTest>
#include <QToolButton>

#include "windows/DropZoneView.h"
#include "windows/ExportFlow.h"
#include "windows/MainView.h"
#include "windows/SidebarView.h"
#include "WindowFixture.h"

namespace windowtests {
namespace {

using Language = session::DocumentItem::Language;
using Notice = session::ConversionSession::Notice;

class MainWindowTest : public WindowFixture {
protected:
    MainWindowTest() {
        // The preview stands in for the real one: a text view, which takes drops of its own.
        window = std::make_unique<windows::MainView>(
            *session, *settings, dialogs,
            [](const session::DocumentItemPtr& item, QWidget* parent) {
                auto* text = new QPlainTextEdit(item->url().fileName(), parent);
                text->setReadOnly(true);
                return text;
            },
            shell::ResourceBundle{});
        window->show();
        settle();
    }
    ~MainWindowTest() override { window.reset(); }

    // Drops the files on `target` as a file manager would.
    void drop(QWidget* target, const QList<QUrl>& files) {
        QMimeData data;
        data.setUrls(files);
        const QPoint at = target->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(target, &enter);
        dragWasTargeted = window->dropTargeted();
        QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(target, &dropped);
    }

    std::unique_ptr<windows::MainView> window;
    bool dragWasTargeted = false;
};

TEST_F(MainWindowTest, DetailShowsTheFirstSelectedItemOrTheDropZone) {
    EXPECT_EQ(window->preview(), nullptr);
    EXPECT_TRUE(window->dropZone()->isVisible());
    const auto items = add({QStringLiteral("a.pdf"), QStringLiteral("b.pdf")});
    ASSERT_NE(window->preview(), nullptr);
    session->setSelection({items[1]->id(), items[0]->id()});
    EXPECT_EQ(window->selectedItem(), items[0]);
    session->setSelection({items[1]->id()});
    EXPECT_EQ(static_cast<QPlainTextEdit*>(window->preview())->toPlainText(), QStringLiteral("b.pdf"));
    session->removeItems({items[1]->id()});
    EXPECT_EQ(window->preview(), nullptr);
    EXPECT_TRUE(window->dropZone()->isVisible());
}

TEST_F(MainWindowTest, ToolbarFollowsTheSessionAndTheStoredChoices) {
    EXPECT_FALSE(window->convertButton()->isEnabled());
    EXPECT_FALSE(window->exportButton()->isEnabled());
    EXPECT_TRUE(window->addButton()->isEnabled());
    EXPECT_EQ(window->languageButton()->text(), QStringLiteral("Automatic"));
    // The format picker stays in its place whatever the buttons beside it say.
    const auto pickerPlace = [&] {
        settle();
        return window->formatButton(ce::OutputFormat::markdown)->mapTo(window.get(), QPoint(0, 0));
    };
    const QPoint picker = pickerPlace();

    const auto items = add({QStringLiteral("a.pdf"), QStringLiteral("b.pdf")});
    EXPECT_TRUE(window->convertButton()->isEnabled());
    EXPECT_EQ(window->convertButton()->text(), QStringLiteral("Convert"));

    window->convertButton()->click();
    ASSERT_TRUE(session->isConverting());
    EXPECT_EQ(window->convertButton()->text(), QStringLiteral("Stop"));
    EXPECT_EQ(pickerPlace(), picker);
    EXPECT_TRUE(window->convertButton()->isEnabled());
    EXPECT_FALSE(window->exportButton()->isEnabled());

    window->convertButton()->click();  // Stop
    executor->runAll();
    settle();
    EXPECT_FALSE(session->isConverting());
    EXPECT_EQ(window->convertButton()->text(), QStringLiteral("Convert"));

    convert(items[0]);
    convert(items[1]);
    EXPECT_TRUE(window->exportButton()->isEnabled());
    EXPECT_FALSE(window->convertButton()->isEnabled());  // text layer only: nothing to do for Spanish either
    settings->setScanLanguage(Language::spanish);
    EXPECT_EQ(window->languageButton()->text(), QStringLiteral("Spanish"));
    EXPECT_EQ(pickerPlace(), picker);

    window->formatButton(ce::OutputFormat::csv)->click();
    EXPECT_EQ(settings->outputFormat(), ce::OutputFormat::csv);
    settings->setOutputFormat(ce::OutputFormat::docx);
    EXPECT_TRUE(window->formatButton(ce::OutputFormat::docx)->isChecked());
    EXPECT_FALSE(window->formatButton(ce::OutputFormat::csv)->isChecked());
}

// The selected output format stands out by its fill, not only by its type.
TEST_F(MainWindowTest, SelectedFormatSegmentIsClearlyFilled) {
    settings->setOutputFormat(ce::OutputFormat::docx);
    settle();
    const auto meanColour = [](QWidget* segment) {
        const QImage image = segment->grab().toImage();
        double sum = 0;
        int n = 0;
        for (int y = image.height() / 4; y < image.height() * 3 / 4; ++y) {
            for (int x = 3; x < image.width() - 3; ++x) {
                sum += qGray(image.pixel(x, y));
                ++n;
            }
        }
        return sum / n;
    };
    const double selected = meanColour(window->formatButton(ce::OutputFormat::docx));
    const double other = meanColour(window->formatButton(ce::OutputFormat::csv));
    EXPECT_GT(other - selected, 40) << "selected " << selected << ", unselected " << other;
}

TEST_F(MainWindowTest, ADropOverAnyPaneIsOneAddition) {
    const QList<QUrl> files = {file(QStringLiteral("a.pdf")), file(QStringLiteral("b.png")),
                               QUrl::fromLocalFile(dir.path())};
    drop(window->dropZone(), files);
    EXPECT_TRUE(dragWasTargeted);
    EXPECT_FALSE(window->dropTargeted());
    EXPECT_EQ(executor->pendingBackground(session::Work::gathering), 1u);
    executor->runAll();
    settle();
    ASSERT_NE(window->preview(), nullptr);

    drop(window->preview(), {file(QStringLiteral("c.pdf"))});
    EXPECT_EQ(executor->pendingBackground(session::Work::gathering), 1u);
    EXPECT_EQ(static_cast<QPlainTextEdit*>(window->preview())->toPlainText(), QStringLiteral("a.pdf"));
    drop(window->sidebar()->list()->viewport(), {file(QStringLiteral("d.pdf"))});
    EXPECT_EQ(executor->pendingBackground(session::Work::gathering), 2u);

    QMimeData text;
    text.setText(QStringLiteral("not a file"));
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &text, Qt::LeftButton, {});
    QCoreApplication::sendEvent(window->dropZone(), &enter);
    EXPECT_FALSE(enter.isAccepted());
    EXPECT_FALSE(window->dropTargeted());
}

TEST_F(MainWindowTest, PanelsFeedTheSessionEvenWhenCancelled) {
    log->filesToAdd = {file(QStringLiteral("a.pdf"))};
    window->dropZone()->addFilesButton()->click();
    EXPECT_EQ(log->filePanels, 1);
    window->addFolderFromPanel();
    EXPECT_EQ(log->folderPanels, 1);
    EXPECT_EQ(executor->pendingBackground(session::Work::gathering), 2u);
    executor->runAll();
    settle();
    EXPECT_EQ(session->items().size(), 1u);
}

TEST_F(MainWindowTest, NoticesAreShownOnceAndDismissalClearsOnlyTheShownOne) {
    session->raiseNotice(Notice::Kind::info, QStringLiteral("First"), QString());
    EXPECT_TRUE(log->notices.empty());  // shown from a queued call
    settle();
    ASSERT_EQ(log->notices.size(), 1u);
    session->raiseNotice(Notice::Kind::error, QStringLiteral("Second"), QStringLiteral("line"),
                         {file(QStringLiteral("a.md"))});
    settle();
    ASSERT_EQ(log->notices.size(), 2u);
    log->answerNotice(false);  // the first alert goes: the second notice stays
    ASSERT_TRUE(session->notice().has_value());
    EXPECT_EQ(session->notice()->title, QStringLiteral("Second"));
    log->answerNotice(true);
    EXPECT_FALSE(session->notice().has_value());
    ASSERT_EQ(log->reveals.size(), 1u);
    EXPECT_EQ(log->reveals[0], QList<QUrl>{file(QStringLiteral("a.md"))});
    settle();
    EXPECT_EQ(log->notices.size(), 2u);
}

class ExportFlowTest : public MainWindowTest {
protected:
    ExportFlowTest() {
        items = add({QStringLiteral("a.pdf"), QStringLiteral("b.pdf"), QStringLiteral("c.pdf")});
        for (const auto& item : items) convert(item);
        out = dir.filePath(QStringLiteral("out"));
        QDir().mkpath(out);
        log->exportFolder = QUrl::fromLocalFile(out);
    }
    // Runs the writing job and whatever it queues.
    void finishWriting() {
        executor->runAll();
        settle();
    }
    std::vector<session::DocumentItemPtr> items;
    QString out;
};

TEST_F(ExportFlowTest, CancelledPanelDoesNothing) {
    log->exportFolder.reset();
    window->exportButton()->click();
    EXPECT_EQ(log->exportPanels, 1);
    EXPECT_FALSE(window->exportFlow()->pendingExport().has_value());
    EXPECT_EQ(executor->pendingBackground(), 0u);
    EXPECT_FALSE(session->notice().has_value());
}

TEST_F(ExportFlowTest, WithoutClashesExportsAtOnce) {
    window->startExport();
    EXPECT_TRUE(log->confirmations.empty());
    finishWriting();
    EXPECT_TRUE(QFile::exists(out + QStringLiteral("/a.md")));
    EXPECT_TRUE(items[0]->exported());
}

TEST_F(ExportFlowTest, ReplaceQuestionKeepsItsFolder) {
    for (const char* name : {"a.md", "b.md", "c.md"}) QFile(out + QLatin1Char('/') + QLatin1String(name)).open(QIODevice::WriteOnly);
    window->startExport();
    ASSERT_EQ(log->confirmations.size(), 1u);
    EXPECT_EQ(log->confirmations[0].title, QStringLiteral("Replace 3 existing files?"));
    EXPECT_EQ(log->confirmations[0].message,
              QStringLiteral("Files with the same names are already in that folder. Replacing them overwrites their "
                             "contents."));
    EXPECT_EQ(log->confirmations[0].action, QStringLiteral("Replace"));
    ASSERT_TRUE(window->exportFlow()->pendingExport().has_value());
    EXPECT_EQ(window->exportFlow()->pendingExport()->replacing, 3);

    log->exportFolder = QUrl::fromLocalFile(dir.path());  // what the panel says now does not matter
    log->answerConfirmation(true);
    EXPECT_FALSE(window->exportFlow()->pendingExport().has_value());
    finishWriting();
    EXPECT_GT(QFileInfo(out + QStringLiteral("/a.md")).size(), 0);
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("a.md"))));
}

TEST_F(ExportFlowTest, CancelledReplaceWritesNothing) {
    QFile(out + QStringLiteral("/a.md")).open(QIODevice::WriteOnly);
    window->startExport();
    log->answerConfirmation(false);
    EXPECT_FALSE(window->exportFlow()->pendingExport().has_value());
    finishWriting();
    EXPECT_EQ(QFileInfo(out + QStringLiteral("/a.md")).size(), 0);
    EXPECT_FALSE(items[0]->exported());
}

struct RevealCase {
    const char* name;
    bool revealAfterExport;
    ce::OutputFormat format;  // csv: one document has no tables, so the notice has a message
    bool revealed;
    bool alertShown;
};

class RevealTest : public ExportFlowTest, public ::testing::WithParamInterface<RevealCase> {};

TEST_P(RevealTest, RevealsOnlyWhatASuccessfulExportWrote) {
    const RevealCase& c = GetParam();
    if (c.format == ce::OutputFormat::csv) convert(items[0], 1, 0, 1);
    settings->setRevealAfterExport(c.revealAfterExport);
    settings->setOutputFormat(c.format);
    window->startExport();
    finishWriting();
    EXPECT_EQ(log->reveals.size(), c.revealed ? 1u : 0u);
    EXPECT_EQ(log->notices.size(), c.alertShown ? 1u : 0u);
    EXPECT_EQ(session->notice().has_value(), c.alertShown);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, RevealTest,
    ::testing::Values(RevealCase{"OnWithoutMessageRevealsSilently", true, ce::OutputFormat::markdown, true, false},
                      RevealCase{"OnWithMessageRevealsAndAlerts", true, ce::OutputFormat::csv, true, true},
                      RevealCase{"OffOnlyAlerts", false, ce::OutputFormat::markdown, false, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ExportFlowTest, ErrorsAreNeverRevealedAutomatically) {
    settings->setRevealAfterExport(true);
    QFile::remove(out);
    QDir().rmdir(out);
    QFile blocker(out);  // a file where the folder should be: nothing can be written
    blocker.open(QIODevice::WriteOnly);
    blocker.close();
    window->startExport();
    finishWriting();
    EXPECT_TRUE(log->reveals.empty());
    ASSERT_EQ(log->notices.size(), 1u);
    EXPECT_EQ(log->notices[0].kind, Notice::Kind::error);
}

TEST_F(ExportFlowTest, EachMenuRequestOpensOnePanel) {
    log->exportFolder.reset();
    session->setExportRequested(true);
    settle();
    EXPECT_EQ(log->exportPanels, 1);
    EXPECT_FALSE(session->exportRequested());
    session->setExportRequested(true);
    settle();
    EXPECT_EQ(log->exportPanels, 2);
}

TEST_F(ExportFlowTest, RequestMadeBeforeTheWindowIsTakenUpWhenItAppears) {
    window.reset();
    log->exportFolder.reset();
    session->setExportRequested(true);
    window = std::make_unique<windows::MainView>(*session, *settings, dialogs, nullptr, shell::ResourceBundle{});
    EXPECT_EQ(log->exportPanels, 0);
    window->show();
    settle();
    EXPECT_EQ(log->exportPanels, 1);
    EXPECT_FALSE(session->exportRequested());
}

}  // namespace
}  // namespace windowtests
