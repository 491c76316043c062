#include "tests/scale/fit_reference.h"
#include "common/numtext.h"
#include "scale/apro.h"
#include "scale/scaledocument.h"
#include <gmpxx.h>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <ostream>
#include <stdexcept>

namespace {

double Saturation(double f) { return 1000.0 * (1.0 - std::exp(-f / 0.3)); }

// Forty points evenly over [lo, hi] on a saturating curve, with a ripple that
// leaves a residual, as measured points would.
FitCase SpreadCase(const std::string &range, double lo, double hi, double step, int degree)
{
    FitCase c;
    c.name = range + " degree " + std::to_string(degree);
    c.degree = degree;
    c.step = step;
    for (int i = 0; i < 40; ++i) {
        const double x = lo + (hi - lo) * i / 39.0;
        c.xs.push_back(x);
        c.ys.push_back(Saturation((x - lo) / (hi - lo)) + 0.5 * std::sin(12.9898 * i));
    }
    return c;
}

} // namespace

FitCase CrowdedCase(double width, int degree)
{
    FitCase c;
    c.name = "45 points in [0, " + std::to_string(static_cast<int>(width)) + "] + 5 to 1000, degree " +
             std::to_string(degree);
    c.degree = degree;
    c.step = 1.0;
    for (int i = 0; i < 45; ++i)
        c.xs.push_back(width * i / 44.0);
    for (double x : {200.0, 400.0, 600.0, 800.0, 1000.0})
        c.xs.push_back(x);
    for (double x : c.xs)
        c.ys.push_back(1000.0 * (1.0 - std::exp(-x / 300.0)));
    return c;
}

std::vector<FitCase> FitCases()
{
    std::vector<FitCase> cases;
    for (double width : {1.0, 5.0, 20.0, 50.0})
        for (int degree : {5, 7, 9})
            cases.push_back(CrowdedCase(width, degree));
    {
        FitCase c;
        c.name = "0, 300, 600 + 30 points within 0.03 of 1000, degree 5";
        c.degree = 5;
        c.step = 0.01;
        for (double x : {0.0, 300.0, 600.0})
            c.xs.push_back(x);
        for (int i = 0; i < 30; ++i)
            c.xs.push_back(999.97 + 0.06 * i / 29.0);
        for (double x : c.xs)
            c.ys.push_back(1000.0 * (1.0 - std::exp(-x / 300.0)));
        cases.push_back(c);
    }
    struct Range {
        const char *name;
        double lo, hi, step;
    };
    for (Range r : {Range{"[0, 1000]", 0, 1000, 1}, Range{"[4, 20]", 4, 20, 0.01}, Range{"[100, 110]", 100, 110, 0.01},
                    Range{"[60000, 65535]", 60000, 65535, 5}, Range{"[-50, 1300]", -50, 1300, 1},
                    Range{"narrow [65000, 65002]", 65000, 65002, 0.001}})
        for (int degree = 1; degree <= 9; ++degree)
            cases.push_back(SpreadCase(r.name, r.lo, r.hi, r.step, degree));
    for (int degree = 1; degree <= 9; ++degree) {
        FitCase c;
        c.name = "clusters [0, 10] and [990, 1000], degree " + std::to_string(degree);
        c.degree = degree;
        c.step = 1.0;
        for (int i = 0; i < 20; ++i)
            c.xs.push_back(10.0 * i / 19.0);
        for (int i = 0; i < 20; ++i)
            c.xs.push_back(990.0 + 10.0 * i / 19.0);
        for (size_t i = 0; i < c.xs.size(); ++i)
            c.ys.push_back(Saturation(c.xs[i] / 1000.0) + 0.5 * std::sin(12.9898 * static_cast<double>(i)));
        cases.push_back(c);
    }
    return cases;
}

void PrintTo(const FitCase &c, std::ostream *os) { *os << c.name; }

void LoadCase(ScaleDocument &doc, const FitCase &c)
{
    numtext::SetDecimalSeparator(',');
    doc.PointCount = static_cast<int>(c.xs.size());
    std::copy(c.xs.begin(), c.xs.end(), doc.PointX);
    std::copy(c.ys.begin(), c.ys.end(), doc.PointY);
    doc.ATypeIndex = 1;
    doc.PowerIndex = c.degree - 1;
    doc.MinText = "-1000000000";
    doc.MaxText = "1000000000";
    doc.StepText = numtext::FloatToStr(c.step);
}

void RowsWithinPoints(const ScaleDocument &doc, const FitCase &c, std::vector<double> &xs, std::vector<double> &ys)
{
    for (int r = 0; r < doc.TableCount; ++r)
        if (doc.TableX[r] >= c.xs.front() && doc.TableX[r] <= c.xs.back()) {
            xs.push_back(doc.TableX[r]);
            ys.push_back(doc.TableY[r]);
        }
}

std::string CaseId(const FitCase &c)
{
    std::string id;
    bool gap = false;
    const std::string &text = c.name;
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char ch = static_cast<unsigned char>(text[i]);
        if (ch == '-' && i + 1 < text.size() && std::isdigit(static_cast<unsigned char>(text[i + 1]))) {
            id += id.empty() ? "minus" : "_minus";
            gap = false;
        } else if (std::isalnum(ch)) {
            if (gap && !id.empty())
                id += '_';
            id += static_cast<char>(ch);
            gap = false;
        } else {
            gap = true;
        }
    }
    return id;
}

