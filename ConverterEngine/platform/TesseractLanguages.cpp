#include "platform/TesseractLanguages.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <string_view>
#include <system_error>
#include <utility>

#include "core/EngineError.h"

namespace ce::TesseractLanguages {

namespace {

constexpr std::array<std::pair<std::string_view, std::string_view>, 10> knownCodes = {{
    {"en", "eng"},
    {"es", "spa"},
    {"zh-Hans", "chi_sim"},
    {"zh-Hant", "chi_tra"},
    {"zh", "chi_sim"},
    {"fr", "fra"},
    {"de", "deu"},
    {"it", "ita"},
    {"pt", "por"},
    {"nl", "nld"},
}};

std::string lookUp(std::string_view code) {
    for (const auto& [known, name] : knownCodes)
        if (known == code) return std::string(name);
    return {};
}

std::string joined(const std::vector<std::string>& codes) {
    std::string text;
    for (const std::string& code : codes) text += (text.empty() ? "" : ", ") + code;
    return text;
}

}  // namespace

std::filesystem::path dataDirectory() {
    if (const char* prefix = std::getenv("TESSDATA_PREFIX"); prefix != nullptr && *prefix != '\0') return prefix;
    return "/usr/share/tesseract-ocr/5/tessdata";
}

std::string tesseractName(const std::string& code) {
    if (std::string name = lookUp(code); !name.empty()) return name;
    // "zh-Hant-TW" keeps its script subtag; "en-US" falls back to its language.
    std::string_view rest = code;
    for (std::size_t dash = rest.rfind('-'); dash != std::string_view::npos && dash > 0; dash = rest.rfind('-')) {
        rest = rest.substr(0, dash);
        if (std::string name = lookUp(rest); !name.empty()) return name;
    }
    return {};
}

std::string resolve(const std::vector<std::string>& codes, const std::filesystem::path& directory) {
    const std::vector<std::string> wanted = codes.empty() ? std::vector<std::string>{"en-US", "es-ES"} : codes;
    std::vector<std::string> names;
    for (const std::string& code : wanted) {
        const std::string name = tesseractName(code);
        if (name.empty() || std::find(names.begin(), names.end(), name) != names.end()) continue;
        std::error_code error;
        if (std::filesystem::is_regular_file(directory / (name + ".traineddata"), error)) names.push_back(name);
    }
    if (names.empty())
        throw EngineError::textRecognition("no installed language data for " + joined(wanted) + " in " +
                                           directory.string());
    std::string result;
    for (const std::string& name : names) result += (result.empty() ? "" : "+") + name;
    return result;
}

}  // namespace ce::TesseractLanguages
