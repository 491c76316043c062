// Fits on offset and wide ranges against a least-squares reference solved by
// Householder QR in extended precision, and the table of hard calibrations
// against the exact least-squares polynomial.
#include "common/numtext.h"
#include "scale/apro.h"
#include "scale/scaledocument.h"
#include "tests/scale/fit_reference.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace {

using Real = long double;

struct Range {
    double lo, hi;
};

struct Corpus {
    std::vector<double> xs, ys;
    Real mid, half, yScale;
};

Corpus MakeCorpus(Range r, int n, unsigned seed)
{
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    Corpus c;
    for (int i = 0; i < n; ++i) {
        // Evenly spread with jitter, ends included: the fit is determined.
        double f = (i + (i == 0 || i == n - 1 ? 0.0 : u(rng) - 0.5)) / (n - 1);
        c.xs.push_back(r.lo + (r.hi - r.lo) * f);
    }
    std::sort(c.xs.begin(), c.xs.end());
    for (double x : c.xs) {
        double f = (x - r.lo) / (r.hi - r.lo);
        c.ys.push_back(1000.0 * std::sin(3.0 * f) + 50.0 * f * f + 5.0 * (u(rng) - 0.5));
    }
    c.mid = (static_cast<Real>(r.lo) + r.hi) / 2;
    c.half = (static_cast<Real>(r.hi) - r.lo) / 2;
    c.yScale = 0;
    for (double y : c.ys)
        c.yScale = std::max<Real>(c.yScale, std::fabs(y));
    return c;
}

const Range Ranges[] = {{0.0, 10.0}, {100.0, 110.0}, {60000.0, 65535.0}, {-2.0e5, -1.99e5}, {0.0, 65535.0}};

TEST(FitAccuracy, CentredFitMatchesReferenceOnEveryRangeAndDegree)
{
    unsigned seed = 1;
    for (const Range &r : Ranges) {
        for (int n : {10, 23, 50}) {
            for (int m = 1; m <= 9 && m < n; ++m) {
                Corpus c = MakeCorpus(r, n, seed++);
                double coef[MatrixCapacity] = {};
                CentredPolynomial fit;
                QString message;
                ASSERT_TRUE(LeastSquaresFit(m, n, c.xs.data(), c.ys.data(), coef, &message, &fit))
                    << r.lo << ".." << r.hi << " m=" << m << " " << message.toStdString();
                std::vector<Real> ref = HouseholderFit(m, c.xs, c.ys, c.mid, c.half);
                Real worst = 0;
                for (int s = 0; s <= 200; ++s) {
                    double x = r.lo + (r.hi - r.lo) * s / 200.0;
                    Real t = (static_cast<Real>(x) - c.mid) / c.half;
                    worst = std::max(worst, std::fabs(fit.Value(x) - Horner(ref, t)));
                }
                EXPECT_LT(static_cast<double>(worst / c.yScale), 1e-9)
                    << r.lo << ".." << r.hi << " n=" << n << " m=" << m;
            }
        }
    }
}

TEST(FitAccuracy, RawNormalEquationsAreFarOffWhereTheFitIsNot)
{
    // The fault the centred basis mends: on an offset range the raw power
    // sums leave no usable digits.
    Corpus c = MakeCorpus({60000.0, 65535.0}, 50, 99);
    double A[MatrixCapacity * MatrixCapacity] = {}, b[MatrixCapacity] = {}, raw[MatrixCapacity] = {};
    BuildNormalSystem(9, 50, c.xs.data(), c.ys.data(), A, b);
    int err = 0;
    GaussSolve(10, A, b, err, raw);
    std::vector<Real> ref = HouseholderFit(9, c.xs, c.ys, c.mid, c.half);
    Real rawWorst = 0;
    for (double x : c.xs)
        rawWorst = std::max(rawWorst, std::fabs(PolyValue(9, raw, x) - Horner(ref, (x - c.mid) / c.half)));
    EXPECT_TRUE(err != 0 || !(rawWorst / c.yScale < 1e-3));

    double coef[MatrixCapacity] = {};
    CentredPolynomial fit;
    ASSERT_TRUE(LeastSquaresFit(9, 50, c.xs.data(), c.ys.data(), coef, nullptr, &fit));
    for (double x : c.xs)
        EXPECT_NEAR(fit.Value(x), static_cast<double>(Horner(ref, (x - c.mid) / c.half)), 1e-9 * c.yScale);
}

