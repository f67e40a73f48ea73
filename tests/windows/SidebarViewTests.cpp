// The sidebar: selection in step with the session, the row menu, Delete, the removal
// confirmation and the empty state.
#include <gtest/gtest.h>

#include "StatusFooter.h"
#include <algorithm>

#include <QApplication>
#include <QMenu>
#include <QTest>

#include "FileRow.h"
#include "ViewStyle.h"
#include "windows/SidebarView.h"
#include "WindowFixture.h"

namespace windowtests {
namespace {

using State = session::DocumentItem::State;

class SidebarTest : public WindowFixture {
protected:
    SidebarTest() {
        sidebar = std::make_unique<windows::SidebarView>(*session, dialogs);
        sidebar->resize(290, 600);
        sidebar->show();
    }
    ~SidebarTest() override { sidebar.reset(); }

    QPoint centreOf(const QUuid& id) {
        const auto* row = sidebar->row(id);
        return row->mapTo(sidebar->list()->viewport(), row->rect().center());
    }
    QList<QAction*> menuFor(const QUuid& id) {
        menu.reset(sidebar->rowMenu(id, nullptr));
        return menu->actions();
    }

    std::unique_ptr<windows::SidebarView> sidebar;
    std::unique_ptr<QMenu> menu;
};

TEST_F(SidebarTest, SelectionIsKeptInStepBothWays) {
    const auto items = add({QStringLiteral("a.pdf"), QStringLiteral("b.pdf"), QStringLiteral("c.pdf")});
    EXPECT_EQ(session->selection(), QSet<QUuid>{items[0]->id()});  // the first addition selects its first file
    EXPECT_TRUE(sidebar->list()->item(0)->isSelected());

    session->setSelection({items[1]->id(), items[2]->id()});
    EXPECT_FALSE(sidebar->list()->item(0)->isSelected());
    EXPECT_TRUE(sidebar->list()->item(1)->isSelected());
    EXPECT_TRUE(sidebar->list()->item(2)->isSelected());
    EXPECT_EQ(sidebar->list()->currentRow(), 1);  // the keyboard goes on from the selection

    QTest::mouseClick(sidebar->list()->viewport(), Qt::LeftButton, {}, centreOf(items[0]->id()));
    EXPECT_EQ(session->selection(), QSet<QUuid>{items[0]->id()});
    QTest::mouseClick(sidebar->list()->viewport(), Qt::LeftButton, Qt::ControlModifier, centreOf(items[2]->id()));
    EXPECT_EQ(session->selection(), (QSet<QUuid>{items[0]->id(), items[2]->id()}));
}

TEST_F(SidebarTest, RightClickDoesNotSelectAndTheMenuActsOnTheRightRows) {
    const auto items = add({QStringLiteral("a.pdf"), QStringLiteral("b.pdf"), QStringLiteral("c.pdf")});
    session->setSelection({items[0]->id(), items[1]->id()});
    QTest::mouseClick(sidebar->list()->viewport(), Qt::RightButton, {}, centreOf(items[2]->id()));
    EXPECT_EQ(session->selection(), (QSet<QUuid>{items[0]->id(), items[1]->id()}));

    EXPECT_EQ(sidebar->targetIDs(items[2]->id()), QSet<QUuid>{items[2]->id()});
    EXPECT_EQ(sidebar->targetIDs(items[1]->id()), (QSet<QUuid>{items[0]->id(), items[1]->id()}));

    auto actions = menuFor(items[1]->id());
    ASSERT_EQ(actions.size(), 2);
    EXPECT_EQ(actions[0]->text(), QStringLiteral("Show in File Manager"));
    EXPECT_EQ(actions[1]->text(), QStringLiteral("Remove from List"));
    actions[0]->trigger();  // reveals the clicked row's file only
    ASSERT_EQ(log->reveals.size(), 1u);
    EXPECT_EQ(log->reveals[0], QList<QUrl>{items[1]->url()});
    actions[1]->trigger();  // nothing converted: removed at once, the whole selection
    EXPECT_EQ(session->items().size(), 1u);
    EXPECT_EQ(session->items()[0], items[2]);
    EXPECT_TRUE(session->selection().isEmpty());
}

TEST_F(SidebarTest, RunningRowsCannotBeRemovedFromTheirMenuAndSamplesCannotBeShown) {
    const auto items = add({QStringLiteral("a.pdf"), QStringLiteral("b.pdf")});
    items[0]->setState(State::converting(1, 3));
    session->setSelection({items[0]->id(), items[1]->id()});
    EXPECT_FALSE(menuFor(items[0]->id())[1]->isEnabled());
    EXPECT_TRUE(menuFor(items[1]->id())[1]->isEnabled());
    items[0]->setState(State::queued());
    EXPECT_FALSE(menuFor(items[0]->id())[1]->isEnabled());

    session->addFiles({file(QStringLiteral("sample.pdf"))}, true);
    executor->runAll();
    settle();
    const auto sample = session->items().back();
    ASSERT_TRUE(sample->isSample());
    auto actions = menuFor(sample->id());
    EXPECT_FALSE(actions[0]->isEnabled());
    EXPECT_TRUE(actions[1]->isEnabled());
}

TEST_F(SidebarTest, StoppedRowLosesTheProgressBarsHeightAtOnce) {
    const auto items = add({QStringLiteral("a.pdf"), QStringLiteral("b.pdf")});
    items[0]->setState(State::converting(1, 3));
    settle();
    const int converting = sidebar->list()->item(0)->sizeHint().height();
    items[0]->setState(State::cancelled());
    items[1]->setState(State::cancelled());
    EXPECT_EQ(sidebar->list()->item(0)->sizeHint().height(), sidebar->list()->item(1)->sizeHint().height());
    EXPECT_LT(sidebar->list()->item(0)->sizeHint().height(), converting);
}

TEST_F(SidebarTest, DeletePassesTheWholeSelection) {
    const auto items = add({QStringLiteral("a.pdf"), QStringLiteral("b.pdf")});
    convert(items[1]);
    session->setSelection({items[0]->id(), items[1]->id()});
    sidebar->deleteAction()->trigger();
    ASSERT_TRUE(session->pendingRemoval().has_value());
    EXPECT_EQ(*session->pendingRemoval(), (QSet<QUuid>{items[0]->id(), items[1]->id()}));
}

struct AnswerCase {
    const char* name;
    bool remove;
    std::size_t itemsLeft;
};

class RemovalAnswerTest : public SidebarTest, public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(RemovalAnswerTest, EveryAnswerClearsThePendingRemoval) {
    const auto items = add({QStringLiteral("a.pdf"), QStringLiteral("b.pdf")});
    convert(items[0]);
    session->requestRemoval({items[0]->id(), items[1]->id()});
    settle();
    ASSERT_EQ(log->confirmations.size(), 1u);
    EXPECT_EQ(log->confirmations[0].title, QStringLiteral("Discard converted files?"));
    EXPECT_EQ(log->confirmations[0].message, QStringLiteral("Their converted results haven’t been exported."));
    EXPECT_EQ(log->confirmations[0].action, QStringLiteral("Remove"));
    EXPECT_EQ(session->items().size(), 2u);

