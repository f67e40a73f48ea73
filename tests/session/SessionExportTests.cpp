#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>

#include "SessionTestSupport.h"
#include "session/Paths.h"

using namespace sessiontest;
using Notice = ConversionSession::Notice;
using session::CSVSeparator;
using session::Work;

namespace {

// A one-page result; with `table` its page holds a 2 x 2 table, with `picture` a picture
// whose crop is stored.
ce::ConversionResult documentResult(const std::filesystem::path& source, bool table, bool picture) {
    ce::ConversionResult result = makeResult(source, 1);
    auto& body = result.pages[0].content.body;
    body.emplace_back(ce::DocElementKind::text, "Hello", 0, ce::BBox{10, 10, 100, 20}, std::nullopt, 1, ce::DocLabel::text);
    if (table) {
        ce::TableStructure structure;
        structure.numRows = 2;
        structure.numCols = 2;
        for (int r = 0; r < 2; ++r) {
            for (int c = 0; c < 2; ++c) {
                ce::TableCellItem cell;
                cell.text = "r" + std::to_string(r) + "c" + std::to_string(c);
                cell.startRow = r;
                cell.endRow = r + 1;
                cell.startCol = c;
                cell.endCol = c + 1;
                structure.cells.push_back(cell);
            }
        }
        body.emplace_back(ce::DocElementKind::table, "", 0, ce::BBox{10, 30, 200, 90}, structure, 2, ce::DocLabel::table);
    }
    if (picture) {
        body.emplace_back(ce::DocElementKind::picture, "", 0, ce::BBox{10, 100, 200, 200}, std::nullopt, 3,
                          ce::DocLabel::picture);
        result.pages[0].images[3] = ce::Data{0x89, 'P', 'N', 'G'};
    }
    return result;
}

class SessionExport : public SessionTest {
protected:
    // Lists the files (relative paths; a folder added as a whole gives its label) and
    // gives each a converted result.
    void listConverted(const QStringList& names, bool table = true, bool picture = false) {
        QStringList paths;
        for (const QString& name : names) paths.append(makeFile(QStringLiteral("in/") + name));
        add(paths);
        for (const auto& item : session_->items()) {
            if (!item->result()) giveResult(*item, documentResult(Paths(item->url()), table, picture));
        }
    }
    static std::filesystem::path Paths(const QUrl& url) { return std::filesystem::path(url.toLocalFile().toStdString()); }
    QUrl out() const { return QUrl::fromLocalFile(path(QStringLiteral("out"))); }
    QString outFile(const QString& name) const { return path(QStringLiteral("out/") + name); }

