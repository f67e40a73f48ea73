// What a conversion is asked to do, and the output formats the application offers.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/ConverterOptions.h"

namespace ce {

enum class OutputFormat { markdown, docx, csv };

namespace OutputFormats {
const std::array<OutputFormat, 3>& allCases();
std::string_view rawValue(OutputFormat format);      // "markdown", "docx", "csv"
std::string_view fileExtension(OutputFormat format);  // "md", "docx", "csv"
std::optional<OutputFormat> fromRawValue(std::string_view raw);
}  // namespace OutputFormats

// A closed range of 0-based page indices, both ends inclusive.
struct PageRange {
    int first = 0;
    int last = 0;
};

struct ConversionOptions {
    enum class Language { automatic, english, spanish };

    Language language = Language::automatic;
    std::optional<std::vector<std::string>> ocrLanguages;  // none: the language's preset
    bool forceOCR = false;
    std::optional<PageRange> pageRange;
    bool extractImages = true;
    ConverterOptions pipeline;

    ConversionOptions() = default;
    explicit ConversionOptions(Language language) : language(language) {}
};

namespace Languages {
const std::array<ConversionOptions::Language, 3>& allCases();
std::string_view rawValue(ConversionOptions::Language language);  // "auto", "en", "es"
std::optional<ConversionOptions::Language> fromRawValue(std::string_view raw);
// The recognition languages of the preset; empty means automatic detection.
std::vector<std::string> ocrLanguages(ConversionOptions::Language language);
// The recognition-language presets by code: "en" -> en-US; "es" -> es-ES, en-US;
// "zh" and "en-zh" -> zh-Hans, en-US; "zh-hant" -> zh-Hant, en-US; anything else,
// or none, -> empty (automatic). Case-sensitive.
std::vector<std::string> recognitionLanguages(const std::optional<std::string>& code);
}  // namespace Languages

}  // namespace ce
