// The preview pane: page navigation and its limits, the output pane shown for each
// item state and format, the output choice, the region switch and legend, and hover
// and selection cleared by a page turn.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <filesystem>
#include <fstream>

#include "EmptyStateView.h"
#include "PreviewView.h"
#include "RegionLegend.h"
#include "RegionLink.h"
#include "SourcePageView.h"
#include "SplitPane.h"
#include "ViewsFixtures.h"
#include "input/TestFiles.h"
#include "session/Paths.h"
#include "session/Settings.h"

using namespace viewsfixtures;
using Pane = PreviewRules::Pane;
using State = session::DocumentItem::State;

namespace {

TEST(PreviewRulesTable, PaneForEachStateAndFormat) {
    ce::ConvertedPage page = samplePage();
    ce::ConvertedPage failed = page;
    failed.failure = "broken";
    const auto md = ce::OutputFormat::markdown;
    EXPECT_EQ(PreviewRules::pane(&page, false, md, State::converted()), Pane::rendered);
    EXPECT_EQ(PreviewRules::pane(&page, true, md, State::converted()), Pane::raw);
    EXPECT_EQ(PreviewRules::pane(&page, true, ce::OutputFormat::docx, State::converted()), Pane::rendered);
    EXPECT_EQ(PreviewRules::pane(&failed, true, md, State::converted()), Pane::failedPage);
    // A page missing from the result shows the status, also while an earlier result is kept.
    EXPECT_EQ(PreviewRules::pane(nullptr, false, md, State::converting(1, 4)), Pane::converting);
    EXPECT_EQ(PreviewRules::pane(nullptr, false, md, State::failed("x")), Pane::failedDocument);
    EXPECT_EQ(PreviewRules::pane(nullptr, false, md, State::queued()), Pane::queued);
    for (const State& s : {State::ready(), State::converted(), State::cancelled()})
        EXPECT_EQ(PreviewRules::pane(nullptr, false, md, s), Pane::notConverted);
}

TEST(PreviewRulesTable, CountsLabelsAndCaptions) {
    EXPECT_EQ(PreviewRules::pageCount(std::nullopt), 1);
    EXPECT_EQ(PreviewRules::pageCount(0), 1);
    EXPECT_EQ(PreviewRules::pageCount(5), 5);
    const PreviewRules::PageNavigation last{4, 5};
    EXPECT_FALSE(last.canGoNext());
    EXPECT_EQ(last.next(), 4);
    EXPECT_EQ(last.previous(), 3);
    EXPECT_FALSE((PreviewRules::PageNavigation{0, 5}).canGoPrevious());
    EXPECT_EQ(PreviewRules::pageLabel({2, 7}), "Page 3 of 7");
    EXPECT_EQ(PreviewRules::convertingCaption(2, 5), "Converting page 3 of 5\u2026");
    EXPECT_EQ(PreviewRules::convertingCaption(5, 5), "Converting page 5 of 5\u2026");
    EXPECT_EQ(PreviewRules::progressTotal(1), 1);
    EXPECT_EQ(PreviewRules::progressTotal(0), 1);
    EXPECT_EQ(PreviewRules::rawOptionTitle(ce::OutputFormat::csv), "CSV");
    EXPECT_EQ(PreviewRules::rawOptionTitle(ce::OutputFormat::markdown), "Markdown");
}

class PreviewViewTest : public ::testing::Test {
protected:
    PreviewViewTest() : settings(dir.filePath("settings.ini")) {}

    // An item of `pages` pages whose first `converted` pages hold a result.
    session::DocumentItemPtr makeItem(std::optional<int> pages, int converted) {
        auto item = std::make_shared<session::DocumentItem>(QUrl::fromLocalFile(dir.filePath("doc.pdf")), "", false);
        item->setPageCount(pages);
        if (converted > 0) {
            auto result = std::make_shared<ce::ConversionResult>();
            result->source = dir.filePath("doc.pdf").toStdString();
            for (int i = 0; i < converted; ++i) result->pages.push_back(samplePage(i));
            item->setResult(result);
            item->setState(State::converted());
        }
        return item;
    }

