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

void BuildNormalSystem(int m, int n, const double *xs, const double *ys, double *A, double *b)
{
    double S[MatrixCapacity] = {};
    for (int k = 0; k < 2 * m; ++k) {
        S[k] = 0.0;
        for (int i = 0; i < n; ++i)
            S[k] = S[k] + IntPower(xs[i], k + 1);
    }
    for (int i = 0; i <= m; ++i)
        for (int j = 0; j <= m; ++j)
            A[i * MatrixCapacity + j] = (i + j == 0) ? static_cast<double>(n) : S[i + j - 1];
    for (int j = 0; j <= m; ++j) {
        b[j] = 0.0;
        for (int i = 0; i < n; ++i)
            b[j] = b[j] + IntPower(xs[i], j) * ys[i];
    }
}

void CentredToPower(const CentredPolynomial &p, double *coef)
{
    // Horner in t = x / half - mid / half, carried in extended precision so the
    // power-basis coefficients lose no more than the expansion itself costs.
    const int m = std::clamp(p.degree, 0, MatrixCapacity - 1);
    const long double scale = 1.0L / static_cast<long double>(p.half);
    const long double shift = -static_cast<long double>(p.mid) * scale;
    long double q[MatrixCapacity] = {};
    q[0] = p.coef[m];
    for (int k = m - 1; k >= 0; --k) {
        // q := q * (scale * x + shift) + coef[k]; q has degree m - 1 - k so far.
        const int d = m - 1 - k;
        q[d + 1] = q[d] * scale;
        for (int j = d; j >= 1; --j)
            q[j] = q[j] * shift + q[j - 1] * scale;
        q[0] = q[0] * shift + p.coef[k];
    }
    for (int j = 0; j <= m; ++j)
        coef[j] = static_cast<double>(q[j]);
}

namespace {

// How far below the diagonal it started from a pivot may fall before the
// system counts as singular: past this the normal equations have no digits
// left to give.
constexpr double PivotRelativeMinimum = 1e-12;

int CountDistinct(int n, const double *xs, int enough)
{
    std::vector<double> v(xs, xs + n);
    std::sort(v.begin(), v.end());
    int distinct = 0;
    for (int i = 0; i < n && distinct < enough; ++i)
        if (i == 0 || v[i] != v[i - 1])
            ++distinct;
    return distinct;
}

int FitCentred(int m, int n, const double *xs, const double *ys, CentredPolynomial &out)
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
    p.half = xmax / 2 - xmin / 2;
    if (!(p.half > 0.0))
        p.half = 1.0;
    std::vector<double> ts(n);
    for (int i = 0; i < n; ++i)
        ts[i] = p.T(xs[i]);

    double A[MatrixCapacity * MatrixCapacity] = {};
    double b[MatrixCapacity] = {};
    double solution[MatrixCapacity] = {};
    BuildNormalSystem(m, n, ts.data(), ys, A, b);
    double diagonal[MatrixCapacity] = {};
    for (int k = 0; k <= m; ++k)
        diagonal[k] = A[k * MatrixCapacity + k];

    int err = 0;
    GaussSolve(m + 1, A, b, err, solution);
    if (err != 0)
        return err;
    // The normal matrix is positive definite whenever the fit is determined;
    // elimination without exchanges then meets only positive pivots.
    for (int k = 0; k <= m; ++k)
        if (!(A[k * MatrixCapacity + k] > PivotRelativeMinimum * diagonal[k]))
            return GaussErrSingular;
    for (int k = 0; k <= m; ++k) {
        if (!std::isfinite(solution[k]))
            return GaussErrSingular;
        p.coef[k] = solution[k];
    }
    out = p;
    return 0;
}

} // namespace

bool LeastSquaresFit(int m, int n, const double *xs, const double *ys, double *coef, QString *message,
                     CentredPolynomial *centred)
{
    CentredPolynomial p;
    int err = FitCentred(m, n, xs, ys, p);
    double power[MatrixCapacity] = {};
    if (err == 0) {
        CentredToPower(p, power);
        for (int k = 0; k <= m; ++k)
            if (!std::isfinite(power[k]))
                err = GaussErrSingular;
    }
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
