#include "scale/progpoints.h"
#include <gtest/gtest.h>
#include <cmath>
#include <random>
#include <vector>

namespace {

using Rows = std::vector<std::int64_t>;

struct Table {
    std::vector<double> x, y;
    std::int64_t Count() const { return static_cast<std::int64_t>(x.size()); }
};

Table Squares()
{
    return {{0, 1, 2, 3, 4}, {0, 1, 4, 9, 16}};
}

TEST(ProgPoints, SquaresWithDeviationOne)
{
    Table t = Squares();
    EXPECT_EQ(ReduceToProgPoints(t.x.data(), t.y.data(), t.Count(), 1.0, 50), (Rows{0, 2, 4}));
    EXPECT_EQ(ReduceToProgPointsDirect(t.x.data(), t.y.data(), t.Count(), 1.0, 50), (Rows{0, 2, 4}));
}

TEST(ProgPoints, StraightTableIsItsTwoEnds)
{
    Table t;
    for (int i = 0; i < 100000; ++i) {
        t.x.push_back(0.5 * i - 30.0);
        t.y.push_back(0.25 * i + 7.0);
    }
    EXPECT_EQ(ReduceToProgPoints(t.x.data(), t.y.data(), t.Count(), 0.5, 50), (Rows{0, 99999}));
}

TEST(ProgPoints, FewRows)
{
    const double x[] = {1.0, 2.0}, y[] = {5.0, -5.0};
    EXPECT_TRUE(ReduceToProgPoints(x, y, 0, 1.0, 50).empty());
    EXPECT_TRUE(ReduceToProgPoints(x, y, 1, 1.0, 50).empty());
    EXPECT_EQ(ReduceToProgPoints(x, y, 2, 0.0, 50), (Rows{0, 1}));
}

TEST(ProgPoints, ZeroDeviationStillAdvancesAndEnds)
{
    // A zigzag: with no deviation allowed every row is a break point; the
    // reduction must neither repeat an anchor nor stop short of the limit.
    Table t;
    for (int i = 0; i < 30; ++i) {
        t.x.push_back(i);
        t.y.push_back(i % 2 ? 1.0 : 0.0);
    }
    Rows rows = ReduceToProgPoints(t.x.data(), t.y.data(), t.Count(), 0.0, 50);
    ASSERT_EQ(rows.size(), 30u);
    for (int i = 0; i < 30; ++i)
        EXPECT_EQ(rows[i], i);
}

TEST(ProgPoints, LimitStopsBeforeTheEnd)
{
    Table t;
    for (int i = 0; i < 200; ++i) {
        t.x.push_back(i);
        t.y.push_back(i % 2 ? 3.0 : -3.0);
    }
    Rows rows = ReduceToProgPoints(t.x.data(), t.y.data(), t.Count(), 1.0, 50);
    ASSERT_EQ(rows.size(), 50u);
    EXPECT_EQ(rows.back(), 49);
}

// Tables of the kinds a scale produces, plus rounding-heavy ones.
Table RandomTable(std::mt19937_64 &rng, int kind, int count)
{
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    Table t;
    const double x0 = std::round(u(rng) * 1000.0), step = std::vector<double>{0.001, 0.1, 1.0, 7.0}[rng() % 4];
    double x = x0, walk = 0.0;
    const double a = u(rng), b = u(rng) * 3, c = u(rng) * 0.01;
    for (int i = 0; i < count; ++i) {
        double y = 0;
        switch (kind) {
        case 0: // random walk
            walk += u(rng);
            y = walk;
            break;
        case 1: // straight with an awkward slope: deviations are pure rounding
            y = (x - x0) * (1.0 / 3.0) * b + a;
            break;
        case 2: // integer-valued steps: many exact ties
            y = std::floor((x - x0) / step / 3.0) + (i % 5 == 0 ? 1.0 : 0.0);
            break;
        case 3: // smooth curve
            y = a + b * (x - x0) + c * (x - x0) * (x - x0);
            break;
        default: // large values: rounding far above small deviations
            y = 1e9 * std::sin(i * 0.01) + 1e12;
            break;
        }
        t.x.push_back(x);
        t.y.push_back(y);
        x = x + step;
    }
    return t;
}

TEST(ProgPoints, FastMatchesDirectOnRandomTables)
{
    std::mt19937_64 rng(20260);
    std::uniform_int_distribution<int> countDist(2, 200);
    // The tables must reach the paths that matter: reductions that keep inner
    // rows, and reductions that the limit cuts short.
    int inner = 0, cut = 0;
    for (int iter = 0; iter < 1000; ++iter) {
        Table t = RandomTable(rng, iter % 5, countDist(rng));
        const std::int64_t n = t.Count();
        std::vector<double> deviations = {0.0, 1e-300, 1e-12, 0.01, 0.3, 2.0};
        // Deviations equal to one the reduction meets: exact ties.
        for (int k = 0; k < 4; ++k) {
            std::int64_t a = rng() % n, i = rng() % n, j = rng() % n;
            if (a > i)
                std::swap(a, i);
            j = a + (i > a ? static_cast<std::int64_t>(rng() % (i - a + 1)) : 0);
            double slope = ChordSlope(t.x[i], t.y[i], t.x[a], t.y[a]);
            double d = ChordDeviation(t.x[j], t.y[j], t.x[a], t.y[a], slope);
            deviations.push_back(d);
            deviations.push_back(std::nextafter(d, 0.0));
            deviations.push_back(std::nextafter(d, 1e300));
        }
        for (double m : deviations) {
            for (int limit : {50, 3}) {
                Rows fast = ReduceToProgPoints(t.x.data(), t.y.data(), n, m, limit);
                Rows direct = ReduceToProgPointsDirect(t.x.data(), t.y.data(), n, m, limit);
                ASSERT_EQ(fast, direct) << "iter " << iter << " kind " << iter % 5 << " n " << n << " m " << m;
                inner += fast.size() > 2;
                cut += !fast.empty() && fast.back() != n - 1;
            }
        }
    }
    EXPECT_GT(inner, 2000);
    EXPECT_GT(cut, 1000);
}

TEST(ProgPoints, EveryRowLiesWithinTheDeviationOfItsChord)
{
    std::mt19937_64 rng(3);
    for (int iter = 0; iter < 200; ++iter) {
        Table t = RandomTable(rng, 3, 500);
        const double m = 0.05;
        Rows rows = ReduceToProgPoints(t.x.data(), t.y.data(), t.Count(), m, 1000);
        ASSERT_EQ(rows.front(), 0);
        ASSERT_EQ(rows.back(), t.Count() - 1);
        for (size_t p = 1; p < rows.size(); ++p) {
            std::int64_t a = rows[p - 1], f = rows[p];
            ASSERT_LT(a, f);
            double slope = ChordSlope(t.x[f], t.y[f], t.x[a], t.y[a]);
            for (std::int64_t j = a; j <= f && f > a + 1; ++j)
                EXPECT_LE(ChordDeviation(t.x[j], t.y[j], t.x[a], t.y[a], slope), m);
        }
    }
}

} // namespace
