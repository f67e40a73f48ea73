#include "core/ConversionError.h"

namespace ce {

namespace {
std::string describe(ConversionError::Kind kind, const std::filesystem::path& url) {
    const std::string name = url.filename().string();
    switch (kind) {
        case ConversionError::Kind::unsupportedFile: return "unsupported file type: " + name;
        case ConversionError::Kind::unreadable: return "cannot read " + name;
        case ConversionError::Kind::passwordProtected: return name + " is password-protected";
        case ConversionError::Kind::noPages: return name + " has no pages to convert";
    }
    return name;
}
}  // namespace

ConversionError::ConversionError(Kind kind, std::filesystem::path url, const std::string& reason)
    : std::runtime_error(reason.empty() ? describe(kind, url) : describe(kind, url) + ": " + reason),
      kind_(kind),
      url_(std::move(url)) {}

}  // namespace ce
