#include "scale/apro.h"
#include "common/dialogs.h"
#include <algorithm>
#include <cmath>
#include <vector>

double IntPower(double x, int k)
{
    double result = 1.0;
    for (int i = 0; i < k; ++i)
        result = x * result;
    return result;
}

double PolyValue(int m, const double *coef, double x)
{
    double sum = 0.0;
    for (int i = 0; i <= m; ++i)
        sum = sum + IntPower(x, i) * coef[i];
    return sum;
}

void AddScaledRow(int count, const double *src, double *dst, double factor)
{
    for (int j = 0; j < count; ++j)
        dst[j] = dst[j] + factor * src[j];
}

void GaussCheck(int size, double *A, double *b, int &err, double *x)
{
    err = 0;
    if (size < 1 || size > MatrixCapacity) {
        // Beyond the storage the system cannot be held at all.
        err = GaussErrSize;
    } else if (size == 1) {
        if (A[0] == 0.0)
            err = GaussErrSingular;
        else
            x[0] = b[0] / A[0];
    }
}

void GaussForward(int size, double *A, double *b, int &err)
{
    for (int k = 0; k + 1 < size && err == 0; ++k) {
        double *rowK = A + k * MatrixCapacity;
        // A zero pivot would spread infinities through the rows below and
        // through the back substitution: report it instead.
        if (rowK[k] == 0.0) {
            err = GaussErrSingular;
            break;
        }
        for (int i = k + 1; i < size; ++i) {
            double *rowI = A + i * MatrixCapacity;
            if (std::fabs(rowI[k]) > 0.0) {
                double factor = -rowI[k] / rowK[k];
                AddScaledRow(size, rowK, rowI, factor);
                b[i] = b[i] + factor * b[k];
            }
        }
    }
    if (err == 0 && A[(size - 1) * MatrixCapacity + (size - 1)] == 0.0)
        err = GaussErrSingular;
}

void GaussBackSubstitute(int size, double *A, double *b, double *x)
{
    for (int i = size - 1; i >= 0; --i) {
        const double *row = A + i * MatrixCapacity;
        double sum = 0.0;
        for (int j = i + 1; j < size; ++j)
            sum = sum + row[j] * x[j];
        x[i] = (b[i] - sum) / row[i];
    }
}

void GaussSolve(int size, double *A, double *b, int &err, double *x)
{
    GaussCheck(size, A, b, err, x);
    if (size <= 1 || err != 0)
        return;
    GaussForward(size, A, b, err);
    if (err == 0)
        GaussBackSubstitute(size, A, b, x);
}

