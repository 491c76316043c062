#include "common/numeric.h"
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

TEST(Trunc, SaturatesTowardZero)
{
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double v;
        int i;
        std::int64_t l;
    } cases[] = {
        {2.9, 2, 2},
        {-2.9, -2, -2},
        {0.0, 0, 0},
        {std::nan(""), 0, 0},
        {1e10, 2147483647, 10000000000LL},
        {-1e10, -2147483647 - 1, -10000000000LL},
        {inf, 2147483647, std::numeric_limits<std::int64_t>::max()},
        {-inf, -2147483647 - 1, std::numeric_limits<std::int64_t>::min()},
        {2147483647.5, 2147483647, 2147483647},
        {1e19, 2147483647, std::numeric_limits<std::int64_t>::max()},
        {9.2233720368547e18, 2147483647, 9223372036854700032LL},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(TruncToInt(c.v), c.i) << c.v;
        EXPECT_EQ(TruncToInt64(c.v), c.l) << c.v;
    }
}
