#pragma once
// Reduction of a table to programming points: the break points of a polyline
// through table rows that stays within a maximum deviation of the table.
#include <cstdint>
#include <vector>

// Deviation of row (xj, yj) from the chord through the anchor (xa, ya) with
// the given slope. Both reductions decide with exactly this expression.
inline double ChordDeviation(double xj, double yj, double xa, double ya, double slope)
{
    double d = yj - ((xj - xa) * slope + ya);
    return d < 0 ? -d : d;
}

// Slope of the chord from the anchor to the candidate row; 0 for dx = 0.
inline double ChordSlope(double xi, double yi, double xa, double ya)
{
    double dx = xi - xa;
    return dx == 0 ? 0.0 : (yi - ya) / dx;
}

// Row indexes of the programming points of the table (x, y) of count rows:
// row 0 first, then each row where the chord from the previous point would
// stop fitting, up to maxPoints points, ending with the last row unless the
// limit stops it first. Every chord reaches at least one row past its anchor,
// so a tiny or zero maxDeviation still ends inside the table. maxDeviation must
// not be negative (the caller refuses it); a table of fewer than two rows has
// no programming points.
//
// Runs in time linear in the rows it passes: for each row it keeps the slopes
// whose chord leaves that row within the deviation, which form an interval.
std::vector<std::int64_t> ReduceToProgPoints(const double *x, const double *y, std::int64_t count,
                                             double maxDeviation, int maxPoints);

// The same reduction by the direct scan of every row since the anchor for each
// candidate (quadratic in the length of a segment); kept as the reference the
// fast one must reproduce.
std::vector<std::int64_t> ReduceToProgPointsDirect(const double *x, const double *y, std::int64_t count,
                                                   double maxDeviation, int maxPoints);
