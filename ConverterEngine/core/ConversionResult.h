// What a conversion returns: one ConvertedPage per converted page, plus progress
// reports and batch items. Plain values, copied rather than shared.
#pragma once

#include <cstdint>
#include <exception>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "core/DocElement.h"
#include "core/LayoutRegion.h"

namespace ce {

using Data = std::vector<std::uint8_t>;

struct ConvertedPage {
    int index = 0;  // 0-based page index in the document
    double width = 0;
    double height = 0;
    std::optional<int> pixelWidth;   // image pages only
    std::optional<int> pixelHeight;
    bool usedOCR = false;
    std::optional<double> deskewDegrees;  // the corrected turn: the skew, plus 180 on a page read upside down
    AssembledPage content;
    std::vector<LayoutRegion> regions;  // one per top-level final cluster
    std::map<int, Data> images;         // PNG crops by cluster id
    std::map<std::string, double> timings;
    std::optional<std::string> failure;  // set when converting the page failed
};

struct ConversionResult {
    std::filesystem::path source;
    int sourcePageCount = 0;
    std::vector<ConvertedPage> pages;
    double seconds = 0;
};

struct ConversionProgress {
    int completedPages = 0;
    int totalPages = 0;
    bool operator==(const ConversionProgress&) const = default;
};

struct BatchItem {
    int index = 0;
    std::filesystem::path url;
    std::variant<ConversionResult, std::exception_ptr> result;
};

}  // namespace ce
