#include "core/ValueHash.h"

#include <string>
#include <string_view>

#include <unicode/normalizer2.h>
#include <unicode/unistr.h>

namespace ce {

namespace {

void combine(std::size_t& h, std::size_t value) { h ^= value + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2); }

// The text in canonical decomposition, so that canonically equal texts hash alike.
std::string decomposed(const std::string& text) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(status);
    if (U_FAILURE(status)) return text;
    const icu::UnicodeString normal = nfd->normalize(icu::UnicodeString::fromUTF8(text), status);
    if (U_FAILURE(status)) return text;
    std::string out;
    normal.toUTF8String(out);
    return out;
}

}  // namespace

std::size_t hashValue(DocLabel label) { return std::hash<std::string_view>{}(DocLabels::rawValue(label)); }

std::size_t hashValue(const TextCell& cell) {
    std::size_t h = 0;
    combine(h, std::hash<int>{}(cell.index));
    combine(h, std::hash<std::string>{}(decomposed(cell.text)));
    combine(h, hashValue(cell.bbox));
    combine(h, std::hash<double>{}(cell.confidence));
    combine(h, std::hash<bool>{}(cell.fromOCR));
    return h;
}

std::size_t hashValue(const LayoutRegion& region) {
    std::size_t h = 0;
    combine(h, std::hash<int>{}(region.id));
    combine(h, hashValue(region.label));
    combine(h, hashValue(region.bbox));
    combine(h, std::hash<double>{}(region.confidence));
    return h;
}

}  // namespace ce
