#pragma once
// Calibrations that strain a least-squares polynomial fit, the designer's
// document set up for one, the exact least-squares polynomial of each (in
// rational arithmetic) to measure a fit against, and a plain Householder QR
// (in doubles, the yardstick of what doubles alone give, or wider).
#include <cmath>
#include <functional>
#include <iosfwd>
#include <memory>
#include <numeric>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class ScaleDocument;

struct FitCase {
    std::string name;
    std::vector<double> xs, ys; // sorted by x
    int degree = 1;
    double step = 1.0;   // table step
    double digits = 13;  // correct significant digits every table row must keep
};

// Points crowded into [0, width] (45 of them) with five more at 200 ... 1000,
// on y = 1000 (1 - e^(-x/300)).
FitCase CrowdedCase(double width, int degree);
// Every case of the table, in a fixed order.
std::vector<FitCase> FitCases();
// The case's name, for test output, and as an identifier ("minus50_1300_degree_2").
void PrintTo(const FitCase &c, std::ostream *os);
std::string CaseId(const FitCase &c);

// The case as the designer takes it: its points, a polynomial of its degree,
// a range no case reaches the ends of, and its step (written with the
// designer's decimal separator, which this sets).
void LoadCase(ScaleDocument &doc, const FitCase &c);
// The table rows of doc from the case's first to its last point x.
void RowsWithinPoints(const ScaleDocument &doc, const FitCase &c, std::vector<double> &xs, std::vector<double> &ys);

// The least-squares polynomial of degree m through the points, exactly.
class ExactFit {
public:
    ExactFit(int m, const std::vector<double> &xs, const std::vector<double> &ys);
    ~ExactFit();
    ExactFit(const ExactFit &) = delete;
    ExactFit &operator=(const ExactFit &) = delete;

    // |value - p(x)|, and |p(x)|, computed to far beyond double precision.
    double ErrorAt(double x, double value) const;
    double MagnitudeAt(double x) const;
    // Power-basis coefficient k in x, rounded to the nearest double.
    double PowerCoefficient(int k) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl;
};

// Correct significant digits of the values f(x) on the rows xs, relative to
// the largest |p(x)| there: -log10(largest error / largest |p|), at most 17.
double CorrectDigits(const ExactFit &exact, const std::vector<double> &xs, const std::function<double(double)> &f);

// sum c[k] t^k, by Horner.
template <class Real>
Real Horner(const std::vector<Real> &c, Real t)
{
    Real v = 0;
    for (size_t k = c.size(); k-- > 0;)
        v = v * t + c[k];
    return v;
}

// min |V z - b| by Householder QR in the arithmetic of Real (V by rows, at
// least as many as columns). With a rank tolerance the columns are pivoted,
// the largest remaining next, and one whose remaining norm is not above the
// tolerance times the first one's makes the problem rank-deficient: the
// result is empty. Without one they go in order and nothing is refused.
template <class Real>
std::vector<Real> HouseholderLeastSquares(std::vector<std::vector<Real>> V, std::vector<Real> b,
                                          std::optional<Real> rankTolerance = std::nullopt)
{
    const int n = static_cast<int>(V.size()), p = n > 0 ? static_cast<int>(V[0].size()) : 0;
    std::vector<int> perm(p);
    std::iota(perm.begin(), perm.end(), 0);
    Real first = 0;
    for (int k = 0; k < p; ++k) {
        if (rankTolerance) {
            int best = k;
            Real bestNorm = -1;
            for (int j = k; j < p; ++j) {
                Real s = 0;
                for (int i = k; i < n; ++i)
                    s += V[i][j] * V[i][j];
                if (s > bestNorm) {
                    bestNorm = s;
                    best = j;
                }
            }
            for (int i = 0; i < n; ++i)
                std::swap(V[i][k], V[i][best]);
            std::swap(perm[k], perm[best]);
        }
        Real norm = 0;
        for (int i = k; i < n; ++i)
            norm += V[i][k] * V[i][k];
        norm = std::sqrt(norm);
        if (rankTolerance) {
            if (k == 0)
                first = norm;
            if (!(norm > *rankTolerance * first))
                return {};
        }
        const Real alpha = V[k][k] > 0 ? -norm : norm;
        std::vector<Real> v(n, 0);
        for (int i = k; i < n; ++i)
            v[i] = V[i][k];
        v[k] -= alpha;
        Real vv = 0;
        for (int i = k; i < n; ++i)
            vv += v[i] * v[i];
        if (vv == 0)
            continue;
        auto reflect = [&](auto &&at) {
            Real d = 0;
            for (int i = k; i < n; ++i)
                d += v[i] * at(i);
            d = 2 * d / vv;
            for (int i = k; i < n; ++i)
                at(i) -= d * v[i];
        };
        for (int j = k; j < p; ++j)
            reflect([&](int i) -> Real & { return V[i][j]; });
        reflect([&](int i) -> Real & { return b[i]; });
    }
    std::vector<Real> z(p), c(p);
    for (int k = p - 1; k >= 0; --k) {
        Real s = b[k];
        for (int j = k + 1; j < p; ++j)
            s -= V[k][j] * z[j];
        z[k] = s / V[k][k];
    }
    for (int k = 0; k < p; ++k)
        c[perm[k]] = z[k];
    return c;
}

// The least-squares polynomial of degree m through the points, by
// HouseholderLeastSquares on t = (x - mid) / half; its coefficients in t.
template <class Real>
std::vector<Real> HouseholderFit(int m, const std::vector<double> &xs, const std::vector<double> &ys, Real mid,
                                 Real half, std::optional<Real> rankTolerance = std::nullopt)
{
    const int n = static_cast<int>(xs.size()), p = m + 1;
    std::vector<std::vector<Real>> V(n, std::vector<Real>(p));
    for (int i = 0; i < n; ++i) {
        Real t = (static_cast<Real>(xs[i]) - mid) / half, tp = 1;
        for (int k = 0; k < p; ++k, tp *= t)
            V[i][k] = tp;
    }
    return HouseholderLeastSquares(std::move(V), std::vector<Real>(ys.begin(), ys.end()), rankTolerance);
}

// Least squares by Householder QR in doubles with column pivoting on
// t = (x - mid) / half, the curve evaluated by Horner in t; an empty function
// when the QR finds the problem rank-deficient.
std::function<double(double)> QrInDoubles(int m, const std::vector<double> &xs, const std::vector<double> &ys);

// The normal system of degree m for the abscissae given (power sums of xs,
// IntPower, point order), into A (row length MatrixCapacity) and b, as the
// Gauss solver takes it. m must be within 0..MaxFitDegree.
void BuildNormalSystem(int m, int n, const double *xs, const double *ys, double *A, double *b);
