// The engine-wide error: its description becomes a page's failure text.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

namespace ce {

class EngineError : public std::runtime_error {
public:
    enum class Kind { modelMissing, unreadableInput, modelOutput, imageConversion, textRecognition, inputTooLarge };

    static EngineError modelMissing(const std::string& path);
    static EngineError unreadableInput(const std::filesystem::path& url);
    // An image that declares more pixels than the engine decodes.
    static EngineError inputTooLarge(const std::filesystem::path& url);
    static EngineError modelOutput(const std::string& detail);
    static EngineError imageConversion();
    // Text recognition could not run (missing language data, a failed recogniser).
    static EngineError textRecognition(const std::string& detail);

    Kind kind() const { return kind_; }
    // The payload: model path, input path or detail; empty for imageConversion.
    const std::string& detail() const { return detail_; }
    std::string description() const { return what(); }

private:
    EngineError(Kind kind, std::string detail, const std::string& text);
    Kind kind_;
    std::string detail_;
};

}  // namespace ce
