// The length limit of one file name: Linux file systems hold at most 255 bytes in a name,
// so names made from long source names are cut to fit before anything is written.
#pragma once

#include <cstddef>
#include <string_view>

namespace ce::FileNameLength {

// The most bytes one file or folder name may hold.
inline constexpr std::size_t maximumBytes = 255;

// The longest start of `text` that holds at most `bytes` bytes and does not split a UTF-8
// character (bytes that are not UTF-8 are cut like single characters).
std::string_view prefix(std::string_view text, std::size_t bytes);

}  // namespace ce::FileNameLength
