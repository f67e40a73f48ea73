// Writing a whole file so that readers see either the old file or the complete new one:
// the bytes go to a temporary file in the same folder, which then replaces the target.
#pragma once

#include <filesystem>
#include <string_view>

namespace ce::AtomicFile {

// Replaces `target` with `bytes`. Throws std::filesystem::filesystem_error (naming the
// target) when the folder cannot take the file; the temporary file is removed then and
// an existing target stays as it was.
void write(const std::filesystem::path& target, std::string_view bytes);

}  // namespace ce::AtomicFile