TEST(FitAccuracy, DocumentTableFollowsTheReferenceCurve)
{
    numtext::SetDecimalSeparator(',');
    for (const Range &r : {Range{100.0, 110.0}, Range{60000.0, 65535.0}}) {
        Corpus c = MakeCorpus(r, 40, 5);
        ScaleDocument doc;
        doc.PointCount = 40;
        std::copy(c.xs.begin(), c.xs.end(), doc.PointX);
        std::copy(c.ys.begin(), c.ys.end(), doc.PointY);
        doc.ATypeIndex = 1;
        doc.PowerIndex = 8;
        doc.MinText = "-2000";
        doc.MaxText = "2000";
        doc.StepText = numtext::FloatToStr((r.hi - r.lo) / 500.0);
        RecalcReport report = doc.Recalculate();
        ASSERT_FALSE(report.Failed());
        ASSERT_EQ(doc.Degree, 9);
        ASSERT_GT(doc.TableCount, 400);
        std::vector<Real> ref = HouseholderFit(9, c.xs, c.ys, c.mid, c.half);
        int compared = 0;
        for (int i = 0; i < doc.TableCount; ++i) {
            double x = doc.TableX[i];
            if (x < r.lo || x > r.hi)
                continue;
            ++compared;
            ASSERT_TRUE(std::isfinite(doc.TableY[i]));
            EXPECT_NEAR(doc.TableY[i], static_cast<double>(Horner(ref, (x - c.mid) / c.half)), 1e-9 * c.yScale)
                << "x=" << x;
        }
        EXPECT_GT(compared, 400);
    }
}

// The table of a case as the designer builds it: every row from the first to
// the last calibration x, and the power-basis coefficients.
struct CaseTable {
    RecalcReport report;
    std::vector<double> x, y;
    int degree = 0;
    double coef[CoefCapacity] = {};
};

CaseTable Tabulate(const FitCase &c)
{
    ScaleDocument doc;
    LoadCase(doc, c);
    doc.ScalePwrIndex = 2;
    CaseTable t;
    t.report = doc.Recalculate();
    RowsWithinPoints(doc, c, t.x, t.y);
    t.degree = doc.Degree;
    std::copy(doc.Coef, doc.Coef + CoefCapacity, t.coef);
    return t;
}

class HardFitTest : public ::testing::TestWithParam<FitCase> {};

TEST_P(HardFitTest, EveryRowKeepsItsDigitsAgainstTheExactFit)
{
    const FitCase &c = GetParam();
    CaseTable t = Tabulate(c);
    ASSERT_FALSE(t.report.Failed()) << t.report.fitMessages.join(" / ").toStdString();
    ASSERT_EQ(t.degree, c.degree);
    // A table of whole steps from the first to the last point.
    const double span = c.xs.back() - c.xs.front();
    ASSERT_GE(static_cast<double>(t.x.size()), span / c.step - 1);
    ExactFit exact(c.degree, c.xs, c.ys);
    size_t row = 0;
    const double digits = CorrectDigits(exact, t.x, [&](double) { return t.y[row++]; });
    EXPECT_GE(digits, c.digits);

    // "scale.pol" gets the power-basis coefficients of the same curve, each
    // as near its exact value as a double comes.
    double largest = 0;
    for (int k = 0; k <= c.degree; ++k)
        largest = std::max(largest, std::fabs(exact.PowerCoefficient(k)));
    for (int k = 0; k <= c.degree; ++k) {
        const double e = exact.PowerCoefficient(k);
        const double ulp = std::fabs(std::nextafter(e, HUGE_VAL) - e);
        EXPECT_LE(std::fabs(t.coef[k] - e), 2 * ulp + 1e-30 * largest) << "c" << k << " exact " << e;
    }
}

INSTANTIATE_TEST_SUITE_P(Fit, HardFitTest, ::testing::ValuesIn(FitCases()),
                         [](const ::testing::TestParamInfo<FitCase> &info) { return CaseId(info.param); });

