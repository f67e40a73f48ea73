#include "pipeline/SupportedFiles.h"

#include <algorithm>
#include <memory>
#include <string_view>
#include <system_error>

#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

#include "core/Unicode.h"

namespace ce::SupportedFiles {

namespace fs = std::filesystem;

namespace {
// Folders that are one item to the user (application and model bundles): their
// contents are never listed.
bool isBundleFolder(const fs::path& path) {
    static const std::set<std::string> bundleExtensions = {"app", "bundle", "framework",
                                                           "mlpackage", "mlmodelc", "plugin"};
    return bundleExtensions.count(lowercasedExtension(path)) > 0;
}

bool isHidden(const fs::path& path) {
    const std::string name = path.filename().string();
    return !name.empty() && name.front() == '.';
}
}  // namespace

const std::vector<FileType>& supportedTypes() {
    static const std::vector<FileType> types = {
        {"PDF", {"pdf"}},   {"PNG", {"png"}},   {"JPEG", {"jpg", "jpeg", "jpe"}},
        {"TIFF", {"tif", "tiff"}}, {"HEIC", {"heic"}}, {"HEIF", {"heif"}},
        {"BMP", {"bmp"}},   {"GIF", {"gif"}},   {"WebP", {"webp"}},
    };
    return types;
}

const std::set<std::string>& supportedExtensions() {
    static const std::set<std::string> extensions = [] {
        std::set<std::string> all;
        for (const FileType& type : supportedTypes()) all.insert(type.extensions.begin(), type.extensions.end());
        return all;
    }();
    return extensions;
}

std::string lowercasedExtension(const fs::path& url) {
    std::string ext = url.extension().string();
    if (!ext.empty() && ext.front() == '.') ext.erase(0, 1);
    return toUtf8(toUnicode(ext).toLower(icu::Locale::getRoot()));
}

bool isSupported(const fs::path& url) { return supportedExtensions().count(lowercasedExtension(url)) > 0; }

void sortLikeFileManager(std::vector<fs::path>& paths) {
    // The POSIX locale (LANG=C) collates in code-point order, upper case first; a file
    // manager's order is the language-neutral one, so fall back to the root collation.
    icu::Locale locale = icu::Locale::getDefault();
    if (std::string_view(locale.getName()) == "en_US_POSIX") locale = icu::Locale::getRoot();
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Collator> collator(icu::Collator::createInstance(locale, status));
    if (U_FAILURE(status) || !collator) {
        std::sort(paths.begin(), paths.end());
        return;
    }
    collator->setAttribute(UCOL_NUMERIC_COLLATION, UCOL_ON, status);
    std::vector<std::pair<icu::UnicodeString, fs::path>> keyed;
    keyed.reserve(paths.size());
    for (auto& p : paths) keyed.emplace_back(toUnicode(p.string()), std::move(p));
    std::stable_sort(keyed.begin(), keyed.end(), [&](const auto& a, const auto& b) {
        UErrorCode s = U_ZERO_ERROR;
        return collator->compare(a.first, b.first, s) == UCOL_LESS;
    });
    paths.clear();
    for (auto& k : keyed) paths.push_back(std::move(k.second));
}

std::vector<fs::path> supportedFiles(const fs::path& folder, bool recursive) {
    std::vector<fs::path> found;
    std::error_code ec;
    fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec);
    if (ec) return {};
    for (const fs::recursive_directory_iterator end; it != end; it.increment(ec)) {
        if (ec) break;
        const fs::path& path = it->path();
        std::error_code typeError;
        const bool isDirectory = it->is_directory(typeError);
        if (isHidden(path) || (isDirectory && (!recursive || isBundleFolder(path)))) {
            if (isDirectory) it.disable_recursion_pending();
            continue;
        }
        if (isDirectory) continue;
        const bool regular = it->is_regular_file(typeError);
        if (typeError || !regular || !isSupported(path)) continue;
        found.push_back(path);
    }
    sortLikeFileManager(found);
    return found;
}

}  // namespace ce::SupportedFiles
