#pragma once

#include <limits>

namespace Brisk::detail {

// Towards zero, saturating: a huge scale factor must not overflow.
inline int Trunc(double v) {
    constexpr double kMax = std::numeric_limits<int>::max();
    constexpr double kMin = std::numeric_limits<int>::min();
    return v >= kMax   ? std::numeric_limits<int>::max()
           : v <= kMin ? std::numeric_limits<int>::min()
                       : static_cast<int>(v);
}

}  // namespace Brisk::detail