    // Exports into out() and runs the writer; returns the notice handed to the caller.
    Notice exportAll(ce::OutputFormat format, CSVSeparator separator = CSVSeparator::comma) {
        return exportInto(out(), format, separator);
    }
    Notice exportInto(const QUrl& folder, ce::OutputFormat format, CSVSeparator separator = CSVSeparator::comma) {
        std::optional<Notice> outcome;
        EXPECT_TRUE(session_->exportDocuments(format, folder, separator, [&](const Notice& n) { outcome = n; }));
        executor_->runAll();
        EXPECT_TRUE(outcome);
        EXPECT_FALSE(session_->isExporting());
        return outcome.value_or(Notice{});
    }
    DocumentItem& item(std::size_t k) { return *session_->items()[k]; }
};

TEST_F(SessionExport, NothingToExportGivesAnEmptyInfoNotice) {
    const Notice notice = exportAll(ce::OutputFormat::markdown);
    EXPECT_EQ(notice.kind, Notice::Kind::info);
    EXPECT_EQ(notice.title, QStringLiteral("Exported 0 files"));
    EXPECT_EQ(notice.message, QString());
    EXPECT_TRUE(notice.reveal.isEmpty());
    EXPECT_EQ(session_->notice()->id, notice.id);
}

TEST_F(SessionExport, MarkdownPicturesAreWrittenButNeitherCountedNorRevealed) {
    listConverted({"scan.pdf"}, false, true);
    const Notice notice = exportAll(ce::OutputFormat::markdown);
    EXPECT_EQ(notice.title, QStringLiteral("Exported 1 files"));
    ASSERT_EQ(notice.reveal, QList<QUrl>{QUrl::fromLocalFile(outFile("scan.md"))});
    EXPECT_TRUE(QFileInfo::exists(outFile("scan-images/p1-3.png")));
    EXPECT_TRUE(item(0).exported());

    const auto existing = session_->existingExportFiles(ce::OutputFormat::markdown, out());
    EXPECT_EQ(existing, (QList<QUrl>{QUrl::fromLocalFile(outFile("scan.md")), QUrl::fromLocalFile(outFile("scan-images"))}));
    EXPECT_TRUE(session_->existingExportFiles(ce::OutputFormat::docx, out()).isEmpty());
}

TEST_F(SessionExport, ACSVDocumentWithoutTablesIsNamedAndNotMarked) {
    listConverted({"tables.pdf"});
    add({makeFile("in/plain.pdf")});
    giveResult(item(1), documentResult(Paths(item(1).url()), false, false));
    const Notice notice = exportAll(ce::OutputFormat::csv, CSVSeparator::semicolon);
    EXPECT_EQ(notice.kind, Notice::Kind::info);
    EXPECT_EQ(notice.title, QStringLiteral("Exported 1 files"));
    EXPECT_EQ(notice.message, QStringLiteral("No tables found in: plain.pdf"));
    EXPECT_TRUE(item(0).exported());
    EXPECT_FALSE(item(1).exported());
    QFile csv(outFile("tables-table-1.csv"));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    EXPECT_EQ(csv.readAll(), QByteArray("\xEF\xBB\xBFr0c0;r0c1\r\nr1c0;r1c1\r\n"));
}

TEST_F(SessionExport, ClashingNamesAndSubFoldersArePlanned) {
    makeFile("in/Set/a/report.pdf");
    makeFile("in/Set/b/report.pdf");
    add({path("in/Set")});
    listConverted({"report.pdf", "report.png"});
    exportAll(ce::OutputFormat::docx);
    for (const char* file : {"Set/a/report.docx", "Set/b/report.docx", "report.docx", "report (png).docx"}) {
        EXPECT_TRUE(QFileInfo::exists(outFile(QString::fromUtf8(file)))) << file;
    }
    EXPECT_EQ(session_->exportBaseName(item(3)), QStringLiteral("report (png)"));
    add({makeFile("in/new.pdf")});
    EXPECT_EQ(session_->exportBaseName(item(4)), std::nullopt);
}

// A folder named in Latin-1, as the open panel gives it once found again on disk (its
// bytes percent-encoded in the URL): the files go into that folder, not into one whose
// name has replacement characters, and the notice and the replace question name them.
TEST_F(SessionExport, AFolderWhoseNameIsNotUTF8GetsTheFiles) {
    makeFile("in/Set/b.pdf");
    add({path("in/Set")});
    listConverted({"a.pdf"});
    const std::filesystem::path folder = std::filesystem::path(path("out").toStdString()) / "d\xe9p\xf4t";
    std::filesystem::create_directories(folder);
    const struct Removal {
        std::filesystem::path folder;
        ~Removal() {  // QTemporaryDir cannot name this folder to remove it
            std::error_code error;
            std::filesystem::remove_all(folder, error);
        }
    } removal{folder};

    const QUrl chosen = session::Paths::toUrl(folder);
    const Notice notice = exportInto(chosen, ce::OutputFormat::markdown);
    EXPECT_EQ(notice.kind, Notice::Kind::info) << notice.message.toStdString();
    const QList<QUrl> written{session::Paths::toUrl(folder / "Set" / "b.md"), session::Paths::toUrl(folder / "a.md")};
    EXPECT_EQ(notice.reveal, written);
    for (const QUrl& file : written) {
        EXPECT_TRUE(std::filesystem::exists(session::Paths::toPath(file))) << file.toString().toStdString();
    }
    EXPECT_EQ(session_->existingExportFiles(ce::OutputFormat::markdown, chosen), written);
}

TEST_F(SessionExport, TenFailuresShowEightLinesAndTheRestCounted) {
    QStringList names;
    for (int k = 0; k < 10; ++k) names.append(QStringLiteral("d%1.pdf").arg(k));
    listConverted(names);
    makeFile("out");  // a file where the folder should be: nothing can be written
    const Notice notice = exportAll(ce::OutputFormat::markdown);
    EXPECT_EQ(notice.kind, Notice::Kind::error);
    EXPECT_EQ(notice.title, QStringLiteral("Couldn’t export"));
    const QStringList lines = notice.message.split('\n');
    ASSERT_EQ(lines.size(), 9);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("d0.pdf: "))) << lines[0].toStdString();
    EXPECT_TRUE(lines[7].startsWith(QStringLiteral("d7.pdf: ")));
    EXPECT_EQ(lines[8], QStringLiteral("and 2 more"));
    EXPECT_TRUE(notice.reveal.isEmpty());
    EXPECT_FALSE(item(0).exported());
}

