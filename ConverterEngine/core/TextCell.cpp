#include "core/TextCell.h"

#include <unicode/normalizer2.h>
#include <unicode/unistr.h>

namespace ce {

namespace {
bool canonicallyEqual(const std::string& a, const std::string& b) {
    if (a == b) return true;
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(status);
    if (U_FAILURE(status)) return false;
    const icu::UnicodeString na = nfd->normalize(icu::UnicodeString::fromUTF8(a), status);
    const icu::UnicodeString nb = nfd->normalize(icu::UnicodeString::fromUTF8(b), status);
    return U_SUCCESS(status) && na == nb;
}
}  // namespace

bool TextCell::operator==(const TextCell& other) const {
    return index == other.index && bbox == other.bbox && confidence == other.confidence &&
           fromOCR == other.fromOCR && canonicallyEqual(text, other.text);
}

}  // namespace ce