    std::unique_ptr<PreviewView> makeView(session::DocumentItemPtr item, ce::OutputFormat format = ce::OutputFormat::markdown) {
        auto view = std::make_unique<PreviewView>(std::move(item), format, nullptr, &settings);
        view->resize(1000, 600);
        view->show();
        return view;
    }

    QTemporaryDir dir;
    session::Settings settings;
};

TEST_F(PreviewViewTest, UnknownPageCountShowsOnePageWithBothArrowsOff) {
    auto view = makeView(makeItem(std::nullopt, 0));
    EXPECT_EQ(view->pageLabel()->text(), "Page 1 of 1");
    EXPECT_FALSE(view->previousButton()->isEnabled());
    EXPECT_FALSE(view->nextButton()->isEnabled());
    EXPECT_EQ(view->navigation().count, 1);
}

TEST_F(PreviewViewTest, ArrowsStopAtTheFirstAndLastPage) {
    auto view = makeView(makeItem(5, 5));
    EXPECT_FALSE(view->previousButton()->isEnabled());
    EXPECT_TRUE(view->nextButton()->isEnabled());
    view->setPageIndex(4);
    EXPECT_EQ(view->pageLabel()->text(), "Page 5 of 5");
    EXPECT_FALSE(view->nextButton()->isEnabled());
    view->nextPage();
    EXPECT_EQ(view->pageIndex(), 4);
    view->setPageIndex(9);
    EXPECT_EQ(view->pageIndex(), 4);
    view->previousButton()->click();
    EXPECT_EQ(view->pageIndex(), 3);
}

TEST_F(PreviewViewTest, ArrowKeysTurnPagesWhileTheWindowHasFocus) {
    auto view = makeView(makeItem(3, 3));
    QApplication::setActiveWindow(view.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
    QTest::keyClick(view.get(), Qt::Key_Right);
    EXPECT_EQ(view->pageIndex(), 1);
    QTest::keyClick(view.get(), Qt::Key_Right);
    QTest::keyClick(view.get(), Qt::Key_Right);
    EXPECT_EQ(view->pageIndex(), 2);
    QTest::keyClick(view.get(), Qt::Key_Left);
    EXPECT_EQ(view->pageIndex(), 1);
}

TEST_F(PreviewViewTest, ToolbarControlsTakeTabFocusAndTheDividerLeavesLeftAndRightToPages) {
    auto view = makeView(makeItem(3, 3));
    QApplication::setActiveWindow(view.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
    for (QWidget* control : std::initializer_list<QWidget*>{view->previousButton(), view->nextButton(),
                                                            view->regionsToggle(), view->renderedOption(),
                                                            view->rawOption()}) {
        EXPECT_TRUE(control->focusPolicy() & Qt::TabFocus) << control->metaObject()->className();
    }
    // With a toolbar control focused, the arrow keys still turn pages.
    view->nextButton()->setFocus();
    QTest::keyClick(view->nextButton(), Qt::Key_Right);
    EXPECT_EQ(view->pageIndex(), 1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);
    EXPECT_EQ(view->pageIndex(), 0);

    // The focused divider turns pages with Left and Right and steps the split with Up and Down.
    QWidget* handle = view->splitPane()->handle();
    handle->setFocus();
    ASSERT_TRUE(handle->hasFocus());
    QTest::keyClick(handle, Qt::Key_Right);
    EXPECT_EQ(view->pageIndex(), 1);
    QTest::keyClick(handle, Qt::Key_Up);
    EXPECT_NEAR(settings.previewSplit(), 0.55, 1e-9);
}

// A file keeps its name's bytes from the list to the preview: one that is not UTF-8 is drawn.
TEST_F(PreviewViewTest, SourcePageOfANameThatIsNotUTF8IsDrawn) {
    ce::testing::TestPage page;
    page.mediaBox = "0 0 200 300";
    const std::filesystem::path path = std::filesystem::path(dir.path().toStdString()) / "caf\xe9.pdf";
    std::ofstream(path, std::ios::binary) << ce::testing::makePDF({page, page});
    auto item = std::make_shared<session::DocumentItem>(session::Paths::toUrl(path), "", false);
    item->setPageCount(2);
    auto view = makeView(item);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !view->sourcePage()->isLoading(); }, 20000));
    EXPECT_FALSE(view->sourcePage()->loadFailed());
    EXPECT_EQ(view->sourcePage()->image().size(), QSize(600, 900));
    view->nextPage();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !view->sourcePage()->isLoading(); }, 20000));
    EXPECT_FALSE(view->sourcePage()->loadFailed());
    std::filesystem::remove(path);  // QTemporaryDir cannot name it to remove it
}

