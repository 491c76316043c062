#include "scale/progpoints.h"
#include <cmath>
#include <cstring>
#include <limits>

namespace {

using Ord = std::uint64_t;

// Finite doubles in ascending order, numbered 0 .. OrdCount - 1 (both zeros
// share one number: the deviation does not tell them apart).
constexpr std::int64_t KeyMax = 0x7FEFFFFFFFFFFFFF; // bits of DBL_MAX
constexpr Ord OrdCount = 2 * static_cast<Ord>(KeyMax) + 1;
constexpr std::uint64_t SignBit = 0x8000000000000000ULL;

Ord ToOrd(double v)
{
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    std::int64_t key = (bits & SignBit) ? -static_cast<std::int64_t>(bits & ~SignBit)
                                        : static_cast<std::int64_t>(bits);
    return static_cast<Ord>(key) + static_cast<Ord>(KeyMax);
}

double FromOrd(Ord o)
{
    std::int64_t key = static_cast<std::int64_t>(o - static_cast<Ord>(KeyMax));
    std::uint64_t bits = key >= 0 ? static_cast<std::uint64_t>(key) : (SignBit | static_cast<std::uint64_t>(-key));
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

Ord GuessOrd(double v)
{
    if (std::isnan(v))
        return ToOrd(0.0);
    if (v >= std::numeric_limits<double>::max())
        return OrdCount - 1;
    if (v <= -std::numeric_limits<double>::max())
        return 0;
    return ToOrd(v);
}

// Smallest o in [0, OrdCount) with p(FromOrd(o)) true, or OrdCount when there
// is none; p must be false below some point and true from it on. Gallops from
// the guess, so a guess a few units off costs a few evaluations.
template <typename P> Ord FirstTrue(P p, Ord guess)
{
    Ord falseBelow, trueAt; // p is false at falseBelow and true at trueAt
    if (p(FromOrd(guess))) {
        trueAt = guess;
        Ord step = 1;
        for (;;) {
            if (trueAt == 0)
                return 0;
            Ord probe = trueAt > step ? trueAt - step : 0;
            if (!p(FromOrd(probe))) {
                falseBelow = probe;
                break;
            }
            trueAt = probe;
            step *= 2;
        }
    } else {
        falseBelow = guess;
        Ord step = 1;
        for (;;) {
            if (falseBelow == OrdCount - 1)
                return OrdCount;
            Ord probe = OrdCount - 1 - falseBelow > step ? falseBelow + step : OrdCount - 1;
            if (p(FromOrd(probe))) {
                trueAt = probe;
                break;
            }
            falseBelow = probe;
            step *= 2;
        }
    }
    while (trueAt - falseBelow > 1) {
        Ord mid = falseBelow + (trueAt - falseBelow) / 2;
        if (p(FromOrd(mid)))
            trueAt = mid;
        else
            falseBelow = mid;
    }
    return trueAt;
}

// The slopes (as ordinals, lo inclusive, hi exclusive) for which row j stays
// within the deviation of the chord from the anchor. The rounded deviation is
// monotone on either side of its minimum in the slope, so the set is an
// interval; its ends are found on the very expression the direct scan uses.
struct SlopeInterval {
    Ord lo, hi;
};

SlopeInterval AllowedSlopes(double xj, double yj, double xa, double ya, double m)
{
    const double dx = xj - xa;
    auto g = [&](double s) { return yj - ((xj - xa) * s + ya); };
    if (dx == 0) {
        if (ChordDeviation(xj, yj, xa, ya, 0.0) > m)
            return {OrdCount, 0};
        return {0, OrdCount};
    }
    // Where g crosses +m and -m in real arithmetic: the ends lie within a few
    // units of these.
    const long double base = static_cast<long double>(yj) - ya;
    const double atPlus = static_cast<double>((base - m) / dx);  // g = +m
    const double atMinus = static_cast<double>((base + m) / dx); // g = -m
    if (dx > 0) {
        // g falls as the slope grows.
        Ord lo = FirstTrue([&](double s) { return g(s) <= m; }, GuessOrd(atPlus));
        Ord hi = FirstTrue([&](double s) { return g(s) < -m; }, GuessOrd(atMinus));
        return {lo, hi};
    }
    Ord lo = FirstTrue([&](double s) { return g(s) >= -m; }, GuessOrd(atMinus));
    Ord hi = FirstTrue([&](double s) { return g(s) > m; }, GuessOrd(atPlus));
    return {lo, hi};
}

bool UsableForIntervals(const double *x, const double *y, std::int64_t count)
{
    // Away from the ends of the double range no difference or product of the
    // chord can overflow into a NaN.
    constexpr double Bound = 1e150;
    for (std::int64_t r = 0; r < count; ++r)
        if (!(std::fabs(x[r]) <= Bound) || !(std::fabs(y[r]) <= Bound))
            return false;
    return true;
}

double Sanitized(double maxDeviation) { return maxDeviation >= 0 ? maxDeviation : 0.0; }

double DirectDeviation(const double *x, const double *y, std::int64_t a, std::int64_t i, double slope)
{
    double dev = 0.0;
    for (std::int64_t j = a; j <= i; ++j) {
        double d = ChordDeviation(x[j], y[j], x[a], y[a], slope);
        if (d > dev)
            dev = d;
    }
    return dev;
}

// The walk both reductions share: row 0, then each break row where the chord
// from the anchor stops fitting, and the last row at the end.
struct Walk {
    std::int64_t count;
    int maxPoints;
    std::vector<std::int64_t> rows{0};
    std::int64_t a = 0, i = 0;

    bool Going() const { return static_cast<int>(rows.size()) < maxPoints && i < count; }
    // Takes the verdict on the chord to row i; true when a new anchor was set.
    bool Step(bool exceeds)
    {
        std::int64_t f = -1;
        // The chord to the row right after the anchor passes through both of
        // its rows, so it always fits: the reduction cannot stall on rounding.
        if (exceeds && i > a + 1)
            f = i - 1;
        else
            ++i;
        if (i == count)
            f = count - 1;
        if (f <= 0)
            return false;
        rows.push_back(f);
        a = f;
        return true;
    }
};

} // namespace

std::vector<std::int64_t> ReduceToProgPointsDirect(const double *x, const double *y, std::int64_t count,
                                                   double maxDeviation, int maxPoints)
{
    if (count < 2 || maxPoints < 1)
        return {};
    const double m = Sanitized(maxDeviation);
    Walk w{count, maxPoints};
    while (w.Going()) {
        double slope = ChordSlope(x[w.i], y[w.i], x[w.a], y[w.a]);
        w.Step(DirectDeviation(x, y, w.a, w.i, slope) > m);
    }
    return w.rows;
}

std::vector<std::int64_t> ReduceToProgPoints(const double *x, const double *y, std::int64_t count,
                                             double maxDeviation, int maxPoints)
{
    if (count >= 2 && !UsableForIntervals(x, y, count))
        return ReduceToProgPointsDirect(x, y, count, maxDeviation, maxPoints);
    if (count < 2 || maxPoints < 1)
        return {};
    const double m = Sanitized(maxDeviation);
    Walk w{count, maxPoints};
    // Intersection of the allowed slope intervals of rows a .. covered.
    std::int64_t covered = -1;
    Ord lo = 0, hi = OrdCount;
    while (w.Going()) {
        for (; covered < w.i; ++covered) {
            SlopeInterval s = AllowedSlopes(x[covered + 1], y[covered + 1], x[w.a], y[w.a], m);
            if (s.lo > lo)
                lo = s.lo;
            if (s.hi < hi)
                hi = s.hi;
        }
        double slope = ChordSlope(x[w.i], y[w.i], x[w.a], y[w.a]);
        bool exceeds;
        if (std::isfinite(slope)) {
            Ord o = ToOrd(slope);
            exceeds = !(lo <= o && o < hi);
        } else {
            exceeds = DirectDeviation(x, y, w.a, w.i, slope) > m;
        }
        if (w.Step(exceeds)) {
            covered = w.a - 1;
            lo = 0;
            hi = OrdCount;
        }
    }
    return w.rows;
}
