// Converting a double to int for pixel and grid arithmetic without undefined behaviour.
#pragma once

#include <algorithm>
#include <climits>

namespace ce {

// Truncation toward zero, kept inside int's range; NaN counts as 0.
inline int truncated(double value) {
    if (!(value == value)) return 0;
    return static_cast<int>(std::clamp(value, static_cast<double>(INT_MIN), static_cast<double>(INT_MAX)));
}

}  // namespace ce
