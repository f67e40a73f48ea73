// User-perceived characters (extended grapheme clusters, ICU's rules): a base with
// its combining marks, CR LF, a flag's two regional indicators and an emoji ZWJ
// sequence are each one character. Thread-safe: each thread uses its own iterator.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace ce {

// The characters of a UTF-8 text as views into it, in order.
std::vector<std::string_view> graphemeClusters(std::string_view text);

std::size_t graphemeCount(std::string_view text);

}  // namespace ce
