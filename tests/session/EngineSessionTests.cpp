// The session over the real engine and writers: a sample PDF from adding to exported
// files on disk, read back.
#include <QFileInfo>

#include "SessionTestSupport.h"
#include "session/EngineConverter.h"
#include "session/QtExecutor.h"

using namespace sessiontest;

namespace {

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(EngineSession, AddsCountsConvertsAndExportsASamplePDF) {
    const QString source = QStringLiteral(CE_SOURCE_DIR "/Resources/Samples/Annual Report.pdf");
    const QString models = QStringLiteral(CE_SOURCE_DIR "/Resources/Models");
    if (!QFileInfo::exists(source) || !QFileInfo::exists(models + "/LayoutDetector.mlpackage")) {
        GTEST_SKIP() << "the sample PDF or the shipped models are not here";
    }
    QTemporaryDir dir;
    ConversionSession session(std::make_shared<session::EngineConverter>(std::filesystem::path(models.toStdString())),
                              std::make_unique<session::QtExecutor>());

    session.addFiles({QUrl::fromLocalFile(source), QUrl::fromLocalFile(dir.filePath("missing.pdf"))});
    ASSERT_TRUE(spinUntil([&] { return !session.items().empty() && session.items()[0]->pageCount(); }, 120'000));
    const DocumentItemPtr item = session.items()[0];
    ASSERT_TRUE(session.notice());
    EXPECT_EQ(session.notice()->message, QStringLiteral("1 files can’t be found."));
    const int pages = *item->pageCount();
    EXPECT_GE(pages, 1);

    int progressReports = 0;
    QObject::connect(item.get(), &DocumentItem::stateChanged, [&] {
        if (item->state().is(State::Kind::converting)) ++progressReports;
    });
    ASSERT_TRUE(session.startConversion(Language::automatic));
    ASSERT_TRUE(spinUntil([&] { return !session.isConverting(); }, 300'000));
    ASSERT_EQ(item->state(), State::converted());
    ASSERT_TRUE(item->result());
    EXPECT_EQ(static_cast<int>(item->result()->pages.size()), pages);
    EXPECT_GE(progressReports, 2);

    const QString out = dir.filePath(QStringLiteral("out"));
    for (const ce::OutputFormat format : ce::OutputFormats::allCases()) {
        std::optional<ConversionSession::Notice> outcome;
        ASSERT_TRUE(session.exportDocuments(format, QUrl::fromLocalFile(out), session::CSVSeparator::comma,
                                            [&](const auto& notice) { outcome = notice; }));
        ASSERT_TRUE(spinUntil([&] { return outcome.has_value(); }, 120'000));
        EXPECT_EQ(outcome->kind, ConversionSession::Notice::Kind::info) << outcome->message.toStdString();
        EXPECT_FALSE(outcome->reveal.isEmpty()) << ce::OutputFormats::rawValue(format);
    }
    EXPECT_TRUE(item->exported());

    const QByteArray markdown = readFile(out + "/Annual Report.md");
    EXPECT_TRUE(markdown.contains("Annual Report")) << markdown.left(300).toStdString();
    const QByteArray docx = readFile(out + "/Annual Report.docx");
    EXPECT_TRUE(docx.startsWith("PK")) << "a ZIP package";
    const QByteArray csv = readFile(out + "/Annual Report-table-1.csv");
    EXPECT_TRUE(csv.startsWith("\xEF\xBB\xBF")) << "the first table as CSV";
    EXPECT_TRUE(csv.contains(","));
    EXPECT_EQ(session.existingExportFiles(ce::OutputFormat::docx, QUrl::fromLocalFile(out)).size(), 1);
}

}  // namespace