TEST_F(PreviewViewTest, PageArrowsHaveIconsWithoutAnIconTheme) {
    const QString theme = QIcon::themeName();
    QIcon::setThemeName(QString());
    auto view = makeView(makeItem(3, 3));
    for (QToolButton* button : {view->previousButton(), view->nextButton()}) {
        const QImage icon = button->icon().pixmap(16, 16).toImage();
        bool drawn = false;
        for (int y = 0; y < icon.height() && !drawn; ++y)
            for (int x = 0; x < icon.width() && !drawn; ++x) drawn = qAlpha(icon.pixel(x, y)) > 0;
        EXPECT_TRUE(drawn);
    }
    QIcon::setThemeName(theme);
}

TEST_F(PreviewViewTest, PageTurnClearsHoverAndSelection) {
    auto view = makeView(makeItem(2, 2));
    view->regionLink()->enter(3);
    view->regionLink()->select(2);
    view->nextPage();
    EXPECT_EQ(view->regionLink()->hovered(), std::nullopt);
    EXPECT_EQ(view->regionLink()->selected(), std::nullopt);
}

TEST_F(PreviewViewTest, OutputChoicePerFormat) {
    auto view = makeView(makeItem(1, 1), ce::OutputFormat::csv);
    EXPECT_FALSE(view->rawOption()->isHidden());
    EXPECT_EQ(view->rawOption()->text(), "CSV");
    view->rawOption()->click();
    EXPECT_EQ(view->pane(), Pane::raw);
    view->setFormat(ce::OutputFormat::markdown);
    EXPECT_EQ(view->rawOption()->text(), "Markdown");
    EXPECT_EQ(view->pane(), Pane::raw);
    view->setFormat(ce::OutputFormat::docx);
    EXPECT_TRUE(view->rawOption()->isHidden());
    EXPECT_TRUE(view->renderedOption()->isHidden());
    EXPECT_EQ(view->pane(), Pane::rendered);  // even with the raw text chosen before
}

TEST_F(PreviewViewTest, OutputViewCommandSwitchesOnlyWhereTheChoiceIsOffered) {
    auto view = makeView(makeItem(1, 1));
    view->switchOutputView();
    EXPECT_EQ(view->pane(), Pane::raw);
    EXPECT_TRUE(view->rawOption()->isChecked());
    view->switchOutputView();
    EXPECT_EQ(view->pane(), Pane::rendered);
    EXPECT_TRUE(view->renderedOption()->isChecked());
    view->setFormat(ce::OutputFormat::docx);
    view->switchOutputView();
    EXPECT_FALSE(view->showsText());
}

TEST_F(PreviewViewTest, PageBeyondTheConvertedOnesShowsTheStatusAndDisablesTheSwitch) {
    auto view = makeView(makeItem(3, 1));
    EXPECT_TRUE(view->regionsToggle()->isEnabled());
    view->setPageIndex(2);
    EXPECT_EQ(view->pane(), Pane::notConverted);
    EXPECT_EQ(view->statusView()->title(), "Not converted yet");
    EXPECT_FALSE(view->regionsToggle()->isEnabled());
    EXPECT_TRUE(view->rawOption()->isHidden());
    EXPECT_EQ(view->legend(), nullptr);
}

