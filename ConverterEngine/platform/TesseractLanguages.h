// Recognition language codes ("en-US", "es-ES") as Tesseract language data names
// ("eng", "spa"), limited to the data installed. Stateless; safe from any thread.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace ce::TesseractLanguages {

// The folder of the .traineddata files: $TESSDATA_PREFIX when set, else Debian's.
std::filesystem::path dataDirectory();

// The Tesseract name of one recognition code ("en-US" -> "eng", "zh-Hant" -> "chi_tra");
// the language subtag decides when the whole code is not known ("en-GB" -> "eng").
// Empty for a code without a Tesseract language.
std::string tesseractName(const std::string& code);

// The "+"-joined Tesseract names of the codes in priority order, without repeats and
// without languages whose data is missing from `directory`; no codes means automatic
// choice: English, then Spanish. Throws EngineError::textRecognition naming the codes
// and the folder when no language is left.
std::string resolve(const std::vector<std::string>& codes, const std::filesystem::path& directory);

}  // namespace ce::TesseractLanguages
