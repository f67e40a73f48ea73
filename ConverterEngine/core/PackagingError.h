// The error of a document whose output package (the DOCX archive) could not be built.
// Its text always starts with "the document could not be packaged", followed by the
// archive library's reason when there is one.
#pragma once

#include <stdexcept>
#include <string>

namespace ce {

class PackagingError : public std::runtime_error {
public:
    explicit PackagingError(const std::string& reason)
        : std::runtime_error(reason.empty() ? std::string(prefix)
                                            : std::string(prefix) + ": " + reason) {}

    static constexpr const char* prefix = "the document could not be packaged";
};

}  // namespace ce
