// Readable names for parameterised cases. CTest lists every case by the name the
// generator gives it and by its printed parameter, so both are short text: a case
// prints as its name (a PrintTo beside its struct calls `printable`), and generators
// build names with `identifier`.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <string_view>

namespace ce::testing {

// The text with every byte outside printable ASCII written as \xNN.
inline std::string printable(std::string_view text) {
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7f) {
            out += c;
        } else {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            out += escaped;
        }
    }
    return out;
}

// The text as a test name: letters and digits kept, every run of other bytes one "_";
// "empty" when nothing is left.
inline std::string identifier(std::string_view text) {
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool kept = (byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z');
        if (kept) {
            out += c;
        } else if (out.empty() || out.back() != '_') {
            out += '_';
        }
    }
    return out.empty() || out == "_" ? "empty" : out;
}

// Names each case by its `name` field.
struct ByName {
    template <class Case>
    std::string operator()(const ::testing::TestParamInfo<Case>& info) const {
        return identifier(info.param.name);
    }
};

// Names each case by its position and a text of its own, for cases without a name
// (their texts may repeat once made identifiers).
template <auto Field>
struct ByIndexAnd {
    template <class Case>
    std::string operator()(const ::testing::TestParamInfo<Case>& info) const {
        return std::to_string(info.index) + "_" + identifier(info.param.*Field);
    }
};

}  // namespace ce::testing
