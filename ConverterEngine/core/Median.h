// Medians of a list of numbers. The list must not be empty and must hold no NaN (the
// sort needs a strict order).
#pragma once

#include <algorithm>
#include <vector>

namespace ce {

// The middle value of an odd count, the mean of the two middle values of an even count.
inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) * 0.5;
}

// The value at position n / 2 of the sorted list (the upper of the two middle values).
inline double upperMedian(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The value at position (n - 1) / 2 of the sorted list (the lower of the two middle values).
inline double lowerMedian(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[(values.size() - 1) / 2];
}

}  // namespace ce
