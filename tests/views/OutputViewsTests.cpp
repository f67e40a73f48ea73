// The output side: the rendered view's rows (which elements show, highlight, hover
// and the scroll to a selection), the raw view's text against what export writes,
// the split pane widget and the table grid.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

#include "EmptyStateView.h"
#include "RawOutputText.h"
#include "RawOutputView.h"
#include "RegionLabels.h"
#include "RegionLink.h"
#include "RenderedOutputView.h"
#include "SplitPane.h"
#include "TableGridView.h"
#include "ViewStyle.h"
#include "ViewsFixtures.h"
#include "WidgetTestSupport.h"
#include "output/ResultExport.h"

using namespace viewsfixtures;
using K = ce::DocElementKind;
using L = ce::DocLabel;

namespace {

TEST(RenderedOutput, EmptyStatesPerFormat) {
    RegionLink link;
    RenderedOutputView view(&link);
    ce::ConvertedPage page;
    view.setPage(&page, ce::OutputFormat::markdown);
    EXPECT_EQ(view.emptyState()->title(), "No content on this page");
    page.content.body = {element(K::text, "words", 1, L::text)};
    view.setPage(&page, ce::OutputFormat::csv);
    EXPECT_EQ(view.emptyState()->title(), "No tables on this page");
    EXPECT_TRUE(view.rows().empty());
}

TEST(RenderedOutput, CSVShowsOnlyElementsWithAStructure) {
    ce::ConvertedPage page = samplePage();
    ce::DocElement bare = element(K::table, "", 8, L::table);
    ce::DocElement index = element(K::documentIndex, "", 9, L::documentIndex);
    index.table = table(1, 2);
    page.content.body.push_back(bare);
    page.content.body.push_back(index);
    std::vector<int> ids;
    for (const ce::DocElement* e : RenderedOutputView::shownElements(page, ce::OutputFormat::csv))
        ids.push_back(e->clusterID);
    EXPECT_EQ(ids, (std::vector<int>{4, 9}));
    EXPECT_EQ(RenderedOutputView::shownElements(page, ce::OutputFormat::docx).size(), 5u);
}

TEST(RenderedOutput, HighlightFollowsHoverElseSelectionThroughRegionIds) {
    RegionLink link;
    RenderedOutputView view(&link);
    ce::ConvertedPage page = samplePage();
    page.content.body[1].captions = {element(K::caption, "cap", 12, L::caption)};
    view.setPage(&page, ce::OutputFormat::markdown);
    EXPECT_EQ(view.highlightOf(1).alpha(), 0);
    link.select(12);
    EXPECT_EQ(view.highlightOf(1), ViewStyle::withOpacity(RegionLabels::color(L::text), 0.16));
    EXPECT_EQ(view.highlightOf(0).alpha(), 0);
    link.enter(2);  // hover wins over the selection
    EXPECT_EQ(view.highlightOf(0), ViewStyle::withOpacity(RegionLabels::color(L::title), 0.16));
    EXPECT_EQ(view.highlightOf(1).alpha(), 0);
}

TEST(RenderedOutput, RowsHoverTheirClusterAndLeaveOnlyTheirOwn) {
    RegionLink link;
    RenderedOutputView view(&link);
    ce::ConvertedPage page = samplePage();
    view.setPage(&page, ce::OutputFormat::markdown);
    std::vector<QWidget*> rows = view.rows();
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(rows[0], &enter);
    EXPECT_EQ(link.hovered(), 2);
    QApplication::sendEvent(rows[1], &enter);
    QApplication::sendEvent(rows[0], &leave);
    EXPECT_EQ(link.hovered(), 3);
    QApplication::sendEvent(rows[1], &leave);
    EXPECT_EQ(link.hovered(), std::nullopt);
}

TEST(RenderedOutput, SelectionScrollsToTheFirstRowThatHoldsIt) {
    RegionLink link;
    RenderedOutputView view(&link);
    view.resize(400, 200);
    view.show();
    ce::ConvertedPage page;
    page.width = 200;
    page.height = 100;
    for (int i = 0; i < 40; ++i) page.content.body.push_back(element(K::text, "line " + std::to_string(i), i, L::text));
    // Two rows share cluster 30 (a split paragraph); the first of them is the target.
    page.content.body[31].clusterID = 30;
    view.setPage(&page, ce::OutputFormat::markdown);
    QApplication::processEvents();
    link.select(30);
    QScrollBar* bar = view.scrollArea()->verticalScrollBar();
    const int top = view.rows()[30]->mapTo(view.scrollArea()->widget(), QPoint(0, 0)).y();
    EXPECT_GT(top, 0);
    EXPECT_EQ(bar->value(), std::min(top, bar->maximum()));
    EXPECT_GT(bar->value(), 0);
}

// A table takes the height of its grid; the room for a sideways scroll bar is added only
// while the grid is wider than the output.
TEST(RenderedOutput, TablesKeepRoomForTheScrollBarOnlyWhenTheyScroll) {
    RegionLink link;
    RenderedOutputView view(&link);
    ce::ConvertedPage page;
    page.width = 200;
    page.height = 100;
    page.content.body = {element(K::table, "", 1, L::table)};
    page.content.body[0].table = table(3, 4);
    view.setPage(&page, ce::OutputFormat::markdown);
    view.show();
    const auto* grid = view.findChild<TableGridView*>();
    ASSERT_NE(grid, nullptr);
    auto* scroll = qobject_cast<QScrollArea*>(grid->parentWidget()->parentWidget());
    ASSERT_NE(scroll, nullptr);
    for (const int width : {600, 150}) {
        SCOPED_TRACE(width);
        view.resize(width, 400);
        QApplication::processEvents();
        const bool scrolls = grid->width() > scroll->width();
        EXPECT_EQ(scrolls, width == 150);
        EXPECT_EQ(scroll->height(),
                  grid->height() + (scrolls ? scroll->horizontalScrollBar()->sizeHint().height() : 0));
        EXPECT_EQ(scroll->horizontalScrollBar()->isVisible(), scrolls);
    }
}

TEST(RenderedOutput, PlaceholdersForMissingCropsTablesWithoutColumnsAndBareListItems) {
    RegionLink link;
    RenderedOutputView view(&link);
    ce::ConvertedPage page;
    page.width = 200;
    page.height = 100;
    ce::DocElement picture = element(K::picture, "", 1, L::picture, {50, 10, 50, 60});  // zero width
    QImage crop(10, 10, QImage::Format_RGB888);
    crop.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    crop.save(&buffer, "PNG");
    page.images[1] = ce::Data(png.begin(), png.end());
    ce::DocElement noColumns = element(K::table, "", 2, L::table);
    noColumns.table = table(3, 0);
    noColumns.table->numRows = 3;
    ce::DocElement formula = element(K::formula, "", 3, L::formula);
    formula.orig = "";
    ce::DocElement item = element(K::listItem, "<b>not bold</b>", 4, L::listItem);
    page.content.body = {picture, noColumns, formula, item};
    view.setPage(&page, ce::OutputFormat::markdown);
    const QStringList texts = labelTexts(&view);
    EXPECT_TRUE(texts.contains("Picture")) << texts.join("|").toStdString();
    EXPECT_TRUE(texts.contains("Table (structure not recognized)"));
    EXPECT_TRUE(texts.contains("Formula"));
    EXPECT_TRUE(texts.contains("\u2022"));
    EXPECT_TRUE(texts.contains("<b>not bold</b>"));
    for (const QLabel* label : view.findChildren<QLabel*>()) {
        if (!label->text().isEmpty()) {
            EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->text().toStdString();
        }
    }
}

// A document of two pages: page 0 with two tables and page 1 with two more (the
// document's third and fourth), one of them holding a formula start.
ce::ConversionResult twoPageResult() {
    ce::ConversionResult result;
    result.source = "/docs/My Report (final).pdf";
    for (int p = 0; p < 2; ++p) {
        ce::ConvertedPage page = samplePage(p);
        ce::DocElement second = page.content.body[2];
        second.clusterID = 5;
        second.table = table(1, 3);
        page.content.body.push_back(second);
        result.pages.push_back(page);
    }
    ce::DocElement picture = element(K::picture, "", 6, L::picture);
    result.pages[1].content.body.push_back(picture);
    result.pages[1].images[6] = {1, 2, 3};
    return result;
}

TEST(RawOutput, MarkdownAndDOCXShowTheExportedPage) {
    const ce::ConversionResult result = twoPageResult();
    for (const ce::ConvertedPage& page : result.pages) {
        const std::string expected = ce::ResultExport::exportedMarkdown(result, page, std::string("Base"));
        EXPECT_EQ(RawOutputText::bytes(result, "Base", page, ce::OutputFormat::markdown, ','), expected);
        EXPECT_EQ(RawOutputText::bytes(result, "Base", page, ce::OutputFormat::docx, ','), expected);
    }
    EXPECT_NE(RawOutputText::bytes(result, "Base", result.pages[1], ce::OutputFormat::markdown, ',').find("Base-images/p2-6.png"),
              std::string::npos);
}

TEST(RawOutput, CSVShowsEachTableOfThePageAsExportWritesIt) {
    const ce::ConversionResult result = twoPageResult();
    ce::CSVWriter::Options options;
    options.delimiter = ';';
    const std::vector<ce::ResultExport::CSVFile> files = ce::ResultExport::csvFiles(result, options, std::string("Base"));
    ASSERT_EQ(files.size(), 4u);
    auto withoutMark = [](const ce::Data& d) { return std::string(d.begin() + 3, d.end()); };
    const std::string expected = "Base-table-3.csv\n\n" + withoutMark(files[2].data) + "\n\nBase-table-4.csv\n\n" +
                                 withoutMark(files[3].data);
    EXPECT_EQ(RawOutputText::bytes(result, "Base", result.pages[1], ce::OutputFormat::csv, ';'), expected);
    EXPECT_NE(expected.find("'=SUM(A1)"), std::string::npos);
    EXPECT_NE(expected.find("r0c0;r0c1\r\n"), std::string::npos);
}

TEST(RawOutput, EmptyPagesSayWhatIsMissing) {
    ce::ConversionResult result;
    result.source = "/docs/a.pdf";
    ce::ConvertedPage page = samplePage();
    page.content.body.resize(2);  // title and text only
    ce::DocElement noColumns = element(K::table, "", 4, L::table);
    noColumns.table = table(2, 0);
    noColumns.table->numRows = 2;
    page.content.body.push_back(noColumns);
    result.pages = {page};
    EXPECT_EQ(RawOutputText::text(result, "a", page, ce::OutputFormat::csv, ','), "No tables on this page.");
    result.pages[0].content.body.clear();
    EXPECT_EQ(RawOutputText::text(result, "a", result.pages[0], ce::OutputFormat::markdown, ','),
              "No content on this page.");
}

TEST(SplitPaneWidget, LaysOutTheClampedShareAndDragsFromIt) {
    QWidget* left = new QWidget;
    QWidget* right = new QWidget;
    SplitPane pane(left, right, 280);
    pane.setFraction(0.3);
    pane.resize(601, 100);
    pane.show();
    EXPECT_EQ(left->geometry(), QRect(0, 0, 280, 100));
    EXPECT_EQ(right->geometry(), QRect(281, 0, 320, 100));
    EXPECT_EQ(pane.fraction(), 0.3);  // display clamping never writes back

    pane.resize(1001, 100);  // bounds 0.28 and 0.72: 0.3 is shown as stored
    pane.setFraction(0.1);   // shown as 0.28
    std::vector<double> written;
    QObject::connect(&pane, &SplitPane::fractionChanged, [&](double f) { written.push_back(f); });
    // The handle moves with the divider: events carry the pointer's screen position.
    QWidget* handle = pane.handle();
    const QPointF start = handle->mapToGlobal(QPointF(4, 50));
    auto send = [&](QEvent::Type type, double dx, Qt::MouseButtons buttons) {
        const QPointF global = start + QPointF(dx, 0);
        QMouseEvent e(type, handle->mapFromGlobal(global), global, Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(handle, &e);
    };
    send(QEvent::MouseButtonPress, 0, Qt::LeftButton);
    send(QEvent::MouseMove, 50, Qt::LeftButton);
    send(QEvent::MouseMove, 100, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, 100, Qt::NoButton);
    ASSERT_EQ(written.size(), 2u);
    EXPECT_NEAR(written[0], 0.33, 1e-9);
    EXPECT_NEAR(written[1], 0.38, 1e-9);  // absolute from the drag's start, not accumulated
    EXPECT_EQ(left->width(), 380);

    pane.setFraction(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(pane.fraction(), 0.5);
}

TEST(TableGrid, SizesFromItsCellsAndClampsStrayPositions) {
    ce::TableStructure t = table(2, 2);
    t.cells[3].startRow = 7;  // outside the grid: drawn in the last row
    t.cells[3].endRow = 8;
    TableGridView grid(t);
    const SpanGridLayout::Rect size = SpanGridLayout::size(grid.tracks());
    EXPECT_EQ(grid.sizeHint(), QSize(static_cast<int>(std::ceil(size.width)), static_cast<int>(std::ceil(size.height))));
    ASSERT_EQ(grid.cellRects().size(), 4u);
    EXPECT_EQ(grid.cellRects()[3].y, grid.cellRects()[2].y);
    EXPECT_GT(grid.tracks().widths[0], SpanGridLayout::minColumnWidth);
}

// Opacity scales a colour's own alpha: the grid's inner borders, drawn in the translucent
// secondary colour at 0.35, stay lighter than its outer border.
TEST(TableGrid, OpacityScalesTheColoursOwnAlpha) {
    EXPECT_NEAR(ViewStyle::withOpacity(ViewStyle::secondaryText(), 0.35).alphaF(),
                ViewStyle::secondaryText().alphaF() * 0.35, 0.01);
    EXPECT_NEAR(ViewStyle::withOpacity(QColor(Qt::black), 0.35).alphaF(), 0.35, 0.01);
    ce::TableStructure t = table(2, 2);
    TableGridView grid(t);
    grid.resize(grid.sizeHint());
    const QImage image = grid.grab().toImage();
    const int y = static_cast<int>(grid.cellRects()[0].height / 2);
    const int inner = static_cast<int>(grid.cellRects()[1].x);
    int darkestInner = 255;
    for (int x = inner - 1; x <= inner; ++x) darkestInner = std::min(darkestInner, qGray(image.pixel(x, y)));
    EXPECT_GT(darkestInner, qGray(image.pixel(0, y))) << "inner border darker than the outer one";
}

// A column is as wide as its widest cell on one line, so no cell whose text fits within
// the column limit wraps, in the body or the header font: every such row is one line high.
TEST(TableGrid, CellsWithinTheColumnLimitStayOnOneLine) {
    const auto rowHeight = [](const std::string& text, bool header) {
        ce::TableStructure t = table(1, 1);
        t.cells[0].text = text;
        t.cells[0].columnHeader = header;
        return TableGridView(t).tracks().heights.at(0);
    };
    for (bool header : {true, false}) {
        SCOPED_TRACE(header ? "header" : "body");
        const double oneLine = rowHeight("x", header);
        for (const char* text : {"Full time", "Part time", "Precio unitario", "Other operating costs",
                                 "Mantenimiento anual de climatizaci\u00f3n", "North (5 stores)", "(34,870)"}) {
            EXPECT_EQ(rowHeight(text, header), oneLine) << text;
        }
    }
}

}  // namespace

namespace {

TEST(RawOutputWidget, ShowsCSVRowsOneALineWithoutWrapping) {
    ce::ConversionResult result;
    result.source = "/docs/t.pdf";
    ce::ConvertedPage page = samplePage();
    result.pages = {page};
    RawOutputView view;
    view.showPage(result, "t", page, ce::OutputFormat::csv, ',');
    const QStringList lines = view.toPlainText().split(u'\n');
    EXPECT_EQ(lines.value(0), "t-table-1.csv");
    EXPECT_EQ(lines.value(2), "r0c0,r0c1");
    EXPECT_EQ(lines.value(3), "'=SUM(A1),r1c1");
    EXPECT_EQ(view.lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_TRUE(view.isReadOnly());
}

}  // namespace

namespace {

// Long pages scroll: the scroll bar's handle must be easy to find against its groove.
TEST(ViewStyleLook, ScrollBarHandleStandsOutFromItsGroove) {
    QScrollBar bar(Qt::Vertical);
    bar.setRange(0, 100);
    bar.setPageStep(50);
    bar.resize(bar.sizeHint().width(), 300);
    const QImage image = bar.grab().toImage();
    // At the top: the handle takes the upper third of the groove.
    const int x = image.width() / 2;
    const int inHandle = qGray(image.pixel(x, 60));
    const int inGroove = qGray(image.pixel(x, 240));
    EXPECT_GE(inGroove - inHandle, 60) << inHandle << " on " << inGroove;
}

// The face of a prominent button, sampled beside its text: the accent while it can be
// pressed, grey (hardly any hue) while disabled, and the plain face again once it is no longer prominent.
TEST(ViewStyleLook, ProminentButtonIsFilledWithTheAccent) {
    QPushButton button(QStringLiteral("Convert"));
    const auto face = [&button] {
        button.resize(button.sizeHint());
        const QImage image = button.grab().toImage();
        return QColor(image.pixel(5, image.height() / 2));
    };
    ViewStyle::setProminent(button, true);
    EXPECT_EQ(face(), ViewStyle::color(ViewStyle::SystemColor::blue));
    button.setEnabled(false);
    EXPECT_LT(face().hsvSaturation(), 20);
    button.setEnabled(true);
    ViewStyle::setProminent(button, false);
    EXPECT_LT(face().hsvSaturation(), 20);
}

// A message box's standard OK carries no icon, like the buttons it is given by name, and
// a long label keeps clear of the button's frame.
TEST(ViewStyleLook, MessageBoxButtonsHaveNoIconsAndRoomForTheirLabel) {
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Ok);
    QPushButton* named = box.addButton(QStringLiteral("Show in File Manager"), QMessageBox::AcceptRole);
    EXPECT_TRUE(box.button(QMessageBox::Ok)->icon().isNull());
    EXPECT_TRUE(named->icon().isNull());
    EXPECT_GE(named->sizeHint().width(), named->fontMetrics().horizontalAdvance(named->text()) + 20);
}

}  // namespace
