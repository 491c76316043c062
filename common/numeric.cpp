#include "common/numeric.h"
#include <cmath>
#include <limits>

template <typename T> static T Saturate(double value)
{
    if (std::isnan(value))
        return 0;
    double t = std::trunc(value);
    // The limits as doubles: max() rounds up to 2^(bits-1), so compare with >=.
    if (t >= static_cast<double>(std::numeric_limits<T>::max()))
        return std::numeric_limits<T>::max();
    if (t <= static_cast<double>(std::numeric_limits<T>::min()))
        return std::numeric_limits<T>::min();
    return static_cast<T>(t);
}

int TruncToInt(double value) { return Saturate<int>(value); }
std::int64_t TruncToInt64(double value) { return Saturate<std::int64_t>(value); }