namespace {

// The fit works in quadruple precision where the compiler has it: a calibration
// that crowds its points leaves the higher-degree directions with few digits,
// and these keep the table's values to the last digit of a double.
// A new direction whose share of its candidate falls to LostShare is lost in
// the rounding of the wide arithmetic itself, whose unit is WideRounding.
#if defined(__SIZEOF_FLOAT128__)
using Wide = __float128;
constexpr double LostShare = 0x1p-80;
constexpr double WideRounding = 0x1p-113;
#else
using Wide = long double;
constexpr double LostShare = 0x1p-40;
constexpr double WideRounding = 0x1p-64;
#endif
const Wide LostShareSquared = static_cast<Wide>(LostShare) * static_cast<Wide>(LostShare);
// Share of the largest value the table may be off by, at worst: 13 digits.
constexpr double KeptShare = 1e-13;

Wide Abs(Wide v)
{
    return v < 0 ? -v : v;
}

Wide Horner(int degree, const Wide *c, Wide t)
{
    Wide v = c[degree];
    for (int k = degree - 1; k >= 0; --k)
        v = v * t + c[k];
    return v;
}

bool Finite(Wide v)
{
    return std::isfinite(static_cast<long double>(v));
}

// Abscissae that differ by no more than two units in the last place count as
// one: the difference is rounding, not a second point.
int CountDistinct(int n, const double *xs, int enough)
{
    std::vector<double> v(xs, xs + n);
    std::sort(v.begin(), v.end());
    int distinct = 0;
    double last = 0.0;
    for (int i = 0; i < n && distinct < enough; ++i) {
        if (i == 0 || v[i] > std::nextafter(std::nextafter(last, HUGE_VAL), HUGE_VAL)) {
            ++distinct;
            last = v[i];
        }
    }
    return distinct;
}

// Whether the fit a, from the orthogonal polynomials with power coefficients
// G and squared norms N, keeps KeptShare between the points. Each point's
// ordinate enters the wide arithmetic with a rounding; at t a change dy of
// the ordinates moves the fit by up to |dy| sqrt(sum_k P_k(t)^2 / N_k), which
// at the points is at most |dy| but between tightly crowded points and a far
// one grows past any precision: the points then do not fix the curve there.
bool KeepsItsDigits(int m, int n, const Wide *t, const double *ys, const std::vector<Wide> &r,
                    const std::vector<Wide> &G, const std::vector<Wide> &N, const Wide *a)
{
    const int p = m + 1;
    Wide ySquares = 0, largest = 0;
    for (int i = 0; i < n; ++i) {
        ySquares += static_cast<Wide>(ys[i]) * ys[i];
        largest = std::max(largest, Abs(ys[i] - r[i])); // the fit at the point
    }
    std::vector<Wide> sorted(t, t + n), inverseN(p);
    std::sort(sorted.begin(), sorted.end());
    for (int k = 0; k < p; ++k)
        inverseN[k] = 1 / N[k];
    Wide sensitivity = 0;
    for (int i = 0; i + 1 < n; ++i) {
        if (!(sorted[i] < sorted[i + 1]))
            continue;
        const Wide between = (sorted[i] + sorted[i + 1]) / 2;
        largest = std::max(largest, Abs(Horner(m, a, between)));
        Wide s = 0;
        for (int k = 0; k < p; ++k) {
            const Wide v = Horner(k, &G[static_cast<size_t>(k) * p], between);
            s += v * v * inverseN[k];
        }
        sensitivity = std::max(sensitivity, s);
    }
    const Wide rounding = WideRounding, kept = KeptShare;
    // Squared on both sides: Wide has no square root of its own.
    return rounding * rounding * ySquares * sensitivity <= kept * kept * largest * largest;
}

// Least squares by polynomials orthogonal over the points (each new one is t
// times the last, orthogonalised twice against all before it), in Wide. The
// monomial coefficients in t of each orthogonal polynomial are carried along,
// so the fit comes out in the basis of powers of t.
int FitOrthogonal(int m, int n, const Wide *t, const double *ys, Wide *a)
{
    const int p = m + 1;
    std::vector<Wide> P(static_cast<size_t>(p) * n), G(static_cast<size_t>(p) * p, 0), N(p), r(n);
    for (int k = 0; k < p; ++k) {
        Wide *v = &P[static_cast<size_t>(k) * n];
        Wide *g = &G[static_cast<size_t>(k) * p];
        if (k == 0) {
            std::fill(v, v + n, Wide(1));
            g[0] = 1;
        } else {
            const Wide *prev = v - n;
            for (int i = 0; i < n; ++i)
                v[i] = t[i] * prev[i];
            std::copy(g - p, g - p + k, g + 1);
        }
        Wide before = 0;
        for (int i = 0; i < n; ++i)
            before += v[i] * v[i];
        for (int pass = 0; pass < 2; ++pass) {
            for (int j = 0; j < k; ++j) {
                const Wide *pj = &P[static_cast<size_t>(j) * n];
                const Wide *gj = &G[static_cast<size_t>(j) * p];
                Wide dot = 0;
                for (int i = 0; i < n; ++i)
                    dot += v[i] * pj[i];
                const Wide h = dot / N[j];
                for (int i = 0; i < n; ++i)
                    v[i] -= h * pj[i];
                for (int l = 0; l <= j; ++l)
                    g[l] -= h * gj[l];
            }
        }
        Wide after = 0;
        for (int i = 0; i < n; ++i)
            after += v[i] * v[i];
        // Nothing of the candidate is left outside the earlier directions:
        // the points cannot tell this degree from the lower ones.
        if (!(after > LostShareSquared * before) || !Finite(after))
            return GaussErrSingular;
        N[k] = after;
    }

    std::vector<Wide> d(p, 0);
    for (int i = 0; i < n; ++i)
        r[i] = ys[i];
    for (int pass = 0; pass < 2; ++pass) {
        for (int k = 0; k < p; ++k) {
            const Wide *pk = &P[static_cast<size_t>(k) * n];
            Wide dot = 0;
            for (int i = 0; i < n; ++i)
                dot += r[i] * pk[i];
            const Wide h = dot / N[k];
            d[k] += h;
            for (int i = 0; i < n; ++i)
                r[i] -= h * pk[i];
        }
    }
    for (int j = 0; j < p; ++j) {
        Wide s = 0;
        for (int k = j; k < p; ++k)
            s += d[k] * G[static_cast<size_t>(k) * p + j];
        if (!Finite(s))
            return GaussErrSingular;
        a[j] = s;
    }
    if (!KeepsItsDigits(m, n, t, ys, r, G, N, a))
        return GaussErrSingular;
    return 0;
}

// Horner in t = scale * x + shift, carried in Wide: the expansion's
// cancellation stays far below the last digit of a double.
void ShiftToPower(int m, const Wide *a, double mid, double half, double *coef)
{
    const Wide scale = Wide(1) / static_cast<Wide>(half);
    const Wide shift = -static_cast<Wide>(mid) * scale;
    Wide q[MatrixCapacity] = {};
    q[0] = a[m];
    for (int k = m - 1; k >= 0; --k) {
        // q := q * (scale * x + shift) + a[k]; q has degree m - 1 - k so far.
        const int d = m - 1 - k;
        q[d + 1] = q[d] * scale;
        for (int j = d; j >= 1; --j)
            q[j] = q[j] * shift + q[j - 1] * scale;
        q[0] = q[0] * shift + a[k];
    }
    for (int j = 0; j <= m; ++j)
        coef[j] = static_cast<double>(q[j]);
}

// The fit in its centred basis, and its power-basis coefficients converted
// from the wide coefficients before they are rounded.
int FitCentred(int m, int n, const double *xs, const double *ys, CentredPolynomial &out, double *power)
{
    if (m < 0 || m > MaxFitDegree)
        return GaussErrSize;
    if (n < 1)
        return GaussErrSingular;
    double xmin = xs[0], xmax = xs[0];
    for (int i = 0; i < n; ++i) {
        if (!std::isfinite(xs[i]) || !std::isfinite(ys[i]))
            return GaussErrSingular;
        xmin = std::min(xmin, xs[i]);
        xmax = std::max(xmax, xs[i]);
    }
    if (CountDistinct(n, xs, m + 1) < m + 1)
        return GaussErrSingular;

    CentredPolynomial p;
    p.degree = m;
    p.mid = xmin / 2 + xmax / 2;
    // A power of two: dividing by it is exact, in the fit and in the table.
    const double spread = xmax / 2 - xmin / 2;
    int e = 0;
    const double f = std::frexp(spread, &e);
    p.half = spread > 0.0 ? (f == 0.5 ? spread : std::ldexp(1.0, e)) : 1.0;

    std::vector<Wide> t(n);
    for (int i = 0; i < n; ++i)
        t[i] = (static_cast<Wide>(xs[i]) - static_cast<Wide>(p.mid)) / static_cast<Wide>(p.half);
    Wide a[MatrixCapacity] = {};
    if (int err = FitOrthogonal(m, n, t.data(), ys, a))
        return err;
    for (int k = 0; k <= m; ++k) {
        p.coef[k] = static_cast<long double>(a[k]);
        if (!std::isfinite(p.coef[k]))
            return GaussErrSingular;
    }
    ShiftToPower(m, a, p.mid, p.half, power);
    for (int k = 0; k <= m; ++k)
        if (!std::isfinite(power[k]))
            return GaussErrSingular;
    out = p;
    return 0;
}

} // namespace

void CentredToPower(const CentredPolynomial &p, double *coef)
{
    const int m = std::clamp(p.degree, 0, MatrixCapacity - 1);
    Wide a[MatrixCapacity] = {};
    for (int k = 0; k <= m; ++k)
        a[k] = p.coef[k];
    ShiftToPower(m, a, p.mid, p.half, coef);
}

bool LeastSquaresFit(int m, int n, const double *xs, const double *ys, double *coef, QString *message,
                     CentredPolynomial *centred)
{
    CentredPolynomial p;
    double power[MatrixCapacity] = {};
    const int err = FitCentred(m, n, xs, ys, p, power);
    if (err != 0) {
        QString text = QStringLiteral("Gaus Error : ") + QString::number(err);
        if (message)
            *message = text;
        else
            ui::Message(nullptr, text, QString(), ui::MbOk);
        return false;
    }
    for (int k = 0; k <= m; ++k)
        coef[k] = power[k];
    if (centred)
        *centred = p;
    return true;
}
