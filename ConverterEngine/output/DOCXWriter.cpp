#include "output/DOCXWriter.h"

#include <chrono>

#include "core/Graphemes.h"
#include "output/DOCXBody.h"
#include "output/DOCXNamespaces.h"
#include "output/DOCXStyles.h"
#include "platform/LanguageIdentifier.h"
#include "platform/ZipArchive.h"

namespace ce::DOCXWriter {

namespace {

// Every entry's modification date, so that the same result always zips to the same bytes.
constexpr std::chrono::sys_seconds entryDate{std::chrono::seconds{946'684'800}};  // 2000-01-01 00:00:00 UTC

// Language detection reads about this many characters of the document.
constexpr std::size_t languageSampleLength = 4000;

std::span<const std::uint8_t> bytesOf(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

std::string relationshipXML(std::string_view id, std::string_view type, std::string_view target) {
    return "<Relationship Id=\"" + std::string(id) + "\" Type=\"" + std::string(type) + "\" Target=\"" +
           std::string(target) + "\"/>";
}

std::string relationshipType(std::string_view name) { return std::string(relationshipsNamespace) + "/" + std::string(name); }

}  // namespace

std::string contentTypesXML(bool hasMedia) {
    const std::string word = "application/vnd.openxmlformats-officedocument.wordprocessingml";
    std::string xml = std::string(xmlDeclaration) + "<Types xmlns=\"" + contentTypesNamespace + "\">";
    xml += "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>";
    xml += "<Default Extension=\"xml\" ContentType=\"application/xml\"/>";
    if (hasMedia) xml += "<Default Extension=\"png\" ContentType=\"image/png\"/>";
    xml += "<Override PartName=\"/word/document.xml\" ContentType=\"" + word + ".document.main+xml\"/>";
    xml += "<Override PartName=\"/word/styles.xml\" ContentType=\"" + word + ".styles+xml\"/>";
    xml += "<Override PartName=\"/word/numbering.xml\" ContentType=\"" + word + ".numbering+xml\"/>";
    xml += "<Override PartName=\"/word/settings.xml\" ContentType=\"" + word + ".settings+xml\"/>";
    xml += "<Override PartName=\"/docProps/core.xml\" "
           "ContentType=\"application/vnd.openxmlformats-package.core-properties+xml\"/>";
    return xml + "</Types>";
}

const std::string& packageRelsXML() {
    static const std::string xml =
        std::string(xmlDeclaration) + "<Relationships xmlns=\"" + packageRelationshipsNamespace + "\">" +
        relationshipXML("rId1", relationshipType("officeDocument"), "word/document.xml") +
        relationshipXML("rId2", std::string(packageRelationshipsNamespace) + "/metadata/core-properties",
                        "docProps/core.xml") +
        "</Relationships>";
    return xml;
}

const std::string& settingsXML() {
    static const std::string xml =
        std::string(xmlDeclaration) + "<w:settings xmlns:w=\"" + wordNamespace +
        "\"><w:defaultTabStop w:val=\"720\"/><w:characterSpacingControl w:val=\"doNotCompress\"/><w:compat>"
        "<w:compatSetting w:name=\"compatibilityMode\" w:uri=\"" + wordCompatibilityNamespace +
        "\" w:val=\"15\"/></w:compat></w:settings>";
    return xml;
}

std::string coreXML(std::string_view title, std::string_view language) {
    return std::string(xmlDeclaration) + "<cp:coreProperties xmlns:cp=\"" + corePropertiesNamespace +
           "\" xmlns:dc=\"" + dublinCoreNamespace + "\"><dc:title>" + xmlEscaped(title, false) +
           "</dc:title><dc:language>" + xmlEscaped(language, false) + "</dc:language></cp:coreProperties>";
}

std::string documentRelsXML(const std::vector<std::string>& mediaNames) {
    std::string xml = std::string(xmlDeclaration) + "<Relationships xmlns=\"" + packageRelationshipsNamespace + "\">";
    xml += relationshipXML("rIdStyles", relationshipType("styles"), "styles.xml");
    xml += relationshipXML("rIdNumbering", relationshipType("numbering"), "numbering.xml");
    xml += relationshipXML("rIdSettings", relationshipType("settings"), "settings.xml");
    for (std::size_t i = 0; i < mediaNames.size(); ++i) {
        xml += relationshipXML("rIdImg" + std::to_string(i + 1), relationshipType("image"),
                               "media/" + xmlEscaped(mediaNames[i], true));
    }
    return xml + "</Relationships>";
}

std::string detectLanguage(const ConversionResult& result) {
    std::string sample;
    std::size_t characters = 0;
    for (const ConvertedPage& page : result.pages) {
        for (const DocElement& element : page.content.body) {
            if (characters > languageSampleLength) break;
            if (element.kind != DocElementKind::sectionHeader && element.kind != DocElementKind::text &&
                element.kind != DocElementKind::listItem) {
                continue;
            }
            const std::string piece = element.text + "\n";
            sample += piece;
            characters += graphemeCount(piece);
        }
    }
    const auto language = LanguageIdentifier::dominantLanguage(sample);
    return language == LanguageIdentifier::Language::spanish ? "es-MX" : "en-US";
}

Data zip(const std::vector<std::pair<std::string, std::span<const std::uint8_t>>>& entries) {
    std::vector<ZipArchive::Entry> archiveEntries;
    archiveEntries.reserve(entries.size());
    for (const auto& [name, bytes] : entries) {
        // PNG data is compressed already; deflating it again only costs time.
        archiveEntries.push_back(
            {name, bytes, name.ends_with(".png") ? ZipArchive::Compression::store : ZipArchive::Compression::deflate});
    }
    return ZipArchive::build(archiveEntries, {entryDate});
}

Data document(const ConversionResult& result, const Options& options) {
    // The pictures drawn so far: media file name and the crop's bytes (owned by `result`).
    std::vector<std::pair<std::string, const Data*>> media;
    Body body{result, options,
              [&media](const Data& png) {
                  const std::string n = std::to_string(media.size() + 1);
                  media.emplace_back("image" + n + ".png", &png);
                  return ImageRef{"rIdImg" + n, static_cast<int>(media.size())};
              },
              {}};
    const std::string bodyText = bodyXML(body);
    const std::string language = options.language ? *options.language : detectLanguage(result);
    const std::string title = options.title ? *options.title : result.source.stem().string();
    const PageClass page = pageClass(result);

    std::vector<std::string> mediaNames;
    for (const auto& item : media) mediaNames.push_back(item.first);
    const std::string parts[] = {
        contentTypesXML(!media.empty()),
        packageRelsXML(),
        coreXML(title, language),
        documentXML(bodyText, page.width, page.height),
        stylesXML(language),
        numberingXML(body.lists),
        settingsXML(),
        documentRelsXML(mediaNames),
    };
    const char* partNames[] = {"[Content_Types].xml", "_rels/.rels",     "docProps/core.xml",  "word/document.xml",
                               "word/styles.xml",     "word/numbering.xml", "word/settings.xml",
                               "word/_rels/document.xml.rels"};
    std::vector<std::pair<std::string, std::span<const std::uint8_t>>> entries;
    for (std::size_t i = 0; i < std::size(parts); ++i) entries.emplace_back(partNames[i], bytesOf(parts[i]));
    for (const auto& [name, png] : media) entries.emplace_back("word/media/" + name, std::span(*png));
    return zip(entries);
}

}  // namespace ce::DOCXWriter
