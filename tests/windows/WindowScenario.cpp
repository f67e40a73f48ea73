// The whole window with the real engine and the shipped models, on a real X server (Xvfb):
// start empty, open and close the Add menu, open the scanned invoice from the sample menu,
// drop the other two samples and a scanned page, Tab through the window's controls, convert, look at a page with a table and its regions, switch the
// output format, export, and check the files. It uses only the repository's own samples,
// so it runs on every machine. A screenshot of the window is saved at each step under the
// build folder's screenshots/window/ to be looked at.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <algorithm>

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QRandomGenerator>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "PageRenderer.h"
#include "PreviewView.h"
#include "RegionLink.h"
#include "SourcePageView.h"
#include "output/ResultExport.h"
#include "ViewStyle.h"
#include "app/ApplicationRoot.h"
#include "session/EngineConverter.h"
#include "shell/Sample.h"
#include "windows/DropZoneView.h"
#include "windows/SampleMenu.h"
#include "windows/SidebarView.h"

namespace {

using namespace std::chrono_literals;

const QString samples = QStringLiteral(CE_SOURCE_DIR "/Resources/Samples");
const QString shots = QStringLiteral(CE_SCREENSHOT_DIR "/window");

// A page of a PDF as a scanner would give it: 150 pixels per inch, turned a little,
// with some noise, saved as PNG.
QString makeScan(const QString& pdf, int pageIndex, const QString& folder) {
    const QImage page = PageRenderer::render(pdf.toStdString(), pageIndex);
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

// The X server's own pointer, moved and clicked through the XTest extension (loaded when the
// program runs, so that the build needs no X headers): unlike Qt's synthetic events, its
// clicks go through the pointer grab of an open menu, as a user's do.
class XPointer {
public:
    XPointer() {
        x11_ = dlopen("libX11.so.6", RTLD_NOW);
        xtst_ = dlopen("libXtst.so.6", RTLD_NOW);
        if (!x11_ || !xtst_) return;
        auto open = reinterpret_cast<void* (*)(const char*)>(dlsym(x11_, "XOpenDisplay"));
        flush_ = reinterpret_cast<int (*)(void*)>(dlsym(x11_, "XFlush"));
        motion_ = reinterpret_cast<int (*)(void*, int, int, int, unsigned long)>(dlsym(xtst_, "XTestFakeMotionEvent"));
        button_ = reinterpret_cast<int (*)(void*, unsigned, int, unsigned long)>(dlsym(xtst_, "XTestFakeButtonEvent"));
        if (open && flush_ && motion_ && button_) display_ = open(nullptr);
    }
    bool available() const { return display_ != nullptr; }
    void moveTo(QPoint global) {
        motion_(display_, -1, global.x(), global.y(), 0);
        flush_(display_);
    }
    void click() {
        button_(display_, 1, 1, 0);
        button_(display_, 1, 0, 0);
        flush_(display_);
    }

private:
    void* x11_ = nullptr;
    void* xtst_ = nullptr;
    void* display_ = nullptr;
    int (*flush_)(void*) = nullptr;
    int (*motion_)(void*, int, int, int, unsigned long) = nullptr;
    int (*button_)(void*, unsigned, int, unsigned long) = nullptr;
};

class WindowScenario : public ::testing::Test {
protected:
    void SetUp() override {
        if (QGuiApplication::platformName() != u"xcb") GTEST_SKIP() << "the scenario runs under Xvfb";
        QDir().mkpath(shots);
        ASSERT_TRUE(work.isValid());
    }

    // The window alone, or as the screen shows it with the windows in front of it.
    void shoot(const char* name, bool withWindowsInFront = false) {
        QTest::qWait(250);
        const QString path = shots + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png");
        QWidget& window = root->window();
        const QRect area(window.mapToGlobal(QPoint(0, 0)), window.size());
        const QPixmap picture = withWindowsInFront
                                    ? window.screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height())
                                    : window.grab();
        ASSERT_TRUE(picture.save(path)) << path.toStdString();
    }

    // Drags the files over `target` as a file manager would, takes the screenshot `whileOver`
    // and drops them.
    void drop(QWidget* target, const QList<QUrl>& files, const char* whileOver) {
        QMimeData data;
        data.setUrls(files);
        const QPoint at = target->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(target, &enter);
        shoot(whileOver);
        QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(target, &dropped);
    }

    QTemporaryDir work;
    std::unique_ptr<app::ApplicationRoot> root;
};

TEST_F(WindowScenario, FromDropToExport) {
    const QString scan = makeScan(samples + QStringLiteral("/Annual Report.pdf"), 2, work.path());
    ASSERT_FALSE(scan.isEmpty());
    const QList<QUrl> files = {QUrl::fromLocalFile(samples + QStringLiteral("/Annual Report.pdf")),
                               QUrl::fromLocalFile(samples + QStringLiteral("/Research Paper.pdf")),
                               QUrl::fromLocalFile(scan)};

    const shell::ResourceBundle bundle = shell::ResourceBundle::load(QStringLiteral(CE_SOURCE_DIR "/Resources"), {});
    root = std::make_unique<app::ApplicationRoot>(app::ApplicationRoot::Options{
        bundle, std::make_shared<session::EngineConverter>(std::filesystem::path(CE_SOURCE_DIR "/Resources/Models")),
        std::nullopt, nullptr});
    windows::MainView& window = root->window();
    session::ConversionSession& session = root->session();
    const QString out = work.filePath(QStringLiteral("export"));
    QDir().mkpath(out);
    windows::WindowDialogs dialogs = windows::WindowDialogs::real(&window);
    dialogs.chooseExportFolder = [out] { return std::optional<QUrl>(QUrl::fromLocalFile(out)); };
    dialogs.chooseFilesToAdd = [] { return QList<QUrl>{}; };
    std::vector<QList<QUrl>> reveals;
    dialogs.reveal = [&reveals](const QList<QUrl>& shown) { reveals.push_back(shown); };
    window.setDialogs(dialogs);
    root->settings().setOutputFormat(ce::OutputFormat::markdown);
    root->settings().setRevealAfterExport(false);

    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_EQ(window.size(), windows::MainView::defaultSize);
    EXPECT_TRUE(window.dropZone()->isVisible());
    shoot("01-empty");

    // The Add menu opened with a click, and its first entry chosen with another (the panel is
    // cancelled): once the menu is gone the button no longer shows the hover frame.
    XPointer pointer;
    if (pointer.available()) {
        QToolButton* add = window.addButton();
        const QImage plain = add->grab().toImage();
        pointer.moveTo(add->mapToGlobal(add->rect().center()));
        ASSERT_TRUE(QTest::qWaitFor([&] { return add->underMouse(); }, 5'000));
        QMenu* menu = add->menu();
        // The menu runs its own event loop once open, so the choice is made from a timer.
        bool menuShown = false;
        QTimer::singleShot(500, menu, [&] {
            menuShown = menu->isVisible();
            pointer.moveTo(menu->mapToGlobal(menu->actionGeometry(menu->actions().front()).center()));
            QTimer::singleShot(300, menu, [&] { pointer.click(); });
        });
        pointer.click();
        ASSERT_TRUE(QTest::qWaitFor([&] { return menuShown && !menu->isVisible(); }, 10'000));
        QTest::qWait(300);
        EXPECT_FALSE(add->underMouse());
        EXPECT_EQ(add->grab().toImage(), plain) << "the Add button still shows the pointer over it";
        shoot("01a-add-menu-closed");
    }

    window.dropZone()->sampleMenu()->action(shell::Sample::invoice)->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return session.items().size() == 1; }, 10'000));
    EXPECT_TRUE(session.items().front()->isSample());
    shoot("02-sample-opened");
    drop(window.sidebar(), files, "03-dragging-over");
    EXPECT_FALSE(window.dropTargeted());
    ASSERT_TRUE(QTest::qWaitFor([&] {
        if (session.items().size() != 4) return false;
        for (const auto& item : session.items()) {
            if (!item->pageCount()) return false;
        }
        return true;
    }, 60'000));
    EXPECT_TRUE(window.convertButton()->isEnabled());
    shoot("04-added");

    // Tab walks the window's controls; each step is a screenshot that shows where the focus is.
    {
        QCursor::setPos(window.mapToGlobal(QPoint(window.width() - 5, window.height() - 5)));
        QWidget* first = nullptr;
        for (int step = 1; step <= 16; ++step) {
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &window, Qt::Key_Tab);
            QWidget* focused = QApplication::focusWidget();
            ASSERT_NE(focused, nullptr);
            if (focused == first) break;
            if (!first) first = focused;
            shoot(QStringLiteral("04-tab-%1").arg(step, 2, 10, QLatin1Char('0')).toLatin1().constData());
        }
    }

    window.convertButton()->click();
    ASSERT_TRUE(session.isConverting());
    EXPECT_EQ(window.convertButton()->text(), QStringLiteral("Stop"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return session.runProgress().completed > 0; }, 120'000));
    shoot("05-converting");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !session.isConverting(); }, 240'000));
    ASSERT_EQ(session.convertedItems().size(), 4u);
    EXPECT_TRUE(window.exportButton()->isEnabled());
    shoot("06-converted");

    // Shows the first page of `fileName` that holds an element of `kind`, with its regions;
    // with `select`, that element is selected, so the output scrolls to it.
    root->settings().setShowRegions(true);
    PreviewView* preview = nullptr;
    const auto showPageWith = [&](const QString& fileName, ce::DocElementKind kind, const char* name,
                                  bool select = false) {
        const auto& items = session.items();
        const auto item = std::find_if(items.begin(), items.end(),
                                       [&](const auto& each) { return each->url().fileName() == fileName; });
        ASSERT_NE(item, items.end()) << fileName.toStdString();
        const auto& pages = (*item)->result()->pages;
        const auto page = std::find_if(pages.begin(), pages.end(), [&](const ce::ConvertedPage& each) {
            return std::any_of(each.content.body.begin(), each.content.body.end(),
                               [&](const ce::DocElement& element) { return element.kind == kind; });
        });
        ASSERT_NE(page, pages.end()) << fileName.toStdString();
        session.setSelection({(*item)->id()});
        preview = qobject_cast<PreviewView*>(window.preview());
        ASSERT_NE(preview, nullptr);
        preview->setPageIndex(page->index);
        EXPECT_EQ(preview->pageIndex(), page->index);
        // The page image is drawn off the main thread.
        ASSERT_TRUE(QTest::qWaitFor([&] { return !preview->sourcePage()->isLoading(); }, 30'000));
        EXPECT_FALSE(preview->sourcePage()->loadFailed());
        if (select) {
            const auto& body = page->content.body;
            preview->regionLink()->select(
                std::find_if(body.begin(), body.end(), [&](const auto& element) { return element.kind == kind; })->clusterID);
        }
        shoot(name);
    };
    showPageWith(QStringLiteral("Research Paper.pdf"), ce::DocElementKind::picture, "07-paper-picture", true);
    showPageWith(QStringLiteral("Scanned page.png"), ce::DocElementKind::table, "08-scan-table");
    showPageWith(QStringLiteral("Annual Report.pdf"), ce::DocElementKind::table, "09-report-table");
    if (HasFatalFailure()) return;

    for (const auto& [format, name] : {std::pair{ce::OutputFormat::markdown, "10-markdown"},
                                       std::pair{ce::OutputFormat::csv, "11-csv"},
                                       std::pair{ce::OutputFormat::docx, "12-docx"}}) {
        window.formatButton(format)->click();
        EXPECT_EQ(root->settings().outputFormat(), format);
        EXPECT_EQ(preview->format(), format);
        if (format != ce::OutputFormat::docx) preview->setShowText(true);
        shoot(name);
    }
    // DOCX has no text form: the sheet shows while the text was asked for in another format.
    EXPECT_TRUE(preview->showsText());
    EXPECT_EQ(preview->pane(), PreviewRules::Pane::rendered);
    preview->setShowText(false);

    window.formatButton(ce::OutputFormat::markdown)->click();
    window.exportButton()->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return session.notice().has_value(); }, 60'000));
    EXPECT_EQ(session.notice()->kind, session::ConversionSession::Notice::Kind::info);
    QMessageBox* alert = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        alert = window.findChild<QMessageBox*>();
        return alert && alert->isVisible();
    }, 5'000));
    shoot("13-exported", true);
    ASSERT_TRUE(alert->grab().save(shots + QStringLiteral("/14-export-alert.png")));
    EXPECT_EQ(alert->text(), QStringLiteral("Exported 4 files"));
    for (const char* name : {"Factura escaneada.md", "Annual Report.md", "Research Paper.md", "Scanned page.md"}) {
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
