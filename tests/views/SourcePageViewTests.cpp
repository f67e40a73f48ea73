// The source page: loading through the renderer (a superseded load is dropped, a file
// replaced on disk loads again), hover and selection over its boxes, tooltips and the
// region switch.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QHelpEvent>

#include "RegionLink.h"
#include "SourcePageView.h"
#include "ViewsFixtures.h"
#include "WidgetTestSupport.h"

using namespace viewsfixtures;

namespace {

class SourcePageViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        view.resize(432, 232);  // a 400 x 200 area inside the padding: the page fills it
        view.show();
    }

    QString image(const QString& name, QColor color, QSize size = {400, 200}) {
        QImage i(size, QImage::Format_RGB888);
        i.fill(color);
        const QString path = dir.filePath(name);
        EXPECT_TRUE(i.save(path));
        return path;
    }

    void load(const QString& path, const ce::ConvertedPage* page) {
        view.setSource(path.toStdString(), 0, page);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !view.isLoading(); }, 20000));
    }

    // The widget point of a page point (the page is drawn at 2 view points per point).
    static QPointF at(double x, double y) { return {16 + 2 * x, 16 + 2 * y}; }

    QTemporaryDir dir;
    RegionLink link;
    SourcePageView view{&link};
    ce::ConvertedPage page = samplePage();
};

TEST_F(SourcePageViewTest, FitsThePageAndFindsItsBoxes) {
    load(image("p.png", Qt::white), &page);
    EXPECT_EQ(view.pageRect(), QRectF(16, 16, 400, 200));
    EXPECT_EQ(view.regionsAt(at(20, 15)), std::vector<int>{2});
    EXPECT_TRUE(view.regionsAt(at(5, 95)).empty());
    view.setShowRegions(false);
    EXPECT_TRUE(view.regionsAt(at(20, 15)).empty());
}

TEST_F(SourcePageViewTest, NotConvertedPageFitsTheImageWithoutBoxes) {
    load(image("tall.png", Qt::white, {100, 400}), nullptr);
    EXPECT_EQ(view.pageRect(), QRectF(16 + 175, 16, 50, 200));
    EXPECT_TRUE(view.regionsAt(QPointF(216, 100)).empty());
}

TEST_F(SourcePageViewTest, HoverFollowsThePointerAndOverlapsKeepTheNewerBox) {
    page.regions.push_back(region(5, ce::DocLabel::picture, {100, 28, 150, 48}));  // overlaps the text box
    load(image("p.png", Qt::white), &page);
    moveTo(&view, at(50, 35));
    EXPECT_EQ(link.hovered(), 3);
    moveTo(&view, at(120, 35));  // inside text and picture
    EXPECT_EQ(link.hovered(), 5);
    moveTo(&view, at(120, 47));  // out of the text box, still in the picture
    EXPECT_EQ(link.hovered(), 5);
    moveTo(&view, at(195, 95));
    EXPECT_EQ(link.hovered(), std::nullopt);
    link.enter(3);  // hovered from the output side: leaving the page does not clear it
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&view, &leave);
    EXPECT_EQ(link.hovered(), 3);
}

TEST_F(SourcePageViewTest, ClickSelectsTheTopmostBox) {
    page.regions.push_back(region(5, ce::DocLabel::picture, {100, 30, 150, 60}));
    load(image("p.png", Qt::white), &page);
    click(&view, at(120, 35));
    EXPECT_EQ(link.selected(), 5);
    click(&view, at(120, 35));
    EXPECT_EQ(link.selected(), 5);
    click(&view, at(195, 95));  // empty space keeps the selection
    EXPECT_EQ(link.selected(), 5);
}

TEST_F(SourcePageViewTest, FurnitureTooltipSaysItIsLeftOut) {
    load(image("p.png", Qt::white), &page);
    const QPointF pos = at(50, 5);
    QHelpEvent help(QEvent::ToolTip, pos.toPoint(), view.mapToGlobal(pos.toPoint()));
    QApplication::sendEvent(&view, &help);
    EXPECT_TRUE(QToolTip::text().contains("Page header (left out of the output)")) << QToolTip::text().toStdString();
    QToolTip::hideText();
}

TEST_F(SourcePageViewTest, EachBoxIsAnAccessibleButtonThatSelects) {
    load(image("p.png", Qt::white), &page);
    QAccessibleInterface* pageInterface = QAccessible::queryAccessibleInterface(&view);
    ASSERT_NE(pageInterface, nullptr);
    ASSERT_EQ(pageInterface->childCount(), 4);
    QAccessibleInterface* header = pageInterface->child(0);
    EXPECT_EQ(header->text(QAccessible::Name), "Page header");
    EXPECT_EQ(header->role(), QAccessible::Button);
    EXPECT_EQ(header->rect().size(), QSize(360, 12));
    QAccessibleInterface* table = pageInterface->child(3);
    ASSERT_NE(table->actionInterface(), nullptr);
    table->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(link.selected(), 4);
    EXPECT_EQ(pageInterface->indexOfChild(table), 3);
    view.setShowRegions(false);
    EXPECT_EQ(pageInterface->childCount(), 0);
    EXPECT_FALSE(table->isValid());
}

TEST_F(SourcePageViewTest, ALaterPageWinsOverAnEarlierLoad) {
    const QString first = image("first.png", Qt::red);
    const QString second = image("second.png", Qt::blue);
    view.setSource(first.toStdString(), 0, &page);
    view.setSource(second.toStdString(), 0, &page);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !view.isLoading(); }, 20000));
    QTest::qWait(100);  // let any late result of the first page arrive
    EXPECT_EQ(view.image().pixelColor(0, 0), QColor(Qt::blue));
    EXPECT_EQ(view.currentKey(), PageRenderer::cacheKey(second.toStdString(), 0));
}

TEST_F(SourcePageViewTest, UnreadableFileShowsNoPreview) {
    load(dir.filePath("missing.png"), &page);
    EXPECT_TRUE(view.loadFailed());
    EXPECT_TRUE(view.regionsAt(at(20, 15)).empty());
}

TEST_F(SourcePageViewTest, FileReplacedOnDiskLoadsAgain) {
    const QString path = image("page.png", Qt::red);
    load(path, &page);
    EXPECT_EQ(view.image().pixelColor(0, 0), QColor(Qt::red));
    // Replaced the way editors save: a new file renamed over the old one.
    const QString replacement = image("page.tmp.png", Qt::blue, {400, 200});
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QFile::rename(replacement, path));
    ASSERT_TRUE(QTest::qWaitFor([&] { return view.image().pixelColor(0, 0) == QColor(Qt::blue); }, 10000));
    // The watch was taken up again: a second change is seen too.
    image("page.png", Qt::green);
    EXPECT_TRUE(QTest::qWaitFor([&] { return view.image().pixelColor(0, 0) == QColor(Qt::green); }, 10000));
}

}  // namespace
