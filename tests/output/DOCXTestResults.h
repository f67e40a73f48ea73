// Hand-built results for the DOCX tests: elements, pages and PNG data.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/ConversionResult.h"

namespace docxtest {

inline ce::DocElement element(ce::DocElementKind kind, std::string text, ce::BBox box = {}, int clusterID = 0) {
    ce::DocElement e;
    e.kind = kind;
    e.text = std::move(text);
    e.orig = e.text;
    e.bbox = box;
    e.clusterID = clusterID;
    return e;
}

inline ce::DocElement listItem(std::string marker, std::string text, std::optional<int> listID = 1,
                               bool enumerated = false) {
    ce::DocElement e = element(ce::DocElementKind::listItem, std::move(text));
    e.label = ce::DocLabel::listItem;
    e.marker = std::move(marker);
    e.listID = listID;
    e.enumerated = enumerated;
    return e;
}

inline ce::DocElement withCaptions(ce::DocElement e, const std::vector<std::string>& captions) {
    for (const std::string& text : captions) e.captions.push_back(element(ce::DocElementKind::caption, text));
    return e;
}

inline ce::ConvertedPage page(std::vector<ce::DocElement> body, double width = 612, double height = 792) {
    ce::ConvertedPage p;
    p.width = width;
    p.height = height;
    p.content.body = std::move(body);
    return p;
}

inline ce::ConversionResult result(std::vector<ce::ConvertedPage> pages, std::string source = "/docs/report.pdf") {
    ce::ConversionResult r;
    r.source = source;
    r.sourcePageCount = static_cast<int>(pages.size());
    r.pages = std::move(pages);
    return r;
}

// The first 24 bytes of a PNG declaring the given pixel size (enough for the header reader).
inline ce::Data pngHeader(std::uint32_t width, std::uint32_t height) {
    ce::Data png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    for (std::uint32_t value : {width, height}) {
        for (int shift = 24; shift >= 0; shift -= 8) png.push_back(static_cast<std::uint8_t>(value >> shift));
    }
    return png;
}

// A real 4 x 3 pixel PNG that image readers can decode.
inline ce::Data redPNG() {
    std::ifstream file(CE_TEST_FIXTURES "/docx/red-4x3.png", std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

}  // namespace docxtest
