#include "output/FileNameLength.h"

namespace ce::FileNameLength {

std::string_view prefix(std::string_view text, std::size_t bytes) {
    if (text.size() <= bytes) return text;
    std::size_t end = bytes;
    // A continuation byte (10xxxxxx) belongs to the character before it.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return text.substr(0, end);
}

}  // namespace ce::FileNameLength
