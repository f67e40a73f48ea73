// The whole window with the real engine and the shipped models, on a real X server (Xvfb):
// start empty, drop two corpus PDFs and a scanned page, convert, look at a page with a
// table and its regions, switch the output format, export, and check the files. A
// screenshot of the window is saved at each step under the build folder's
// screenshots/window/ to be looked at.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "PageRenderer.h"
#include "PreviewView.h"
#include "output/ResultExport.h"
#include "ViewStyle.h"
#include "app/ApplicationRoot.h"
#include "session/EngineConverter.h"
#include "windows/DropZone.h"
#include "windows/Sidebar.h"

namespace {

using namespace std::chrono_literals;

const QString corpus = QStringLiteral(CE_CORPUS_DIR);
const QString shots = QStringLiteral(CE_SCREENSHOT_DIR "/window");

// A page of a corpus PDF as a scanner would give it: 150 pixels per inch, turned a little,
// with some noise, saved as PNG.
QString makeScan(const QString& pdf, const QString& folder) {
    const QImage page = PageRenderer::render(pdf, 0);
    if (page.isNull()) return {};
    const QImage small = page.scaledToWidth(1275, Qt::SmoothTransformation);
    QImage scan(small.size(), QImage::Format_RGB32);
    scan.fill(QColor(244, 242, 236));
    QPainter p(&scan);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.translate(scan.width() / 2.0, scan.height() / 2.0);
    p.rotate(0.8);
    p.translate(-scan.width() / 2.0, -scan.height() / 2.0);
    p.setCompositionMode(QPainter::CompositionMode_Multiply);
    p.drawImage(0, 0, small);
    p.end();
    QRandomGenerator noise(7);
    for (int i = 0; i < scan.width() * scan.height() / 50; ++i) {
        const int x = noise.bounded(scan.width()), y = noise.bounded(scan.height());
        const int grey = noise.bounded(150, 230);
        scan.setPixel(x, y, qRgb(grey, grey, grey));
    }
    const QString path = folder + QStringLiteral("/Scanned page.png");
    return scan.save(path) ? path : QString();
}

class WindowScenario : public ::testing::Test {
protected:
    void SetUp() override {
        if (QGuiApplication::platformName() != u"xcb") GTEST_SKIP() << "the scenario runs under Xvfb";
        if (!QDir(corpus).exists()) GTEST_SKIP() << "corpus not available";
        QDir().mkpath(shots);
        ASSERT_TRUE(work.isValid());
    }

    void shoot(const char* name) {
        QTest::qWait(250);
        const QString path = shots + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png");
        ASSERT_TRUE(root->window().grab().save(path)) << path.toStdString();
    }

    // Drops the files on `target` as a file manager would.
    static void drop(QWidget* target, const QList<QUrl>& files) {
        QMimeData data;
        data.setUrls(files);
        const QPoint at = target->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(target, &enter);
        QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(target, &dropped);
    }

