#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "session/ExportPlanner.h"
#include "session/FileNames.h"

using namespace session;

namespace {

struct NameCase {
    const char* name;
    const char* fileName;
    const char* base;
    const char* extension;
};

void PrintTo(const NameCase& c, std::ostream* os) { *os << c.name; }

class FileNameRules : public ::testing::TestWithParam<NameCase> {};

TEST_P(FileNameRules, OnlyTheLastExtensionIsStripped) {
    const NameCase& c = GetParam();
    EXPECT_EQ(FileNames::baseName(QString::fromUtf8(c.fileName)), QString::fromUtf8(c.base));
    EXPECT_EQ(FileNames::extension(QString::fromUtf8(c.fileName)), QString::fromUtf8(c.extension));
}

INSTANTIATE_TEST_SUITE_P(Names, FileNameRules,
                         ::testing::Values(NameCase{"twoDots", "Report.final.pdf", "Report.final", "pdf"},
                                           NameCase{"noExtension", "noext", "noext", ""},
                                           NameCase{"hidden", ".hidden", ".hidden", ""},
                                           NameCase{"upperCase", "x.PDF", "x", "PDF"},
                                           NameCase{"trailingDot", "a.", "a.", ""},
                                           NameCase{"hiddenWithExtension", ".notes.png", ".notes", "png"}),
                         [](const auto& info) { return std::string(info.param.name); });

struct PlanCase {
    const char* name;
    std::vector<std::pair<const char*, const char*>> sources;  // file name, sub-folder
    std::vector<std::pair<const char*, const char*>> targets;  // directory below /out, base name
};

void PrintTo(const PlanCase& c, std::ostream* os) { *os << c.name; }

class Plans : public ::testing::TestWithParam<PlanCase> {};

TEST_P(Plans, GiveEachDocumentItsFolderAndAFreeName) {
    const PlanCase& c = GetParam();
    std::vector<ExportPlanner::Source> sources;
    for (const auto& [file, folder] : c.sources) {
        sources.push_back({QUrl::fromLocalFile(QStringLiteral("/in/") + QString::fromUtf8(file)), QString::fromUtf8(folder)});
    }
    std::vector<ExportPlanner::Target> expected;
    for (const auto& [directory, base] : c.targets) {
        const std::string sub = directory;
        expected.push_back({sub.empty() ? "/out" : "/out/" + sub, QString::fromUtf8(base)});
    }
    const auto targets = ExportPlanner::plan(sources, "/out/");
    ASSERT_EQ(targets.size(), expected.size());
    for (std::size_t k = 0; k < targets.size(); ++k) {
        EXPECT_EQ(targets[k].directory, expected[k].directory) << k;
        EXPECT_EQ(targets[k].baseName, expected[k].baseName) << k;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Clashes, Plans,
    ::testing::Values(
        PlanCase{"distinctNames", {{"a.pdf", ""}, {"b.pdf", ""}}, {{"", "a"}, {"", "b"}}},
        PlanCase{"extensionInBrackets", {{"report.pdf", ""}, {"report.png", ""}}, {{"", "report"}, {"", "report (png)"}}},
        PlanCase{"numberAfterBrackets",
                 {{"report.pdf", ""}, {"report.png", ""}, {"report.png", ""}, {"report.tiff", ""}},
                 {{"", "report"}, {"", "report (png)"}, {"", "report 2"}, {"", "report (tiff)"}}},
        PlanCase{"namesIgnoreCase", {{"Report.pdf", ""}, {"report.PDF", ""}}, {{"", "Report"}, {"", "report (pdf)"}}},
        PlanCase{"ownFolders", {{"report.pdf", "x"}, {"report.pdf", "y"}}, {{"x", "report"}, {"y", "report"}}},
        PlanCase{"foldersIgnoreCase", {{"report.pdf", "X"}, {"report.pdf", "x"}}, {{"X", "report"}, {"x", "report (pdf)"}}},
        PlanCase{"nestedFolder", {{"a.pdf", "Reports/2023"}}, {{"Reports/2023", "a"}}},
        PlanCase{"noExtension", {{"notes", ""}, {"notes", ""}, {"notes", ""}}, {{"", "notes"}, {"", "notes ()"}, {"", "notes 2"}}},
        PlanCase{"baseEqualsEarlierClashName",
                 {{"report.pdf", ""}, {"report.png", ""}, {"report (png).pdf", ""}},
                 {{"", "report"}, {"", "report (png)"}, {"", "report (png) (pdf)"}}},
        PlanCase{"lastExtensionOnly", {{"a.b.pdf", ""}, {"a.b.png", ""}}, {{"", "a.b"}, {"", "a.b (png)"}}}),
    [](const auto& info) { return std::string(info.param.name); });

// Names too long for the file system once an output ending is added are cut, keeping the
// distinguishing ending, and names cut alike still come out distinct.
TEST(ExportPlanner, LongNamesAreCutAndStayDistinct) {
    const QString shared(240, QLatin1Char('a'));
    const QString accents = QStringLiteral("x") + QString(130, QChar(0xE9));  // 261 bytes as UTF-8
    const std::vector<ExportPlanner::Source> sources{
        {QUrl::fromLocalFile("/in/" + shared + "1.pdf"), {}},
        {QUrl::fromLocalFile("/in/" + shared + "2.pdf"), {}},
        {QUrl::fromLocalFile("/in/" + shared + "3.pdf"), {}},
        {QUrl::fromLocalFile("/in/" + accents + ".pdf"), {}},
    };
    const auto targets = ExportPlanner::plan(sources, "/out");
    ASSERT_EQ(targets.size(), 4u);
    EXPECT_EQ(targets[0].baseName, QString(234, QLatin1Char('a')));
    EXPECT_EQ(targets[1].baseName, QString(228, QLatin1Char('a')) + QStringLiteral(" (pdf)"));
    EXPECT_EQ(targets[2].baseName, QString(232, QLatin1Char('a')) + QStringLiteral(" 2"));
    EXPECT_EQ(targets[3].baseName, QStringLiteral("x") + QString(116, QChar(0xE9)));
}

}  // namespace
