// The median of a list of numbers: the middle value of an odd count, the mean of
// the two middle values of an even count. The list must not be empty and must
// hold no NaN (the sort needs a strict order).
#pragma once

#include <algorithm>
#include <vector>

namespace ce {

inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) * 0.5;
}

}  // namespace ce
