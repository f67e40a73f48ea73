#include <gtest/gtest.h>

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <functional>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "session/DocumentItem.h"
#include "session/FileStamp.h"

using namespace session;
using State = DocumentItem::State;

namespace {

DocumentItem makeItem() { return DocumentItem(QUrl::fromLocalFile(QStringLiteral("/tmp/a.pdf")), {}, false); }

TEST(DocumentItem, NewItemIsReadyWithFreshIdAndNothingCounted) {
    DocumentItem first(QUrl::fromLocalFile(QStringLiteral("/docs/Reports/2023/a.pdf")), QStringLiteral("Reports/2023"), true);
    DocumentItem second = DocumentItem(QUrl::fromLocalFile(QStringLiteral("/docs/a.pdf")), {}, false);
    EXPECT_FALSE(first.id().isNull());
    EXPECT_NE(first.id(), second.id());
    EXPECT_EQ(first.folder(), QStringLiteral("Reports/2023"));
    EXPECT_TRUE(first.isSample());
    EXPECT_EQ(first.state(), State::ready());
    EXPECT_FALSE(first.pageCount());
    EXPECT_EQ(first.result(), nullptr);
    EXPECT_FALSE(first.convertedLanguage());
    EXPECT_FALSE(first.runPages());
    EXPECT_FALSE(first.failedPagesRetried());
    EXPECT_FALSE(first.exported());
}

TEST(DocumentItemState, ComparesByKindAndPayload) {
    EXPECT_EQ(State::failed(QStringLiteral("x")), State::failed(QStringLiteral("x")));
    EXPECT_NE(State::failed(QStringLiteral("x")), State::failed(QStringLiteral("y")));
    EXPECT_EQ(State::converting(2, 5), State::converting(2, 5));
    EXPECT_NE(State::converting(2, 5), State::converting(2, 6));
    EXPECT_NE(State::converting(1, 5), State::converting(2, 5));
    EXPECT_NE(State::queued(), State::ready());
    EXPECT_NE(State::converted(), State::cancelled());
    EXPECT_NE(State::failed({}), State::ready());
}

// One observable field: a setter, the signal it drives, and two distinct values.
struct FieldCase {
    const char* name;
    void (DocumentItem::*signal)();
    std::function<void(DocumentItem&)> writeFirst;
    std::function<void(DocumentItem&)> writeSecond;
};

void PrintTo(const FieldCase& c, std::ostream* os) { *os << c.name; }

class DocumentItemWrites : public ::testing::TestWithParam<FieldCase> {};

TEST_P(DocumentItemWrites, EqualWriteIsSilentAndChangeSignalsOnce) {
    const FieldCase& field = GetParam();
    DocumentItem item = makeItem();
    field.writeFirst(item);
    QSignalSpy spy(&item, field.signal);
    field.writeFirst(item);
    EXPECT_EQ(spy.count(), 0) << "equal write";
    field.writeSecond(item);
    EXPECT_EQ(spy.count(), 1) << "changed write";
}

INSTANTIATE_TEST_SUITE_P(
    Fields, DocumentItemWrites,
    ::testing::Values(
        FieldCase{"pageCount", &DocumentItem::pageCountChanged, [](DocumentItem& i) { i.setPageCount(3); },
                  [](DocumentItem& i) { i.setPageCount(std::nullopt); }},
        FieldCase{"stateReady", &DocumentItem::stateChanged, [](DocumentItem& i) { i.setState(State::ready()); },
                  [](DocumentItem& i) { i.setState(State::queued()); }},
        FieldCase{"stateProgress", &DocumentItem::stateChanged,
                  [](DocumentItem& i) { i.setState(State::converting(0, 5)); },
                  [](DocumentItem& i) { i.setState(State::converting(1, 5)); }},
        FieldCase{"stateMessage", &DocumentItem::stateChanged,
                  [](DocumentItem& i) { i.setState(State::failed(QStringLiteral("a"))); },
                  [](DocumentItem& i) { i.setState(State::failed(QStringLiteral("b"))); }},
        FieldCase{"convertedLanguage", &DocumentItem::convertedLanguageChanged,
                  [](DocumentItem& i) { i.setConvertedLanguage(DocumentItem::Language::automatic); },
                  [](DocumentItem& i) { i.setConvertedLanguage(DocumentItem::Language::spanish); }},
        FieldCase{"runPages", &DocumentItem::runPagesChanged, [](DocumentItem& i) { i.setRunPages(4); },
                  [](DocumentItem& i) { i.setRunPages(5); }},
        FieldCase{"failedPagesRetried", &DocumentItem::failedPagesRetriedChanged,
                  [](DocumentItem& i) { i.setFailedPagesRetried(true); },
                  [](DocumentItem& i) { i.setFailedPagesRetried(false); }},
        FieldCase{"exported", &DocumentItem::exportedChanged, [](DocumentItem& i) { i.setExported(true); },
                  [](DocumentItem& i) { i.setExported(false); }}),
    [](const ::testing::TestParamInfo<FieldCase>& info) { return std::string(info.param.name); });

TEST(DocumentItem, EveryResultWriteSignalsAndCountsAGeneration) {
    DocumentItem item = makeItem();
    QSignalSpy spy(&item, &DocumentItem::resultChanged);
    const auto result = std::make_shared<const ce::ConversionResult>();
    item.setResult(result);
    item.setResult(result);
    EXPECT_EQ(spy.count(), 2);
    EXPECT_EQ(item.resultGeneration(), 2u);
    EXPECT_EQ(item.result(), result);
}

TEST(FileStamp, UnreadablePathsShareTheUnknownStamp) {
    const FileStamp missing = FileStamp::of("/nonexistent/folder/file.pdf");
    EXPECT_EQ(missing.size, -1);
    EXPECT_EQ(missing.modified, FileStamp::distantPast());
    EXPECT_EQ(missing, FileStamp::of("/another/missing.png"));
    EXPECT_EQ(missing, FileStamp::of(std::filesystem::path()));
    EXPECT_EQ(missing, FileStamp{});
    EXPECT_EQ(FileStamp::distantPast().date(), QDate(1, 1, 1));
}

TEST(FileStamp, ReadsSizeAndTimeOfTheEntryItself) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString empty = dir.filePath(QStringLiteral("empty.pdf"));
    const QString full = dir.filePath(QStringLiteral("full.pdf"));
    const QString link = dir.filePath(QStringLiteral("link.pdf"));
    QFile(empty).open(QIODevice::WriteOnly);
    {
        QFile file(full);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("0123456789");
    }
    const timespec times[2] = {{1'600'000'000, 250'000'000}, {1'600'000'000, 250'000'000}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(full).constData(), times, 0), 0);
    ASSERT_EQ(::symlink("full.pdf", QFile::encodeName(link).constData()), 0);

    EXPECT_EQ(FileStamp::of(empty.toStdString()).size, 0);
    const FileStamp stamp = FileStamp::of(full.toStdString());
    EXPECT_EQ(stamp.size, 10);
    EXPECT_EQ(stamp.modified.toMSecsSinceEpoch(), 1'600'000'000'250);
    // The link's own stamp: its size is the length of the text it points to.
    EXPECT_EQ(FileStamp::of(link.toStdString()).size, 8);
    EXPECT_NE(FileStamp::of(link.toStdString()), stamp);
}

}  // namespace
