#pragma once
// Truncation toward zero that saturates instead of invoking undefined
// behaviour: NaN gives 0, values beyond the type give its limit.
#include <cstdint>

int TruncToInt(double value);
std::int64_t TruncToInt64(double value);
