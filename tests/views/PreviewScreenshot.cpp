// Renders the preview of a converted page with its regions at the main window's
// default size, 1320 x 860, and saves it as a PNG (the path is the first argument).
// The document is converted by the real engine with the shipped models, whole, as the
// application does (a running header is told apart only across pages); a region is
// selected so that the linking of page and output shows. Runs under Xvfb from CTest.
#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

#include "PreviewView.h"
#include "RegionLink.h"
#include "SourcePageView.h"
#include "ViewStyle.h"
#include "session/EngineConverter.h"
#include "session/Settings.h"

namespace {

int fail(const char* message) {
    std::fprintf(stderr, "preview screenshot: %s\n", message);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ViewStyle::applyTo(app);
    if (argc < 2) return fail("usage: views_screenshot OUTPUT.png");
    const QString output = QString::fromLocal8Bit(argv[1]);
    const QString document = QStringLiteral(CE_SOURCE_DIR "/Resources/Samples/Annual Report.pdf");

    session::EngineConverter engine(std::filesystem::path(CE_SOURCE_DIR) / "Resources" / "Models");
    auto result = std::make_shared<ce::ConversionResult>(engine.convert(document.toStdString(), {}, {}, {}));
    if (result->pages.empty()) return fail("the page was not converted");

    auto item = std::make_shared<session::DocumentItem>(QUrl::fromLocalFile(document), QString(), true);
    item->setPageCount(engine.pageCount(document.toStdString()));
    item->setResult(result);
    item->setState(session::DocumentItem::State::converted());

    QTemporaryDir dir;
    session::Settings settings(dir.filePath("settings.ini"));
    PreviewView view(item, ce::OutputFormat::markdown, nullptr, &settings);
    view.resize(1320, 860);
    view.show();
    if (!QTest::qWaitForWindowExposed(&view)) return fail("the window was not shown");
    if (!QTest::qWaitFor([&] { return !view.sourcePage()->isLoading(); }, 60000)) return fail("the page did not load");
    if (view.sourcePage()->loadFailed()) return fail("the page could not be rendered");

    // A heading selected, and the pointer over a paragraph's box on the page: both
    // sides show the selected and the hovered region.
    const ce::ConvertedPage& page = result->pages.front();
    const ce::DocElement* heading = nullptr;
    const ce::DocElement* paragraph = nullptr;
    for (const ce::DocElement& element : page.content.body) {
        if (!heading && element.kind == ce::DocElementKind::sectionHeader) heading = &element;
        if (!paragraph && element.kind == ce::DocElementKind::text && heading) paragraph = &element;
    }
    if (heading) view.regionLink()->select(heading->clusterID);
    QPoint pointer = view.mapToGlobal(QPoint(view.width() - 4, view.height() - 4));
    if (paragraph) {
        const QRectF shown = view.sourcePage()->pageRect();
        const QPointF centre(shown.left() + shown.width() * paragraph->bbox.centerX() / page.width,
                             shown.top() + shown.height() * paragraph->bbox.centerY() / page.height);
        pointer = view.sourcePage()->mapToGlobal(centre.toPoint());
    }
    QCursor::setPos(pointer);
    QTest::qWait(300);
    QDir().mkpath(QFileInfo(output).absolutePath());
    if (!view.grab().save(output)) return fail("the screenshot could not be saved");
    // The same page as raw Markdown and as a DOCX sheet, beside the first screenshot.
    view.setShowText(true);
    QTest::qWait(100);
    view.grab().save(QFileInfo(output).absolutePath() + "/preview-markdown-text.png");
    view.setFormat(ce::OutputFormat::docx);
    QTest::qWait(100);
    view.grab().save(QFileInfo(output).absolutePath() + "/preview-docx.png");
    std::printf("saved %s (%zu regions, %zu body elements)\n", qPrintable(output), page.regions.size(),
                page.content.body.size());
    return 0;
}