// p(x) = sum a[k] ((x - c) / h)^k with rational a, c, h; its values in
// binary floating point of Bits bits.
struct ExactFit::Impl {
    static constexpr int Bits = 384;
    mpq_class c, h;
    std::vector<mpq_class> a;
    mpf_class fc{0, Bits}, fh{0, Bits};
    std::vector<mpf_class> fa;

    mpf_class Value(double x) const
    {
        mpf_class t(x, Bits);
        t -= fc;
        t /= fh;
        mpf_class v(0, Bits);
        for (size_t k = fa.size(); k-- > 0;) {
            v *= t;
            v += fa[k];
        }
        return v;
    }
};

ExactFit::ExactFit(int m, const std::vector<double> &xs, const std::vector<double> &ys) : impl(new Impl)
{
    const size_t n = xs.size();
    mpq_class lo(xs.at(0)), hi(xs.at(0));
    for (double x : xs) {
        lo = std::min(lo, mpq_class(x));
        hi = std::max(hi, mpq_class(x));
    }
    impl->c = (lo + hi) / 2;
    impl->h = hi == lo ? mpq_class(1) : mpq_class((hi - lo) / 2);
    // Normal equations in t, solved exactly: any basis gives the same polynomial.
    std::vector<mpq_class> S(2 * m + 1, 0), b(m + 1, 0);
    for (size_t i = 0; i < n; ++i) {
        const mpq_class t = (mpq_class(xs[i]) - impl->c) / impl->h;
        const mpq_class y(ys[i]);
        mpq_class p = 1;
        for (int k = 0; k <= 2 * m; ++k) {
            S[k] += p;
            if (k <= m)
                b[k] += p * y;
            p *= t;
        }
    }
    std::vector<std::vector<mpq_class>> A(m + 1, std::vector<mpq_class>(m + 2));
    for (int i = 0; i <= m; ++i) {
        for (int j = 0; j <= m; ++j)
            A[i][j] = S[i + j];
        A[i][m + 1] = b[i];
    }
    for (int k = 0; k <= m; ++k) {
        int p = k;
        while (p <= m && A[p][k] == 0)
            ++p;
        if (p > m)
            throw std::invalid_argument("no unique least-squares polynomial");
        std::swap(A[p], A[k]);
        for (int i = k + 1; i <= m; ++i) {
            if (A[i][k] == 0)
                continue;
            const mpq_class f = A[i][k] / A[k][k];
            for (int j = k; j <= m + 1; ++j)
                A[i][j] -= f * A[k][j];
        }
    }
    impl->a.assign(m + 1, 0);
    for (int k = m; k >= 0; --k) {
        mpq_class s = A[k][m + 1];
        for (int j = k + 1; j <= m; ++j)
            s -= A[k][j] * impl->a[j];
        impl->a[k] = s / A[k][k];
    }
    impl->fc = mpf_class(impl->c, Impl::Bits);
    impl->fh = mpf_class(impl->h, Impl::Bits);
    for (const mpq_class &q : impl->a)
        impl->fa.emplace_back(q, Impl::Bits);
}

ExactFit::~ExactFit() = default;

double ExactFit::ErrorAt(double x, double value) const
{
    mpf_class d(value, Impl::Bits);
    d -= impl->Value(x);
    return std::fabs(d.get_d());
}

double ExactFit::MagnitudeAt(double x) const { return std::fabs(impl->Value(x).get_d()); }

double ExactFit::PowerCoefficient(int k) const
{
    // Expand sum a[j] ((x - c) / h)^j by Horner in (x - c) / h.
    const int m = static_cast<int>(impl->a.size()) - 1;
    std::vector<mpq_class> q(1, impl->a[m]);
    for (int j = m - 1; j >= 0; --j) {
        std::vector<mpq_class> next(q.size() + 1, 0);
        for (size_t i = 0; i < q.size(); ++i) {
            next[i + 1] += q[i] / impl->h;
            next[i] -= q[i] * impl->c / impl->h;
        }
        next[0] += impl->a[j];
        q = std::move(next);
    }
    const mpq_class &v = q.at(k);
    // get_d truncates: the nearest of it and its neighbour away from zero.
    const double d = v.get_d();
    const double e = std::nextafter(d, v > 0 ? HUGE_VAL : -HUGE_VAL);
    return abs(mpq_class(e) - v) < abs(mpq_class(d) - v) ? e : d;
}

double CorrectDigits(const ExactFit &exact, const std::vector<double> &xs, const std::function<double(double)> &f)
{
    double worst = 0, largest = 0;
    for (double x : xs) {
        worst = std::max(worst, exact.ErrorAt(x, f(x)));
        largest = std::max(largest, exact.MagnitudeAt(x));
    }
    if (!(worst == worst))
        return 0;
    if (worst == 0)
        return 17;
    return std::clamp(-std::log10(worst / largest), 0.0, 17.0);
}

std::function<double(double)> QrInDoubles(int m, const std::vector<double> &xs, const std::vector<double> &ys)
{
    const int n = static_cast<int>(xs.size());
    const double lo = *std::min_element(xs.begin(), xs.end()), hi = *std::max_element(xs.begin(), xs.end());
    const double mid = lo / 2 + hi / 2, half = hi > lo ? hi / 2 - lo / 2 : 1.0;
    // A column left with no more than rounding of the first is no column.
    std::vector<double> c = HouseholderFit(m, xs, ys, mid, half, std::optional<double>(n * 1.1e-16));
    if (c.empty())
        return {};
    return [c, mid, half](double x) { return Horner(c, (x - mid) / half); };
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