// Readings crowded so tightly at one x that the curve between them and the
// far point hangs on the last digits of the data: a fit that even the wide
// arithmetic cannot carry is refused, never tabulated wrong; one it can carry
// is kept, though doubles alone could not.
struct CrowdedReadings {
    const char *name;
    double at, apart;
    int readings, degree;
    bool linearY; // 500, 501, ... instead of the curve's values
    bool refused;
};

void PrintTo(const CrowdedReadings &c, std::ostream *os) { *os << c.name; }

class CrowdedReadingsTest : public ::testing::TestWithParam<CrowdedReadings> {};

TEST_P(CrowdedReadingsTest, RefusedOrRightBetweenThePoints)
{
    const CrowdedReadings &c = GetParam();
    std::vector<double> xs = {0.0}, ys = {0.0};
    for (int k = c.readings - 1; k >= 0; --k) {
        xs.push_back(c.at - k * c.apart);
        ys.push_back(c.linearY ? 500.0 + (c.readings - 1 - k) : 1000.0 * (1.0 - std::exp(-xs.back() / 300.0)));
    }
    double coef[MatrixCapacity] = {};
    CentredPolynomial fit;
    QString message;
    const bool fitted = LeastSquaresFit(c.degree, static_cast<int>(xs.size()), xs.data(), ys.data(), coef, &message, &fit);
    EXPECT_EQ(!fitted, c.refused) << message.toStdString();
    if (!fitted) {
        EXPECT_EQ(message, QStringLiteral("Gaus Error : 2"));
        return;
    }
    std::vector<double> grid(xs);
    for (size_t i = 0; i + 1 < xs.size(); ++i)
        grid.push_back(xs[i] / 2 + xs[i + 1] / 2);
    for (int s = 0; s <= 400; ++s)
        grid.push_back(c.at * s / 400.0);
    ExactFit exact(c.degree, xs, ys);
    EXPECT_GE(CorrectDigits(exact, grid, [&](double x) { return fit.Value(x); }), 13.0);
}

INSTANTIATE_TEST_SUITE_P(
    Fit, CrowdedReadingsTest,
    ::testing::Values(CrowdedReadings{"FiveTenThousandthsApartAt65535", 65535.0, 1e-4, 5, 5, false, true},
                      CrowdedReadings{"NineThousandthsApartAt65535", 65535.0, 1e-3, 9, 9, false, true},
                      CrowdedReadings{"FiveMillionthsApartAt1000", 1000.0, 1e-6, 5, 5, true, true},
                      CrowdedReadings{"FiveHundredthsApartAt1000", 1000.0, 1e-2, 5, 5, false, false},
                      CrowdedReadings{"ThreeThousandthsApartAt65535", 65535.0, 1e-3, 3, 3, false, false}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(HardFit, ReferenceIsExact)
{
    // y = 1 + x^2 on x = 0 .. 3 is its own least-squares parabola; a line
    // through (0, 1), (1, 2), (2, 2) has slope 1/2 and height 7/6 exactly.
    ExactFit parabola(2, {0, 1, 2, 3}, {1, 2, 5, 10});
    EXPECT_EQ(parabola.PowerCoefficient(0), 1.0);
    EXPECT_EQ(parabola.PowerCoefficient(1), 0.0);
    EXPECT_EQ(parabola.PowerCoefficient(2), 1.0);
    EXPECT_LT(parabola.ErrorAt(2.5, 7.25), 1e-100);
    ExactFit line(1, {0, 1, 2}, {1, 2, 2});
    EXPECT_EQ(line.PowerCoefficient(1), 0.5);
    EXPECT_EQ(line.PowerCoefficient(0), 7.0 / 6.0);
    // The double nearest 7/6 is off by its rounding alone.
    EXPECT_GT(line.ErrorAt(0.0, 7.0 / 6.0), 0.0);
    EXPECT_LE(line.ErrorAt(0.0, 7.0 / 6.0), 1.2e-16);
    EXPECT_NEAR(line.ErrorAt(0.0, 1.1666), 1.0 / 15000, 3e-16);
}

} // namespace