TEST_F(SessionExport, SomeWrittenAndSomeFailedIsAnErrorCountingTheFiles) {
    makeFile("in/Blocked/x.pdf");
    add({path("in/Blocked")});
    listConverted({"fine.pdf"});
    QDir().mkpath(path("out"));
    makeFile("out/Blocked");  // the sub-folder of the first document is taken by a file
    const Notice notice = exportAll(ce::OutputFormat::docx);
    EXPECT_EQ(notice.kind, Notice::Kind::error);
    EXPECT_EQ(notice.title, QStringLiteral("Exported 1 files"));
    EXPECT_TRUE(notice.message.startsWith(QStringLiteral("x.pdf: "))) << notice.message.toStdString();
    EXPECT_FALSE(item(0).exported());
    EXPECT_TRUE(item(1).exported());
}

TEST_F(SessionExport, AResultReplacedDuringTheExportIsNotMarkedExported) {
    listConverted({"a.pdf", "b.pdf"});
    ASSERT_TRUE(session_->canExport());
    ASSERT_TRUE(session_->exportDocuments(ce::OutputFormat::docx, out(), CSVSeparator::comma));
    EXPECT_TRUE(session_->isExporting());
    EXPECT_FALSE(session_->canExport()) << "no second export into the same folder meanwhile";
    EXPECT_FALSE(session_->exportDocuments(ce::OutputFormat::docx, out(), CSVSeparator::comma));

    giveResult(item(0), documentResult(Paths(item(0).url()), true, false));  // a re-conversion ended
    executor_->runAll();
    EXPECT_FALSE(item(0).exported());
    EXPECT_TRUE(item(1).exported());
    EXPECT_TRUE(session_->canExport());
}

TEST_F(SessionExport, TheCallerGetsItsOwnOutcomeWhateverReplacedTheNotice) {
    listConverted({"a.pdf"});
    std::optional<Notice> outcome;
    ASSERT_TRUE(session_->exportDocuments(ce::OutputFormat::docx, out(), CSVSeparator::comma,
                                          [&](const Notice& n) { outcome = n; }));
    ASSERT_TRUE(executor_->runBackground(Work::writing));
    session_->raiseNotice(Notice::Kind::info, QStringLiteral("Some files were skipped"), {});
    executor_->runMainJobs();
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->title, QStringLiteral("Exported 1 files"));
    EXPECT_EQ(outcome->reveal, QList<QUrl>{QUrl::fromLocalFile(outFile("a.docx"))});
}

}  // namespace
