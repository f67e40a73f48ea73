// The sidebar row's and footer's texts and marks, and what the row widget shows.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QProgressBar>

#include "FileRow.h"
#include "FileRowText.h"
#include "StatusFooter.h"
#include "WindowFixture.h"

namespace windowtests {
namespace {

using State = session::DocumentItem::State;

struct StatusCase {
    const char* name;
    State state;
    std::optional<int> pageCount;
    QString text;
};

class StatusTextTest : public ::testing::TestWithParam<StatusCase> {};

TEST_P(StatusTextTest, SaysWhereTheDocumentStands) {
    session::DocumentItem item(QUrl::fromLocalFile(QStringLiteral("/tmp/a.pdf")), {}, false);
    item.setPageCount(GetParam().pageCount);
    item.setState(GetParam().state);
    EXPECT_EQ(FileRowText::statusText(item), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    States, StatusTextTest,
    ::testing::Values(StatusCase{"ReadingWhileCounted", State::ready(), std::nullopt, QStringLiteral("Reading…")},
                      StatusCase{"PageCountWhenCounted", State::ready(), 1, QStringLiteral("1 pages")},
                      StatusCase{"Queued", State::queued(), 4, QStringLiteral("Waiting…")},
                      StatusCase{"Cancelled", State::cancelled(), 4, QStringLiteral("Stopped")},
                      StatusCase{"FailureMessageVerbatim", State::failed(QStringLiteral("<b>bad</b> file")),
                                 std::nullopt, QStringLiteral("<b>bad</b> file")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FileRowText, PageProgressNeverPassesTheTotalAndNeverDividesByZero) {
    EXPECT_EQ(FileRowText::pageProgress(0, 0), (FileRowText::PageProgress{0, 1, QStringLiteral("Page 0 of 0")}));
    EXPECT_EQ(FileRowText::pageProgress(2, 5), (FileRowText::PageProgress{2, 5, QStringLiteral("Page 3 of 5")}));
    EXPECT_EQ(FileRowText::pageProgress(5, 5), (FileRowText::PageProgress{5, 5, QStringLiteral("Page 5 of 5")}));
}

TEST(FileRowText, IconTooltipAndMarks) {
    using FileRowText::FileIcon;
    EXPECT_EQ(FileRowText::fileIcon(QUrl::fromLocalFile(QStringLiteral("/x/A.PDF"))), FileIcon::document);
    EXPECT_EQ(FileRowText::fileIcon(QUrl::fromLocalFile(QStringLiteral("/x/a.pdfx"))), FileIcon::photo);
    EXPECT_EQ(FileRowText::fileIcon(QUrl::fromLocalFile(QStringLiteral("/x/scan.png"))), FileIcon::photo);

    const session::DocumentItem nested(QUrl::fromLocalFile(QStringLiteral("/x/a/b/r.pdf")), QStringLiteral("a/b"), false);
    const session::DocumentItem single(QUrl::fromLocalFile(QStringLiteral("/x/r.pdf")), {}, false);
    EXPECT_EQ(FileRowText::tooltip(nested), QStringLiteral("a/b/r.pdf"));
    EXPECT_EQ(FileRowText::tooltip(single), QStringLiteral("r.pdf"));

    EXPECT_EQ(FileRowText::statusMark(State::failed(QStringLiteral("x"))), FileRowText::StatusMark::failed);
    EXPECT_EQ(FileRowText::statusMark(State::converted()), FileRowText::StatusMark::converted);
    EXPECT_EQ(FileRowText::statusMark(State::converting(1, 2)), FileRowText::StatusMark::none);
}

TEST(FileRowText, SummaryCountsFailedPagesBeforeTables) {
    const auto summary = [](int pages, int failed, int tables) {
        return FileRowText::convertedSummary(WindowFixture::result(QStringLiteral("/x/a.pdf"), pages, failed, tables));
    };
    EXPECT_EQ(summary(3, 1, 2), (FileRowText::ConvertedSummary{QStringLiteral("3 pages, 1 failed"), true}));
    EXPECT_EQ(summary(3, 0, 2), (FileRowText::ConvertedSummary{QStringLiteral("3 pages, 2 tables"), false}));
    EXPECT_EQ(summary(1, 0, 0), (FileRowText::ConvertedSummary{QStringLiteral("1 pages"), false}));
}

TEST(StatusFooterText, CountsAndRunProgress) {
    EXPECT_EQ(StatusFooterText::counts(0, 0), QStringLiteral("0 files, 0 converted"));
    EXPECT_EQ(StatusFooterText::runProgress(13, 20), QStringLiteral("13 of 20 pages"));
}

class FileRowTest : public WindowFixture {};

TEST_F(FileRowTest, FollowsTheItemAndShowsNamesAsPlainText) {
    // A file name cannot hold "/", so the markup is left open.
    const auto items = add({QStringLiteral("<b>x<i> & y.pdf")});
    ASSERT_EQ(items.size(), 1u);
    const auto item = items.front();
    FileRow row(item);
    EXPECT_EQ(row.nameText(), QStringLiteral("<b>x<i> & y.pdf"));
    EXPECT_FALSE(row.toolTip().contains(QStringLiteral("<b>x")));
    EXPECT_TRUE(row.toolTip().contains(QStringLiteral("&lt;b&gt;x&lt;i&gt; &amp; y.pdf")));
    EXPECT_EQ(row.statusLineText(), QStringLiteral("3 pages"));

    item->setState(State::converting(0, 3));
    EXPECT_TRUE(row.progressBar()->isVisibleTo(&row));
    EXPECT_EQ(row.progressBar()->maximum(), 3);
    EXPECT_EQ(row.statusLineText(), QStringLiteral("Page 1 of 3"));

    convert(item, 3, 1, 0);
    EXPECT_FALSE(row.progressBar()->isVisibleTo(&row));
    EXPECT_EQ(row.statusLineText(), QStringLiteral("3 pages, 1 failed"));
    EXPECT_EQ(row.shownMark(), FileRowText::StatusMark::converted);
    const QColor warning = row.statusLineColor();
    row.setOnAccent(true);
    EXPECT_NE(row.statusLineColor(), warning);
    EXPECT_EQ(row.statusLineColor(), row.palette().color(QPalette::HighlightedText));
}

TEST_F(FileRowTest, ConvertedWithoutResultShowsOnlyTheCheck) {
    const auto item = add({QStringLiteral("a.pdf")}).front();
    item->setState(State::converted());
    FileRow row(item);
    EXPECT_EQ(row.statusLineText(), QString());
    EXPECT_EQ(row.shownMark(), FileRowText::StatusMark::converted);
}

class StatusFooterTest : public WindowFixture {};

TEST_F(StatusFooterTest, CountsFilesAndClearsThemThroughTheRemovalRequest) {
    StatusFooter footer(*session);
    EXPECT_EQ(footer.text(), QStringLiteral("0 files, 0 converted"));
    EXPECT_FALSE(footer.clearButton()->isVisibleTo(&footer));

    const auto items = add({QStringLiteral("a.pdf"), QStringLiteral("b.pdf")});
    convert(items[0]);
    EXPECT_EQ(footer.text(), QStringLiteral("2 files, 1 converted"));
    EXPECT_TRUE(footer.clearButton()->isVisibleTo(&footer));

    footer.clearAll();  // a's result was never exported: the session asks first
    ASSERT_TRUE(session->pendingRemoval().has_value());
    EXPECT_EQ(*session->pendingRemoval(), (QSet<QUuid>{items[0]->id(), items[1]->id()}));
}

TEST_F(StatusFooterTest, ShowsTheRunsPagesWhileConverting) {
    const auto items = add({QStringLiteral("a.pdf"), QStringLiteral("b.pdf")});
    StatusFooter footer(*session);
    session->startConversion(session::DocumentItem::Language::automatic);
    settle();
    ASSERT_TRUE(session->isConverting());
    EXPECT_EQ(footer.text(), QStringLiteral("0 of 6 pages"));
    EXPECT_TRUE(footer.progressBar()->isVisibleTo(&footer));
    EXPECT_EQ(footer.progressBar()->maximum(), 6);
    EXPECT_FALSE(footer.clearButton()->isVisibleTo(&footer));
    footer.clearAll();
    EXPECT_FALSE(session->pendingRemoval().has_value());
    EXPECT_EQ(session->items().size(), 2u);
}

}  // namespace
}  // namespace windowtests