TEST_F(PreviewViewTest, StatusViewsFollowTheItemState) {
    auto item = makeItem(4, 0);
    auto view = makeView(item);
    item->setState(State::queued());
    EXPECT_EQ(view->statusView()->caption(), "Waiting\u2026");
    item->setState(State::converting(1, 4));
    EXPECT_EQ(view->statusView()->caption(), "Converting page 2 of 4\u2026");
    EXPECT_EQ(view->statusView()->progressBar()->maximum(), 4);
    item->setState(State::failed("The file can\u2019t be read."));
    EXPECT_EQ(view->statusView()->title(), "Couldn\u2019t convert this file");
    EXPECT_EQ(view->statusView()->description(), "The file can\u2019t be read.");
    EXPECT_TRUE(view->statusView()->actionButton()->isHidden());
    item->setState(State::cancelled());
    EXPECT_EQ(view->statusView()->title(), "Not converted yet");
    EXPECT_FALSE(view->statusView()->actionButton()->isHidden());
    EXPECT_FALSE(view->statusView()->actionButton()->isEnabled());  // no session to convert with
}

TEST_F(PreviewViewTest, FailedPageOffersOneRetry) {
    auto item = makeItem(1, 0);
    auto result = std::make_shared<ce::ConversionResult>();
    ce::ConvertedPage page = samplePage();
    page.failure = "decoder error";
    result->pages = {page};
    item->setResult(result);
    item->setState(State::converted());
    auto view = makeView(item);
    EXPECT_EQ(view->pane(), Pane::failedPage);
    EXPECT_EQ(view->statusView()->description(), "Something went wrong while reading it. Choose Convert to try again.");
    EXPECT_FALSE(view->statusView()->actionButton()->isHidden());
    item->setFailedPagesRetried(true);
    EXPECT_EQ(view->statusView()->description(), "Something went wrong while reading it.");
    EXPECT_TRUE(view->statusView()->actionButton()->isHidden());
}

TEST_F(PreviewViewTest, RegionSwitchWritesTheSettingAndTheLegendFollows) {
    auto view = makeView(makeItem(1, 1));
    ASSERT_NE(view->legend(), nullptr);
    EXPECT_EQ(view->legend()->shown().size(), 4u);
    view->regionsToggle()->click();
    EXPECT_FALSE(settings.showRegions());
    EXPECT_EQ(view->legend(), nullptr);
    settings.setShowRegions(true);
    EXPECT_TRUE(view->regionsToggle()->isChecked());
    EXPECT_NE(view->legend(), nullptr);
}

// The page arrows sit beside their label at the toolbar's left whether or not a legend and
// the output choice take the rest of the row.
TEST_F(PreviewViewTest, PageControlsStayTogetherWhateverElseTheToolbarHolds) {
    const struct {
        const char* name;
        int converted;
        bool showRegions;
    } cases[] = {{"not converted", 0, true}, {"regions off", 1, false}, {"with legend", 1, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        settings.setShowRegions(c.showRegions);
        auto view = makeView(makeItem(3, c.converted));
        view->layout()->activate();
        const QRect label = view->pageLabel()->geometry();
        EXPECT_EQ(label.width(), std::max(100, view->pageLabel()->sizeHint().width()));
        EXPECT_LE(view->nextButton()->geometry().left() - label.right(), 5);
        EXPECT_LE(label.left() - view->previousButton()->geometry().right(), 5);
        EXPECT_LT(view->previousButton()->x(), 20);
    }
}

TEST_F(PreviewViewTest, SplitShareComesFromAndGoesToTheSettings) {
    settings.setPreviewSplit(0.7);
    auto view = makeView(makeItem(1, 1));
    EXPECT_EQ(view->splitPane()->fraction(), 0.7);
    view->splitPane()->adjust(false);
    EXPECT_NEAR(settings.previewSplit(), 0.65, 1e-9);
}

}  // namespace
