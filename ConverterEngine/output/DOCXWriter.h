// Turning one ConversionResult into the bytes of a Word document: a WordprocessingML
// package (eight XML parts and one PNG per drawn picture) zipped in memory. Nothing
// is written to disk; the same result and options always give the same bytes. Pure:
// safe to call from any thread.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/ConversionResult.h"

namespace ce::DOCXWriter {

struct Options {
    std::optional<std::string> title;     // nil: the source file name without its extension
    std::optional<std::string> language;  // a BCP 47 tag such as "en-US"; nil: detected
    bool images = true;                   // draw pictures (and formulas without text)
};

// The package's bytes. Throws PackagingError when the archive cannot be built.
Data document(const ConversionResult& result, const Options& options = {});

// "es-MX" when the first 4000 or so characters of the result's headings, texts and list
// items read as Spanish; "en-US" otherwise, and for a result without such text.
std::string detectLanguage(const ConversionResult& result);

// The package's fixed and small parts.
std::string contentTypesXML(bool hasMedia);
std::string coreXML(std::string_view title, std::string_view language);
std::string documentRelsXML(const std::vector<std::string>& mediaNames);
const std::string& packageRelsXML();
const std::string& settingsXML();

// The entries zipped in order: names ending in ".png" stored, all others deflated,
// every entry dated 1 January 2000 00:00:00 UTC. Throws PackagingError.
Data zip(const std::vector<std::pair<std::string, std::span<const std::uint8_t>>>& entries);

}  // namespace ce::DOCXWriter
