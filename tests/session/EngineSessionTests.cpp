// The session over the real engine and writers: a sample PDF from adding to exported
// files on disk, read back; files whose names are not valid UTF-8.
#include <QFileInfo>

#include "SessionTestSupport.h"
#include "session/EngineConverter.h"
#include "session/QtExecutor.h"

using namespace sessiontest;

namespace {

const QString sampleSource = QStringLiteral(CE_SOURCE_DIR "/Resources/Samples/Annual Report.pdf");
const QString shippedModels = QStringLiteral(CE_SOURCE_DIR "/Resources/Models");

bool samplesAndModelsHere() {
    return QFileInfo::exists(sampleSource) && QFileInfo::exists(shippedModels + "/LayoutDetector.mlpackage");
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(EngineSession, AddsCountsConvertsAndExportsASamplePDF) {
    if (!samplesAndModelsHere()) GTEST_SKIP() << "the sample PDF or the shipped models are not here";
    const QString& source = sampleSource;
    const QString& models = shippedModels;
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

// Names in Latin-1, as old disks and archives hold them: the file system's bytes reach the
// engine, two such names stay two documents, and their exports get writable UTF-8 names
// in which the undecodable byte reads as a replacement character.
TEST(EngineSession, ConvertsAndExportsFilesWhoseNamesAreNotUTF8) {
    if (!samplesAndModelsHere()) GTEST_SKIP() << "the sample PDF or the shipped models are not here";
    QTemporaryDir dir;
    const std::filesystem::path folder = std::filesystem::path(dir.path().toStdString()) / "old disk";
    std::filesystem::create_directories(folder);
    for (const char* name : {"caf\xe9.pdf", "caf\xe8.pdf"}) {
        std::filesystem::copy_file(sampleSource.toStdString(), folder / name);
    }
    ConversionSession session(
        std::make_shared<session::EngineConverter>(std::filesystem::path(shippedModels.toStdString())),
        std::make_unique<session::QtExecutor>());

    session.addFiles({QUrl::fromLocalFile(QString::fromStdString(folder.string()))});
    ASSERT_TRUE(spinUntil(
        [&] {
            const auto& items = session.items();
            return items.size() == 2 && items[0]->pageCount() && items[1]->pageCount();
        },
        120'000));
    for (const DocumentItemPtr& item : session.items()) {
        EXPECT_EQ(item->url().fileName(), QStringLiteral("caf\uFFFD.pdf"));
        EXPECT_EQ(item->folder(), QStringLiteral("old disk"));
    }

    ASSERT_TRUE(session.startConversion(Language::automatic));
    ASSERT_TRUE(spinUntil([&] { return !session.isConverting(); }, 300'000));
    for (const DocumentItemPtr& item : session.items()) {
        ASSERT_EQ(item->state(), State::converted()) << item->state().message.toStdString();
    }

    const QString out = dir.filePath(QStringLiteral("out"));
    std::optional<ConversionSession::Notice> outcome;
    ASSERT_TRUE(session.exportDocuments(ce::OutputFormat::markdown, QUrl::fromLocalFile(out),
                                        session::CSVSeparator::comma, [&](const auto& notice) { outcome = notice; }));
    ASSERT_TRUE(spinUntil([&] { return outcome.has_value(); }, 120'000));
    EXPECT_EQ(outcome->kind, ConversionSession::Notice::Kind::info) << outcome->message.toStdString();
    EXPECT_EQ(outcome->reveal.size(), 2);
    for (const QString& name : {QStringLiteral("caf\uFFFD.md"), QStringLiteral("caf\uFFFD (pdf).md")}) {
        EXPECT_TRUE(readFile(out + "/old disk/" + name).contains("Annual Report")) << name.toStdString();
    }
    std::filesystem::remove_all(folder);  // QTemporaryDir cannot name these files to remove them
}

}  // namespace
