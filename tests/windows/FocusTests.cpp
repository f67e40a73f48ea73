// Keyboard focus in the main window: Tab goes through every control of the window in each
// of its states, and each control it reaches looks different while it has the focus.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <algorithm>
#include <cstdlib>
#include <set>

#include "EmptyStateView.h"
#include "PreviewView.h"
#include "windows/DropZoneView.h"
#include "windows/MainView.h"
#include "windows/SidebarView.h"
#include "WindowFixture.h"

namespace windowtests {
namespace {

// The window shows the drop zone, a converted document's page, or a document not converted yet.
enum class Detail { dropZone, convertedPage, notConverted };

std::string detailName(const ::testing::TestParamInfo<Detail>& info) {
    switch (info.param) {
    case Detail::dropZone: return "DropZone";
    case Detail::convertedPage: return "ConvertedPage";
    case Detail::notConverted: return "NotConverted";
    }
    return "Unknown";
}

QString describe(const QWidget* widget) {
    QString text = QString::fromLatin1(widget->metaObject()->className());
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) text += QStringLiteral(" \"%1\"").arg(button->text());
    if (!widget->accessibleName().isEmpty()) text += QStringLiteral(" (%1)").arg(widget->accessibleName());
    return text;
}

// The pixels that differ plainly (by 60 or more in a channel) between two pictures of a widget.
int plainlyChangedPixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return a.width() * a.height();
    int changed = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            if (std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)), std::abs(qBlue(p) - qBlue(q))}) >= 60)
                ++changed;
        }
    }
    return changed;
}

class FocusTest : public WindowFixture, public ::testing::WithParamInterface<Detail> {
protected:
    FocusTest() {
        settings->setOutputFormat(ce::OutputFormat::markdown);
        items = add({QStringLiteral("report.pdf"), QStringLiteral("scan.png")});
        convert(items[0]);
        window = std::make_unique<windows::MainView>(*session, *settings, dialogs, nullptr, shell::ResourceBundle{});
        if (GetParam() == Detail::dropZone) session->setSelection({});
        if (GetParam() == Detail::convertedPage) session->setSelection({items[0]->id()});
        if (GetParam() == Detail::notConverted) session->setSelection({items[1]->id()});
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        settle();
    }
    ~FocusTest() override { window.reset(); }

    void pressTab() {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : window.get();
        QTest::keyClick(target, Qt::Key_Tab);
        settle();
    }

    std::vector<session::DocumentItemPtr> items;
    std::unique_ptr<windows::MainView> window;
};

TEST_P(FocusTest, EveryControlTabReachesShowsItsFocus) {
    std::vector<QWidget*> visited;
    pressTab();
    for (int step = 0; step < 40; ++step) {
        QWidget* focused = QApplication::focusWidget();
        ASSERT_NE(focused, nullptr) << "after " << step << " Tab presses";
        if (!visited.empty() && focused == visited.front()) break;
        visited.push_back(focused);
        const QImage withFocus = focused->grab().toImage();
        pressTab();
        ASSERT_NE(QApplication::focusWidget(), focused) << describe(focused).toStdString() << " keeps the focus";
        const QImage withoutFocus = focused->grab().toImage();
        // At least a line's worth along two sides: a frame or ring, not a stray pixel.
        EXPECT_GE(plainlyChangedPixels(withFocus, withoutFocus), focused->width() + focused->height())
            << describe(focused).toStdString() << " hardly changes when it takes the focus";
    }

    // Of a row of exclusive choices, the chosen one is the Tab stop.
    std::vector<QWidget*> expected = {window->addButton(), window->formatButton(settings->outputFormat()),
                                      window->languageButton(), window->convertButton(), window->exportButton(),
                                      window->sidebar()->list()};
    if (GetParam() == Detail::dropZone) {
        for (auto* button : window->dropZone()->findChildren<QPushButton*>()) expected.push_back(button);
    } else {
        auto* preview = qobject_cast<PreviewView*>(window->preview());
        ASSERT_NE(preview, nullptr);
        expected.push_back(preview->regionsToggle());
        if (GetParam() == Detail::notConverted) expected.push_back(preview->statusView()->actionButton());
        if (GetParam() == Detail::convertedPage) {
            expected.insert(expected.end(), {preview->nextButton(), preview->renderedOption()});
        }
    }
    const std::set<QWidget*> reached(visited.begin(), visited.end());
    for (QWidget* control : expected) {
        if (!control->isEnabled()) continue;
        EXPECT_TRUE(reached.count(control)) << describe(control).toStdString() << " is never reached by Tab";
    }
}

INSTANTIATE_TEST_SUITE_P(WindowStates, FocusTest,
                         ::testing::Values(Detail::dropZone, Detail::convertedPage, Detail::notConverted), detailName);

}  // namespace
}  // namespace windowtests
