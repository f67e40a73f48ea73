#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "app/QuitQuestion.h"
#include "session/DocumentItem.h"

namespace app {
namespace {

using AppDelegate::ItemFacts;

constexpr ItemFacts unexported{true, false, false};
constexpr ItemFacts exported{true, true, false};
constexpr ItemFacts sample{true, false, true};
constexpr ItemFacts failed{false, false, false};

struct QuitCase {
    const char* name;
    AppDelegate::State state;
    const char* expected;  // nullptr: quit without asking
};

// Shown by the test runner in place of the case's bytes.
void PrintTo(const QuitCase& c, std::ostream* os) { *os << c.name; }

class QuitQuestionText : public testing::TestWithParam<QuitCase> {};

TEST_P(QuitQuestionText, IsChosenFromTheStateAtThatMoment) {
    const auto asked = AppDelegate::question(GetParam().state);
    if (!GetParam().expected) {
        EXPECT_FALSE(asked);
        return;
    }
    ASSERT_TRUE(asked);
    EXPECT_EQ(asked->message, QString::fromUtf8(GetParam().expected));
    EXPECT_EQ(asked->informative, QStringLiteral("Converted files that weren\u2019t exported are lost."));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, QuitQuestionText,
    testing::Values(QuitCase{"EmptyList", {false, {}}, nullptr},
                    QuitCase{"SamplesOnly", {false, {sample, sample}}, nullptr},
                    QuitCase{"Exported", {false, {exported}}, nullptr},
                    QuitCase{"FailedHasNoResult", {false, {failed}}, nullptr},
                    QuitCase{"Unexported", {false, {exported, sample, unexported}}, "Quit without exporting?"},
                    QuitCase{"ConvertingBeforeAnyPage", {true, {failed}}, "Quit while converting?"},
                    QuitCase{"ConvertingWithUnexported", {true, {unexported}}, "Quit while converting?"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AppDelegate, ReadsResultExportedAndSampleOfAnItem) {
    session::DocumentItem item(QUrl::fromLocalFile("/docs/a.pdf"), QString(), false);
    EXPECT_FALSE(AppDelegate::holdsUnsavedWork(AppDelegate::factsOf(item)));
    item.setResult(std::make_shared<const ce::ConversionResult>());
    EXPECT_TRUE(AppDelegate::holdsUnsavedWork(AppDelegate::factsOf(item)));
    item.setExported(true);
    EXPECT_FALSE(AppDelegate::holdsUnsavedWork(AppDelegate::factsOf(item)));
    session::DocumentItem sample(QUrl::fromLocalFile("/res/Annual Report.pdf"), QString(), true);
    sample.setResult(std::make_shared<const ce::ConversionResult>());
    EXPECT_FALSE(AppDelegate::holdsUnsavedWork(AppDelegate::factsOf(sample)));
}

// Answers the next modal question by clicking the button with `role`.
void answerNextQuestion(QMessageBox::ButtonRole role) {
    QTimer::singleShot(0, [role] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        for (QAbstractButton* button : box->buttons()) {
            if (box->buttonRole(button) == role) button->click();
        }
    });
}

TEST(QuitQuestion, QuitAndCancel) {
    const AppDelegate::State converting{true, {unexported}};
    answerNextQuestion(QMessageBox::RejectRole);
    EXPECT_FALSE(QuitQuestion::confirm(nullptr, converting));
    answerNextQuestion(QMessageBox::DestructiveRole);
    EXPECT_TRUE(QuitQuestion::confirm(nullptr, converting));
    EXPECT_TRUE(QuitQuestion::confirm(nullptr, AppDelegate::State{false, {exported}}));  // no question at all
}

TEST(QuitQuestion, EnterAndEscapeAnswerCancel) {
    const auto asked = AppDelegate::question(AppDelegate::State{false, {unexported}});
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        QTimer::singleShot(0, [key] { QTest::keyClick(QApplication::activeModalWidget(), key); });
        EXPECT_FALSE(QuitQuestion::ask(nullptr, *asked)) << key;
    }
}

// The desktop's button order places the two; Quit is the destructive one.
TEST(QuitQuestion, AsksWithQuitAndCancel) {
    const auto box = QuitQuestion::make(nullptr, *AppDelegate::question(AppDelegate::State{true, {}}));
    std::map<QString, QMessageBox::ButtonRole> roles;
    for (QAbstractButton* button : box->buttons()) roles[button->text().remove(u'&')] = box->buttonRole(button);
    EXPECT_EQ(roles, (std::map<QString, QMessageBox::ButtonRole>{{"Quit", QMessageBox::DestructiveRole},
                                                                 {"Cancel", QMessageBox::RejectRole}}));
    EXPECT_EQ(box->text(), "Quit while converting?");
}

}  // namespace
}  // namespace app