    QTemporaryDir work;
    std::unique_ptr<app::ApplicationRoot> root;
};

TEST_F(WindowScenario, FromDropToExport) {
    const QString scan = makeScan(corpus + QStringLiteral("/tables/labor.pdf"), work.path());
    ASSERT_FALSE(scan.isEmpty());
    const QList<QUrl> files = {QUrl::fromLocalFile(corpus + QStringLiteral("/tables/eu-002.pdf")),
                               QUrl::fromLocalFile(corpus + QStringLiteral("/tables/12s0324.pdf")),
                               QUrl::fromLocalFile(scan)};

    const shell::ResourceBundle bundle = shell::ResourceBundle::load(QStringLiteral(CE_SOURCE_DIR "/Resources"), {});
    root = std::make_unique<app::ApplicationRoot>(app::ApplicationRoot::Options{
        bundle, std::make_shared<session::EngineConverter>(std::filesystem::path(CE_SOURCE_DIR "/Resources/Models")),
        std::nullopt, nullptr});
    windows::MainWindow& window = root->window();
    session::ConversionSession& session = root->session();
    const QString out = work.filePath(QStringLiteral("export"));
    QDir().mkpath(out);
    windows::WindowDialogs dialogs = windows::WindowDialogs::real(&window);
    dialogs.chooseExportFolder = [out] { return std::optional<QUrl>(QUrl::fromLocalFile(out)); };
    std::vector<QList<QUrl>> reveals;
    dialogs.reveal = [&reveals](const QList<QUrl>& shown) { reveals.push_back(shown); };
    window.setDialogs(dialogs);
    root->settings().setOutputFormat(ce::OutputFormat::markdown);
    root->settings().setRevealAfterExport(false);

    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(window.size(), windows::MainWindow::defaultSize);
    EXPECT_TRUE(window.dropZone()->isVisible());
    shoot("01-empty");

    drop(window.dropZone(), files);
    ASSERT_TRUE(QTest::qWaitFor([&] {
        if (session.items().size() != 3) return false;
        for (const auto& item : session.items()) {
            if (!item->pageCount()) return false;
        }
        return true;
    }, 60'000));
    EXPECT_TRUE(window.convertButton()->isEnabled());
    shoot("02-added");

    window.convertButton()->click();
    ASSERT_TRUE(session.isConverting());
    EXPECT_EQ(window.convertButton()->text(), QStringLiteral("Stop"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return session.runProgress().completed > 0; }, 120'000));
    shoot("03-converting");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !session.isConverting(); }, 900'000));
    ASSERT_EQ(session.convertedItems().size(), 3u);
    EXPECT_TRUE(window.exportButton()->isEnabled());
    shoot("04-converted");

    // The first page with a table, of the first document that has one.
    session::DocumentItemPtr withTable;
    int tablePage = 0;
    for (const auto& item : session.items()) {
        for (const auto& page : item->result()->pages) {
            for (const auto& element : page.content.body) {
                if (!withTable && element.kind == ce::DocElementKind::table) {
                    withTable = item;
                    tablePage = page.index;
                }
            }
        }
    }
    ASSERT_NE(withTable, nullptr);
    root->settings().setShowRegions(true);
    session.setSelection({withTable->id()});
    auto* preview = qobject_cast<PreviewView*>(window.preview());
    ASSERT_NE(preview, nullptr);
    preview->setPageIndex(tablePage);
    EXPECT_EQ(preview->pageIndex(), tablePage);
    QTest::qWait(1500);  // the page image is drawn off the main thread
    shoot("05-table-regions");

    for (const auto& [format, name] : {std::pair{ce::OutputFormat::markdown, "06-markdown"},
                                       std::pair{ce::OutputFormat::csv, "07-csv"},
                                       std::pair{ce::OutputFormat::docx, "08-docx"}}) {
        window.formatButton(format)->click();
        EXPECT_EQ(root->settings().outputFormat(), format);
        EXPECT_EQ(preview->format(), format);
        if (format != ce::OutputFormat::docx) preview->setShowText(true);
        shoot(name);
    }
    preview->setShowText(false);
    shoot("08-docx-rendered");

    window.formatButton(ce::OutputFormat::markdown)->click();
    window.exportButton()->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return session.notice().has_value(); }, 60'000));
    EXPECT_EQ(session.notice()->kind, session::ConversionSession::Notice::Kind::info);
    QMessageBox* alert = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        alert = window.findChild<QMessageBox*>();
        return alert && alert->isVisible();
    }, 5'000));
    shoot("09-exported");
    ASSERT_TRUE(alert->grab().save(shots + QStringLiteral("/10-export-alert.png")));
    EXPECT_EQ(alert->text(), QStringLiteral("Exported 3 files"));
    for (const char* name : {"eu-002.md", "12s0324.md", "Scanned page.md"}) {
        const QFileInfo written(out + QLatin1Char('/') + QLatin1String(name));
        EXPECT_TRUE(written.isFile()) << name;
        EXPECT_GT(written.size(), 20) << name;
    }
    for (const auto& item : session.items()) EXPECT_TRUE(item->exported());
    alert->done(0);
    QTest::qWait(100);
    EXPECT_FALSE(session.notice().has_value());
}

}  // namespace

int main(int argc, char** argv) {
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("ConverterTests"));
    QApplication::setApplicationName(QStringLiteral("window_scenario"));
    ViewStyle::applyTo(application);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
