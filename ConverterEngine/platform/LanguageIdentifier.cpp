#include "platform/LanguageIdentifier.h"

#include <climits>
#include <memory>
#include <string>

#include <fingerprint.h>

#include "core/Unicode.h"

namespace ce::LanguageIdentifier {

namespace {

// Where Debian's libexttextcat-data installs the fingerprints.
constexpr const char* fingerprintFolder = "/usr/share/libexttextcat/";
// n-grams kept per fingerprint, as in the library's own classifier.
constexpr int maxNgrams = 400;

struct FingerprintFree {
    void operator()(void* fingerprint) const { fp_Done(fingerprint); }
};
using Fingerprint = std::unique_ptr<void, FingerprintFree>;

Fingerprint newFingerprint(const char* name) {
    Fingerprint fingerprint(fp_Init(name));
    if (fingerprint) fp_SetProperty(fingerprint.get(), TCPROP_UTF8AWARE, TC_TRUE);
    return fingerprint;
}

Fingerprint readFingerprint(const char* language) {
    Fingerprint fingerprint = newFingerprint(language);
    const std::string path = std::string(fingerprintFolder) + language + ".lm";
    if (fingerprint && fp_Read(fingerprint.get(), path.c_str(), maxNgrams) == 0) fingerprint.reset();
    return fingerprint;
}

// The two language fingerprints, read on first use and only read from afterwards.
struct Fingerprints {
    Fingerprint english = readFingerprint("en");
    Fingerprint spanish = readFingerprint("es");
};

const Fingerprints& fingerprints() {
    static const Fingerprints loaded;
    return loaded;
}

}  // namespace

std::optional<Language> dominantLanguage(std::string_view text) {
    const Fingerprints& known = fingerprints();
    if (!known.english || !known.spanish || text.empty()) return std::nullopt;
    // The library walks UTF-8 by lead bytes: hand it only well-formed text.
    const std::string wellFormed = toUtf8(toUnicode(text));
    Fingerprint unknown = newFingerprint("unknown");
    if (!unknown ||
        fp_Create(unknown.get(), wellFormed.data(), static_cast<uint4>(wellFormed.size()), maxNgrams) == 0) {
        return std::nullopt;
    }
    // Out-of-place distances: the smaller is the closer language.
    const sint4 english = fp_Compare(known.english.get(), unknown.get(), INT_MAX);
    const sint4 spanish = fp_Compare(known.spanish.get(), unknown.get(), INT_MAX);
    return spanish < english ? Language::spanish : Language::english;
}

}  // namespace ce::LanguageIdentifier
