// Document-level conversion errors; each carries the file's path.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

namespace ce {

class ConversionError : public std::runtime_error {
public:
    enum class Kind { unsupportedFile, unreadable, passwordProtected, noPages };

    // `reason`, when given, follows the text after ": " (why the file cannot be read).
    ConversionError(Kind kind, std::filesystem::path url, const std::string& reason = "");

    Kind kind() const { return kind_; }
    const std::filesystem::path& url() const { return url_; }
    std::string description() const { return what(); }

    bool operator==(const ConversionError& other) const {
        return kind_ == other.kind_ && url_ == other.url_;
    }

private:
    Kind kind_;
    std::filesystem::path url_;
};

// Thrown when a conversion's task is cancelled; ends the conversion without a result.
class CancellationError : public std::runtime_error {
public:
    CancellationError() : std::runtime_error("cancelled") {}
};

}  // namespace ce
