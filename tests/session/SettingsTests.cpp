#include <gtest/gtest.h>

#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <limits>
#include <string>

#include "session/Settings.h"

using namespace session;

namespace {

class SettingsTest : public ::testing::Test {
protected:
    QString storeFile() const { return dir_.filePath(QStringLiteral("settings.ini")); }
    void storeRaw(const char* key, const QVariant& value) {
        QSettings raw(storeFile(), QSettings::IniFormat);
        raw.setValue(QLatin1String(key), value);
    }
    QVariant readRaw(const char* key) const {
        QSettings raw(storeFile(), QSettings::IniFormat);
        return raw.value(QLatin1String(key));
    }

    QTemporaryDir dir_;
};

// Every preference as the text of the value it reads as.
QString reading(const Settings& settings, const std::string& key) {
    if (key == Settings::outputFormatKey) return QString::fromUtf8(ce::OutputFormats::rawValue(settings.outputFormat()));
    if (key == Settings::scanLanguageKey) return QString::fromUtf8(ce::Languages::rawValue(settings.scanLanguage()));
    if (key == Settings::csvSeparatorKey) return CSVSeparators::rawValue(settings.csvSeparator());
    if (key == Settings::revealAfterExportKey) return settings.revealAfterExport() ? "true" : "false";
    if (key == Settings::showRegionsKey) return settings.showRegions() ? "true" : "false";
    return QString::number(settings.previewSplit());
}

TEST_F(SettingsTest, AnEmptyStoreReadsTheDefaults) {
    const Settings settings(storeFile());
    EXPECT_EQ(settings.outputFormat(), ce::OutputFormat::markdown);
    EXPECT_EQ(settings.scanLanguage(), Settings::Language::automatic);
    EXPECT_EQ(settings.csvSeparator(), CSVSeparator::comma);
    EXPECT_FALSE(settings.revealAfterExport());
    EXPECT_TRUE(settings.showRegions());
    EXPECT_EQ(settings.previewSplit(), 0.5);
}

struct StoredCase {
    const char* name;
    const char* key;
    const char* stored;
    const char* reads;
};

void PrintTo(const StoredCase& c, std::ostream* os) { *os << c.name; }

class StoredValues : public SettingsTest, public ::testing::WithParamInterface<StoredCase> {};

TEST_P(StoredValues, OnlyExactRawValuesAreRead) {
    const StoredCase& c = GetParam();
    storeRaw(c.key, QString::fromUtf8(c.stored));
    const Settings settings(storeFile());
    EXPECT_EQ(reading(settings, c.key), QString::fromUtf8(c.reads));
}

INSTANTIATE_TEST_SUITE_P(
    Keys, StoredValues,
    ::testing::Values(StoredCase{"formatDocx", Settings::outputFormatKey, "docx", "docx"},
                      StoredCase{"formatCapitalised", Settings::outputFormatKey, "DOCX", "markdown"},
                      StoredCase{"languageCode", Settings::scanLanguageKey, "en", "en"},
                      StoredCase{"languageCaseName", Settings::scanLanguageKey, "english", "auto"},
                      StoredCase{"separatorSemicolon", Settings::csvSeparatorKey, "semicolon", "semicolon"},
                      StoredCase{"separatorCapitalised", Settings::csvSeparatorKey, "Semicolon", "comma"},
                      StoredCase{"separatorCharacter", Settings::csvSeparatorKey, ";", "comma"},
                      StoredCase{"revealTrue", Settings::revealAfterExportKey, "true", "true"},
                      StoredCase{"revealWord", Settings::revealAfterExportKey, "abc", "false"},
                      StoredCase{"revealNumber", Settings::revealAfterExportKey, "1", "false"},
                      StoredCase{"regionsFalse", Settings::showRegionsKey, "false", "false"},
                      StoredCase{"regionsWord", Settings::showRegionsKey, "abc", "true"},
                      StoredCase{"splitNumber", Settings::previewSplitKey, "0.25", "0.25"},
                      StoredCase{"splitNaN", Settings::previewSplitKey, "nan", "0.5"},
                      StoredCase{"splitInfinite", Settings::previewSplitKey, "inf", "0.5"},
                      StoredCase{"splitWord", Settings::previewSplitKey, "half", "0.5"}),
    [](const ::testing::TestParamInfo<StoredCase>& info) { return std::string(info.param.name); });

TEST_F(SettingsTest, ValuesAreStoredAsRawStringsAndRead) {
    Settings settings(storeFile());
    settings.setOutputFormat(ce::OutputFormat::csv);
    settings.setScanLanguage(Settings::Language::spanish);
    settings.setCSVSeparator(CSVSeparator::semicolon);
    settings.setRevealAfterExport(true);
    settings.setShowRegions(false);
    settings.setPreviewSplit(0.3);

    const Settings fresh(storeFile());
    EXPECT_EQ(fresh.outputFormat(), ce::OutputFormat::csv);
    EXPECT_EQ(fresh.scanLanguage(), Settings::Language::spanish);
    EXPECT_EQ(fresh.csvSeparator(), CSVSeparator::semicolon);
    EXPECT_TRUE(fresh.revealAfterExport());
    EXPECT_FALSE(fresh.showRegions());
    EXPECT_DOUBLE_EQ(fresh.previewSplit(), 0.3);
    EXPECT_EQ(readRaw(Settings::csvSeparatorKey).toString(), QStringLiteral("semicolon"));
    EXPECT_EQ(readRaw(Settings::scanLanguageKey).toString(), QStringLiteral("es"));
    EXPECT_EQ(readRaw(Settings::outputFormatKey).toString(), QStringLiteral("csv"));
}

TEST_F(SettingsTest, AChangeReachesEveryReaderOfTheStoreOnce) {
    Settings writer(storeFile());
    Settings reader(storeFile());
    Settings other(dir_.filePath(QStringLiteral("other.ini")));
    QSignalSpy readerSpy(&reader, &Settings::csvSeparatorChanged);
    QSignalSpy writerSpy(&writer, &Settings::csvSeparatorChanged);
    QSignalSpy otherSpy(&other, &Settings::csvSeparatorChanged);
    QSignalSpy unrelated(&reader, &Settings::outputFormatChanged);

    writer.setCSVSeparator(CSVSeparator::semicolon);
    EXPECT_EQ(readerSpy.count(), 1);
    EXPECT_EQ(writerSpy.count(), 1);
    EXPECT_EQ(reader.csvSeparator(), CSVSeparator::semicolon);

    writer.setCSVSeparator(CSVSeparator::semicolon);
    EXPECT_EQ(readerSpy.count(), 1) << "an equal write is silent";
    EXPECT_EQ(otherSpy.count(), 0);
    EXPECT_EQ(unrelated.count(), 0);
}

TEST_F(SettingsTest, WritingTheDefaultOverADamagedValueRepairsItSilently) {
    storeRaw(Settings::showRegionsKey, QStringLiteral("abc"));
    Settings settings(storeFile());
    QSignalSpy spy(&settings, &Settings::showRegionsChanged);
    settings.setShowRegions(true);
    EXPECT_EQ(spy.count(), 0);
    EXPECT_EQ(readRaw(Settings::showRegionsKey).toString(), QStringLiteral("true"));
    settings.setPreviewSplit(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(settings.previewSplit(), 0.5);
}

}  // namespace
