#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "TempFiles.h"
#include "shell/ProductInfo.h"
#include "shell/Sample.h"

namespace shell {
namespace {

QVariantMap map(std::initializer_list<std::pair<const char*, QVariant>> values) {
    QVariantMap result;
    for (const auto& [key, value] : values) result.insert(QString::fromLatin1(key), value);
    return result;
}

struct AppNameCase {
    const char* name;
    QVariantMap localized;
    QVariantMap plain;
    QString expected;
};

// Shown by the test runner in place of the case's bytes.
void PrintTo(const AppNameCase& c, std::ostream* os) { *os << c.name; }

class AppName : public testing::TestWithParam<AppNameCase> {};

TEST_P(AppName, FollowsTheLookupOrder) {
    ResourceBundle bundle;
    bundle.localizedInfo = GetParam().localized;
    bundle.info = GetParam().plain;
    EXPECT_EQ(ProductInfo::appName(bundle, QStringLiteral("process")), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AppName,
    testing::Values(
        AppNameCase{"LocalizedDisplayNameWins", map({{"CFBundleDisplayName", "Convertidor"}}),
                    map({{"CFBundleDisplayName", "Converter"}, {"CFBundleName", "conv"}}), "Convertidor"},
        AppNameCase{"PlainDisplayName", map({{"CFBundleName", "ignored"}}),
                    map({{"CFBundleDisplayName", "Converter"}, {"CFBundleName", "conv"}}), "Converter"},
        AppNameCase{"BundleName", {}, map({{"CFBundleName", "conv"}}), "conv"},
        AppNameCase{"NothingGivesTheProcessName", {}, {}, "process"},
        AppNameCase{"FirstFoundNotAStringGivesTheProcessName", {},
                    map({{"CFBundleDisplayName", 7}, {"CFBundleName", "conv"}}), "process"}),
    [](const auto& info) { return std::string(info.param.name); });

struct PageCase {
    const char* name;
    QVariantMap info;
    ProductInfo::PageKind kind;
    QStringList languages;
    const char* expected;
};

// Shown by the test runner in place of the case's bytes.
void PrintTo(const PageCase& c, std::ostream* os) { *os << c.name; }

class PageURL : public testing::TestWithParam<PageCase> {};

TEST_P(PageURL, IsTheSiteTheLanguageAndThePage) {
    ResourceBundle bundle;
    bundle.info = GetParam().info;
    EXPECT_EQ(ProductInfo::pageURL(bundle, GetParam().kind, GetParam().languages).toString(),
              QString::fromLatin1(GetParam().expected));
}

const QVariantMap site = map({{"ProductSiteURL", "https://example.org/app"}});

INSTANTIATE_TEST_SUITE_P(
    Cases, PageURL,
    testing::Values(
        PageCase{"FrenchGetsEnglish", site, ProductInfo::PageKind::support, {"fr"},
                 "https://example.org/app/en/support/"},
        PageCase{"SpanishFirst", site, ProductInfo::PageKind::privacy, {"es", "en"},
                 "https://example.org/app/es/privacy/"},
        PageCase{"RegionalSpanish", site, ProductInfo::PageKind::support, {"fr-FR", "es_MX"},
                 "https://example.org/app/es/support/"},
        PageCase{"NoPreferences", site, ProductInfo::PageKind::privacy, {}, "https://example.org/app/en/privacy/"},
        PageCase{"MissingSiteUsesTheDefault", {}, ProductInfo::PageKind::support, {"en"},
                 "https://irevora.uzerov.ziv/en/support/"},
        PageCase{"RelativeSiteUsesTheDefault", map({{"ProductSiteURL", "not a site"}}),
                 ProductInfo::PageKind::support, {"es"}, "https://irevora.uzerov.ziv/es/support/"},
        PageCase{"SiteNotAStringUsesTheDefault", map({{"ProductSiteURL", 3}}), ProductInfo::PageKind::privacy,
                 {"en"}, "https://irevora.uzerov.ziv/en/privacy/"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Sample, RawValuesAreExactFileNames) {
    EXPECT_EQ(Samples::fromRawValue(QStringLiteral("Research Paper")), Sample::paper);
    EXPECT_EQ(Samples::fromRawValue(QStringLiteral("research paper")), std::nullopt);
    for (const Sample sample : Samples::allCases) EXPECT_EQ(Samples::fromRawValue(Samples::rawValue(sample)), sample);
    EXPECT_EQ(Samples::title(Sample::invoice), QStringLiteral("Invoice (Spanish, scanned)"));
}

TEST(Sample, MissingFileGivesNoURL) {
    QTemporaryDir dir;
    test::writeFile(dir.filePath("Samples/Annual Report.pdf"), "%PDF-1.4");
    test::writeFile(dir.filePath("Samples/Research Paper.pdf"), "%PDF-1.4");
    const ResourceBundle bundle = ResourceBundle::load(dir.path(), {});
    EXPECT_EQ(Samples::url(bundle, Sample::report), dir.filePath("Samples/Annual Report.pdf"));
    EXPECT_EQ(Samples::url(bundle, Sample::invoice), std::nullopt);
    EXPECT_EQ(Samples::url(bundle, Sample::paper), dir.filePath("Samples/Research Paper.pdf"));
}

TEST(ResourceBundle, ReadsTheInformationFilesOfItsLanguage) {
    QTemporaryDir dir;
    test::writeFile(dir.filePath("Info.json"), R"({"CFBundleDisplayName": "Converter"})");
    test::writeFile(dir.filePath("Info.es.json"), R"({"CFBundleDisplayName": "Convertidor"})");
    test::writeFile(dir.filePath("Info.fr.json"), "not json");
    EXPECT_EQ(ProductInfo::appName(ResourceBundle::load(dir.path(), "es"), "p"), "Convertidor");
    EXPECT_EQ(ProductInfo::appName(ResourceBundle::load(dir.path(), "fr"), "p"), "Converter");
    EXPECT_EQ(ProductInfo::appName(ResourceBundle::load(dir.path(), ""), "p"), "Converter");
}

TEST(ResourceBundle, TheShippedResourcesHoldTheSamplesAndNameTheProduct) {
    const ResourceBundle bundle = ResourceBundle::load(QStringLiteral(CE_SOURCE_DIR "/Resources"), {});
    for (const Sample sample : Samples::allCases) {
        EXPECT_TRUE(Samples::url(bundle, sample)) << Samples::rawValue(sample).toStdString();
    }
    EXPECT_EQ(ProductInfo::appName(bundle, "p"), "Document Converter");
    EXPECT_FALSE(ProductInfo::version(bundle).isEmpty());
}

}  // namespace
}  // namespace shell
