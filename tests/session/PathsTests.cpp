// File names between Qt and the file system: a name that is not UTF-8, listed by Qt with
// replacement characters (as its file dialog shows and returns it), is found again on disk.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <filesystem>
#include <fstream>

#include "session/Paths.h"

namespace {

namespace fs = std::filesystem;
using session::Paths::matchOnDisk;
using session::Paths::toPath;

// The URL Qt's file dialog gives for an entry: its path decoded, each byte that is not UTF-8
// a replacement character.
QUrl asListedByQt(const fs::path& path) { return QUrl::fromLocalFile(QFile::decodeName(path.c_str())); }

class MatchOnDisk : public ::testing::Test {
protected:
    // QTemporaryDir cannot name what it would remove here.
    ~MatchOnDisk() override {
        std::error_code error;
        fs::remove_all(root, error);
    }

    void make(const fs::path& relative) {
        fs::create_directories((root / relative).parent_path());
        std::ofstream(root / relative) << "%PDF-1.4\n";
    }

    QTemporaryDir dir;
    fs::path root = dir.path().toStdString();
};

TEST_F(MatchOnDisk, FindsNamesThatAreNotUTF8AgainPartByPart) {
    const struct {
        const char* name;
        fs::path file;
    } cases[] = {{"a Latin-1 file name", "caf\xe9.pdf"}, {"in a Latin-1 folder", "d\xe9p\xf4t/sc\xe4n.png"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        make(c.file);
        EXPECT_EQ(toPath(matchOnDisk(asListedByQt(root / c.file))), root / c.file);
    }
    // A folder chosen as such resolves too.
    EXPECT_EQ(toPath(matchOnDisk(asListedByQt(root / "d\xe9p\xf4t"))), root / "d\xe9p\xf4t");
}

TEST_F(MatchOnDisk, LeavesExistingMissingAndAmbiguousNamesAsTheyAre) {
    make("caf\xc3\xa9.pdf");  // UTF-8
    make("na\xefve.pdf");
    make("na\xeeve.pdf");  // reads the same as the one before
    const QUrl existing = QUrl::fromLocalFile(QString::fromStdString((root / "caf\xc3\xa9.pdf").string()));
    EXPECT_EQ(matchOnDisk(existing), existing);
    const QUrl ambiguous = asListedByQt(root / "na\xefve.pdf");
    EXPECT_EQ(matchOnDisk(ambiguous), ambiguous);
    const QUrl missing = asListedByQt(root / "gone\xe9.pdf");
    EXPECT_EQ(matchOnDisk(missing), missing);
    EXPECT_EQ(matchOnDisk(QUrl(QStringLiteral("https://example.org/a.pdf"))), QUrl(QStringLiteral("https://example.org/a.pdf")));
}

}  // namespace