    log->answerConfirmation(GetParam().remove);
    EXPECT_FALSE(session->pendingRemoval().has_value());
    EXPECT_EQ(session->items().size(), GetParam().itemsLeft);
    settle();
    EXPECT_EQ(log->confirmations.size(), 1u);
}

// Escape and closing the box answer like Cancel.
INSTANTIATE_TEST_SUITE_P(Answers, RemovalAnswerTest,
                         ::testing::Values(AnswerCase{"Remove", true, 0}, AnswerCase{"CancelOrEscape", false, 2}),
                         [](const auto& info) { return std::string(info.param.name); });

// The rows' texts turn to the selection's text colour exactly when the selection is drawn
// as the accent: in the active window, whether or not the list has the keyboard focus.
TEST_F(SidebarTest, SelectionIsTheAccentOnlyInTheActiveWindow) {
    // Inside a window, as in the main window.
    QWidget window;
    auto* inside = new windows::SidebarView(*session, dialogs, &window);
    inside->resize(290, 600);
    window.resize(290, 600);
    window.show();
    const auto items = add({QStringLiteral("a.pdf"), QStringLiteral("b.pdf")});
    const auto selectionColour = [&] {
        const QRect row = inside->list()->visualItemRect(inside->list()->item(0));
        return inside->list()->viewport()->grab().toImage().pixelColor(row.right() - 1, row.top() + 1);
    };
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    inside->list()->clearFocus();
    EXPECT_EQ(selectionColour(), ViewStyle::color(ViewStyle::SystemColor::blue));
    EXPECT_TRUE(inside->row(items[0]->id())->onAccent());

    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_EQ(selectionColour(), ViewStyle::inactiveSelection());
    EXPECT_FALSE(inside->row(items[0]->id())->onAccent());
    EXPECT_EQ(inside->row(items[0]->id())->statusLineColor(), ViewStyle::secondaryText());

    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_TRUE(inside->row(items[0]->id())->onAccent());
}

TEST_F(SidebarTest, EmptyListShowsNoFilesAndTheFooterStays) {
    EXPECT_TRUE(sidebar->showsEmptyState());
    EXPECT_TRUE(sidebar->footer()->isVisible());
    const auto items = add({QStringLiteral("a.pdf")});
    EXPECT_FALSE(sidebar->showsEmptyState());
    session->removeItems({items[0]->id()});
    EXPECT_TRUE(sidebar->showsEmptyState());
}

// The empty list's description wraps into even lines at the sidebar's narrowest, usual and
// widest width: its last line is never a word left alone.
TEST_F(SidebarTest, EmptyListTextWrapsIntoEvenLines) {
    const QString text = QStringLiteral("Drop PDFs or images here, or use the + button.");
    QWidget* description = nullptr;
    for (auto* child : sidebar->findChildren<QWidget*>()) {
        if (child->property("text").toString() == text) description = child;
    }
    ASSERT_NE(description, nullptr);
    for (const int width : {240, 290, 420}) {
        SCOPED_TRACE(width);
        sidebar->resize(width, 600);
        settle();
        // The ink of each line, a line's spacing apart from the top.
        const QImage image = description->grab().toImage();
        const int spacing = QFontMetrics(description->font()).lineSpacing();
        const QRgb background = image.pixel(0, 0);
        std::vector<int> inkWidths;
        for (int top = 0; top + spacing / 2 < image.height(); top += spacing) {
            int left = image.width(), right = -1;
            for (int y = top; y < std::min(top + spacing, image.height()); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    if (std::abs(qGray(image.pixel(x, y)) - qGray(background)) < 40) continue;
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
            }
            if (right >= left) inkWidths.push_back(right - left + 1);
        }
        ASSERT_FALSE(inkWidths.empty());
        const int widest = *std::max_element(inkWidths.begin(), inkWidths.end());
        EXPECT_GE(inkWidths.back() * 2, widest) << inkWidths.size() << " lines, the last " << inkWidths.back()
                                                << " of " << widest << " pixels wide";
    }
}

}  // namespace
}  // namespace windowtests
