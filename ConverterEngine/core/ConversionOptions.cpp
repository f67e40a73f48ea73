#include "core/ConversionOptions.h"

namespace ce {

namespace {
constexpr std::array<std::string_view, 3> formatRaw = {"markdown", "docx", "csv"};
constexpr std::array<std::string_view, 3> formatExtension = {"md", "docx", "csv"};
constexpr std::array<std::string_view, 3> languageRaw = {"auto", "en", "es"};
}  // namespace

const std::array<OutputFormat, 3>& OutputFormats::allCases() {
    static constexpr std::array<OutputFormat, 3> cases = {OutputFormat::markdown, OutputFormat::docx,
                                                          OutputFormat::csv};
    return cases;
}

std::string_view OutputFormats::rawValue(OutputFormat format) {
    return formatRaw[static_cast<std::size_t>(format)];
}

std::string_view OutputFormats::fileExtension(OutputFormat format) {
    return formatExtension[static_cast<std::size_t>(format)];
}

std::optional<OutputFormat> OutputFormats::fromRawValue(std::string_view raw) {
    for (std::size_t i = 0; i < formatRaw.size(); ++i) {
        if (formatRaw[i] == raw) return static_cast<OutputFormat>(i);
    }
    return std::nullopt;
}

const std::array<ConversionOptions::Language, 3>& Languages::allCases() {
    using L = ConversionOptions::Language;
    static constexpr std::array<L, 3> cases = {L::automatic, L::english, L::spanish};
    return cases;
}

std::string_view Languages::rawValue(ConversionOptions::Language language) {
    return languageRaw[static_cast<std::size_t>(language)];
}

std::optional<ConversionOptions::Language> Languages::fromRawValue(std::string_view raw) {
    for (std::size_t i = 0; i < languageRaw.size(); ++i) {
        if (languageRaw[i] == raw) return static_cast<ConversionOptions::Language>(i);
    }
    return std::nullopt;
}

std::vector<std::string> Languages::ocrLanguages(ConversionOptions::Language language) {
    return recognitionLanguages(std::string(rawValue(language)));
}

std::vector<std::string> Languages::recognitionLanguages(const std::optional<std::string>& code) {
    if (!code) return {};
    if (*code == "en") return {"en-US"};
    if (*code == "es") return {"es-ES", "en-US"};
    if (*code == "zh" || *code == "en-zh") return {"zh-Hans", "en-US"};
    if (*code == "zh-hant") return {"zh-Hant", "en-US"};
    return {};
}

}  // namespace ce
