#include "core/EngineError.h"

namespace ce {

EngineError::EngineError(Kind kind, std::string detail, const std::string& text)
    : std::runtime_error(text), kind_(kind), detail_(std::move(detail)) {}

EngineError EngineError::modelMissing(const std::string& path) {
    return {Kind::modelMissing, path, "model not found: " + path};
}

EngineError EngineError::unreadableInput(const std::filesystem::path& url) {
    return {Kind::unreadableInput, url.string(), "cannot read input: " + url.string()};
}

EngineError EngineError::inputTooLarge(const std::filesystem::path& url) {
    return {Kind::inputTooLarge, url.string(), "image too large to convert: " + url.string()};
}

EngineError EngineError::modelOutput(const std::string& detail) {
    return {Kind::modelOutput, detail, "unexpected model output: " + detail};
}

EngineError EngineError::imageConversion() {
    return {Kind::imageConversion, "", "image conversion failed"};
}

EngineError EngineError::textRecognition(const std::string& detail) {
    return {Kind::textRecognition, detail, "text recognition failed: " + detail};
}

}  // namespace ce
