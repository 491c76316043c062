#include "scale/apro.h"
#include "tests/scale/fit_reference.h"
#include "tests/support/recording_dialogs.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace {

struct PowerCase {
    double x;
    int k;
    double expected;
};

void PrintTo(const PowerCase &c, std::ostream *os) { *os << c.x << "^" << c.k << " = " << c.expected; }

class IntPowerTest : public ::testing::TestWithParam<PowerCase> {};

TEST_P(IntPowerTest, RepeatedMultiplication)
{
    const PowerCase &c = GetParam();
    EXPECT_EQ(IntPower(c.x, c.k), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Apro, IntPowerTest,
                         ::testing::Values(PowerCase{0.0, 0, 1.0}, PowerCase{-3.5, 0, 1.0}, PowerCase{7.0, -2, 1.0},
                                           PowerCase{2.0, 10, 1024.0}, PowerCase{-2.0, 3, -8.0},
                                           PowerCase{0.5, 2, 0.25}, PowerCase{0.0, 3, 0.0}),
                         [](const ::testing::TestParamInfo<PowerCase> &info) {
                             // e.g. "Minus2_0Pow3": the base with its sign and fraction spelt out.
                             std::string base = std::to_string(info.param.x);
                             base.erase(base.find_last_not_of('0') + 1);
                             std::string name = info.param.x < 0 ? "Minus" : "";
                             for (char ch : base)
                                 if (ch != '-')
                                     name += ch == '.' ? '_' : ch;
                             if (name.back() == '_')
                                 name += '0';
                             name += "Pow";
                             name += info.param.k < 0 ? "Minus" + std::to_string(-info.param.k) : std::to_string(info.param.k);
                             return name;
                         });

TEST(PolyValue, DegreeZeroIsTheConstantEverywhere)
{
    const double c[] = {4.25, 99.0};
    for (double x : {-1e9, -1.0, 0.0, 3.0, 1e12})
        EXPECT_EQ(PolyValue(0, c, x), 4.25);
}

TEST(PolyValue, SumsPowersConstantFirst)
{
    const double c[] = {1.0, -2.0, 3.0};
    EXPECT_EQ(PolyValue(2, c, 2.0), 1.0 - 4.0 + 12.0);
    EXPECT_EQ(PolyValue(2, c, -1.0), 1.0 + 2.0 + 3.0);
}

TEST(BuildNormalSystem, PowerSumsOfTheAbscissae)
{
    const double xs[] = {0.0, 1.0}, ys[] = {0.0, 1.0};
    double A[MatrixCapacity * MatrixCapacity] = {}, b[MatrixCapacity] = {};
    BuildNormalSystem(1, 2, xs, ys, A, b);
    EXPECT_EQ(A[0], 2.0);
    EXPECT_EQ(A[1], 1.0);
    EXPECT_EQ(A[MatrixCapacity], 1.0);
    EXPECT_EQ(A[MatrixCapacity + 1], 1.0);
    EXPECT_EQ(b[0], 1.0);
    EXPECT_EQ(b[1], 1.0);
}

TEST(GaussSolve, SolvesAGeneralSystem)
{
    double A[MatrixCapacity * MatrixCapacity] = {};
    const double rhs[3] = {5.0, 10.0, 3.0};
    double b[MatrixCapacity] = {rhs[0], rhs[1], rhs[2]};
    const double rows[3][3] = {{2, 1, 1}, {4, 5, 1}, {1, 1, 3}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            A[i * MatrixCapacity + j] = rows[i][j];
    double x[MatrixCapacity] = {};
    int err = -1;
    GaussSolve(3, A, b, err, x);
    ASSERT_EQ(err, 0);
    for (int i = 0; i < 3; ++i) {
        double lhs = rows[i][0] * x[0] + rows[i][1] * x[1] + rows[i][2] * x[2];
        EXPECT_NEAR(lhs, rhs[i], 1e-12);
    }
}

TEST(GaussSolve, SizeAndSingularCodes)
{
    double A[MatrixCapacity * MatrixCapacity] = {};
    double b[MatrixCapacity] = {1.0, 1.0};
    double x[MatrixCapacity] = {42.0, 42.0};
    int err = -1;

    GaussSolve(0, A, b, err, x);
    EXPECT_EQ(err, GaussErrSize);
    GaussSolve(MatrixCapacity + 1, A, b, err, x);
    EXPECT_EQ(err, GaussErrSize);

    A[0] = 0.0;
    GaussSolve(1, A, b, err, x);
    EXPECT_EQ(err, GaussErrSingular);
    EXPECT_EQ(x[0], 42.0);

    A[0] = 4.0;
    b[0] = 2.0;
    GaussSolve(1, A, b, err, x);
    EXPECT_EQ(err, 0);
    EXPECT_EQ(x[0], 0.5);
}

TEST(GaussSolve, ZeroPivotIsReportedNotDividedBy)
{
    // [[0, 1], [1, 1]]: the first pivot is zero with a non-zero entry below.
    double A[MatrixCapacity * MatrixCapacity] = {};
    A[0] = 0.0;
    A[1] = 1.0;
    A[MatrixCapacity] = 1.0;
    A[MatrixCapacity + 1] = 1.0;
    double b[MatrixCapacity] = {1.0, 2.0};
    double x[MatrixCapacity] = {7.0, 7.0};
    int err = -1;
    GaussSolve(2, A, b, err, x);
    EXPECT_EQ(err, GaussErrSingular);
    EXPECT_EQ(x[0], 7.0);
    EXPECT_EQ(x[1], 7.0);
}

// The normal systems of small fits, solved by the elimination itself: what
// a caller of the solver gets for a determined fit and for too few abscissae.
struct NormalSystemCase {
    const char *name;
    int m;
    std::vector<double> xs, ys;
    int code;
    std::vector<double> solution; // when code is 0
};

void PrintTo(const NormalSystemCase &c, std::ostream *os) { *os << c.name; }

class NormalSystemTest : public ::testing::TestWithParam<NormalSystemCase> {};

TEST_P(NormalSystemTest, SolvesOrReportsSingular)
{
    const NormalSystemCase &c = GetParam();
    double A[MatrixCapacity * MatrixCapacity] = {}, b[MatrixCapacity] = {};
    BuildNormalSystem(c.m, static_cast<int>(c.xs.size()), c.xs.data(), c.ys.data(), A, b);
    double x[MatrixCapacity];
    std::fill(x, x + MatrixCapacity, -7.0);
    int err = -1;
    GaussSolve(c.m + 1, A, b, err, x);
    ASSERT_EQ(err, c.code);
    if (c.code != 0) {
        for (double v : x)
            EXPECT_EQ(v, -7.0) << "the solution is written only when solved";
        return;
    }
    for (int k = 0; k <= c.m; ++k)
        EXPECT_EQ(x[k], c.solution[k]) << "x" << k;
}

INSTANTIATE_TEST_SUITE_P(
    Apro, NormalSystemTest,
    ::testing::Values(
        // A = [[2, 1], [1, 1]], b = [1, 1].
        NormalSystemCase{"LineThroughTwoPoints", 1, {0, 1}, {0, 1}, 0, {0, 1}},
        NormalSystemCase{"ParabolaOnFourPoints", 2, {0, 1, 2, 3}, {1, 2, 5, 10}, 0, {1, 0, 1}},
        NormalSystemCase{"DegreeZeroIsTheMean", 0, {5, 5, 9}, {1, 2, 6}, 0, {3}},
        // The last pivot is zero with nothing to eliminate below the first.
        NormalSystemCase{"TwoPointsAtZero", 1, {0, 0}, {0, 1}, GaussErrSingular, {}},
        // The eliminated last row is all zeros.
        NormalSystemCase{"PointsEqualToDegree", 2, {1, 2}, {0, 1}, GaussErrSingular, {}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(AddScaledRow, AddsTheWholeRow)
{
    const double src[] = {1.0, 2.0, 3.0};
    double dst[] = {10.0, 10.0, 10.0, 10.0};
    AddScaledRow(3, src, dst, -2.0);
    EXPECT_EQ(dst[0], 8.0);
    EXPECT_EQ(dst[1], 6.0);
    EXPECT_EQ(dst[2], 4.0);
    EXPECT_EQ(dst[3], 10.0);
}

TEST(LeastSquaresFit, LineThroughTwoPoints)
{
    const double xs[] = {0.0, 1.0}, ys[] = {0.0, 1.0};
    double c[MatrixCapacity] = {};
    QString message;
    ASSERT_TRUE(LeastSquaresFit(1, 2, xs, ys, c, &message));
    EXPECT_EQ(c[0], 0.0);
    EXPECT_EQ(c[1], 1.0);
    EXPECT_TRUE(message.isEmpty());
}

TEST(LeastSquaresFit, ParabolaOnFourPoints)
{
    const double xs[] = {0, 1, 2, 3}, ys[] = {1, 2, 5, 10};
    double c[MatrixCapacity] = {};
    CentredPolynomial p;
    ASSERT_TRUE(LeastSquaresFit(2, 4, xs, ys, c, nullptr, &p));
    EXPECT_NEAR(c[0], 1.0, 1e-13);
    EXPECT_NEAR(c[1], 0.0, 1e-13);
    EXPECT_NEAR(c[2], 1.0, 1e-13);
    EXPECT_EQ(p.degree, 2);
    EXPECT_EQ(p.mid, 1.5);
    EXPECT_EQ(p.half, 2.0) << "the power of two at or above the half-width";
    for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(p.Value(xs[i]), ys[i], 1e-13);
}

TEST(LeastSquaresFit, DegreeZeroIsTheMean)
{
    const double xs[] = {5, 5, 9}, ys[] = {1, 2, 6};
    double c[MatrixCapacity] = {};
    ASSERT_TRUE(LeastSquaresFit(0, 3, xs, ys, c, nullptr));
    EXPECT_EQ(c[0], 3.0);
}

TEST(LeastSquaresFit, CloseButDistinctAbscissaeAreFitted)
{
    // A cubic through four points, two of them 1e-12 apart or three units in
    // the last place apart: one polynomial each, which the fit gives.
    const double threeUnits = std::nextafter(std::nextafter(std::nextafter(1.0, 2.0), 2.0), 2.0);
    for (double close : {1.0 + 1e-12, threeUnits}) {
        const std::vector<double> xs = {0.0, 1.0, close, 2.0}, ys = {0.5, 1.5, 3.5, 2.5};
        double c[MatrixCapacity] = {};
        CentredPolynomial p;
        QString message;
        ASSERT_TRUE(LeastSquaresFit(3, 4, xs.data(), ys.data(), c, &message, &p)) << message.toStdString();
        ExactFit exact(3, xs, ys);
        std::vector<double> grid(xs);
        for (int i = 0; i <= 200; ++i)
            grid.push_back(i / 100.0);
        EXPECT_GE(CorrectDigits(exact, grid, [&](double x) { return p.Value(x); }), 13.0) << close;
    }
}

struct SingularCase {
    const char *name;
    int m;
    std::vector<double> xs;
    int code;
};

void PrintTo(const SingularCase &c, std::ostream *os) { *os << c.name << " (degree " << c.m << ", " << c.xs.size() << " points)"; }

class SingularFitTest : public ::testing::TestWithParam<SingularCase> {};

TEST_P(SingularFitTest, FailsWithItsCodeAndLeavesCoefficients)
{
    const SingularCase &c = GetParam();
    std::vector<double> ys(c.xs.size());
    for (size_t i = 0; i < ys.size(); ++i)
        ys[i] = static_cast<double>(i) + 0.5;
    double coef[MatrixCapacity];
    std::fill(coef, coef + MatrixCapacity, -7.0);
    CentredPolynomial p;
    p.mid = 123.0;
    QString message;
    EXPECT_FALSE(LeastSquaresFit(c.m, static_cast<int>(c.xs.size()), c.xs.data(), ys.data(), coef, &message, &p));
    EXPECT_EQ(message, QStringLiteral("Gaus Error : ") + QString::number(c.code));
    for (double v : coef)
        EXPECT_EQ(v, -7.0);
    EXPECT_EQ(p.mid, 123.0);
}

INSTANTIATE_TEST_SUITE_P(
    Apro, SingularFitTest,
    ::testing::Values(SingularCase{"TwoPointsAtZero", 1, {0.0, 0.0}, GaussErrSingular},
                      SingularCase{"PointsEqualToDegree", 2, {1.0, 2.0}, GaussErrSingular},
                      SingularCase{"ThreeAbscissaeForDegreeThree", 3, {1, 1, 2, 2, 3, 3, 3, 1, 2, 3}, GaussErrSingular},
                      SingularCase{"OneXAtHighDegree", 9, std::vector<double>(12, 6e4), GaussErrSingular},
                      // Distinct doubles, but apart by their rounding alone.
                      SingularCase{"OneUnitInTheLastPlaceApart", 3, {0.0, 1.0, 2.0, std::nextafter(1.0, 2.0)},
                                   GaussErrSingular},
                      SingularCase{"TwoUnitsApartAt65000", 2,
                                   {65000.0, std::nextafter(std::nextafter(65000.0, 7e4), 7e4), 65000.0}, GaussErrSingular},
                      SingularCase{"NoPoints", 1, {}, GaussErrSingular},
                      SingularCase{"DegreeBeyondStorage", MaxFitDegree + 1, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12},
                                   GaussErrSize}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(LeastSquaresFit, ShowsItsMessageWhenNotAskedToReturnIt)
{
    RecordingDialogs dialogs;
    const double xs[] = {0.0, 0.0}, ys[] = {0.0, 1.0};
    double c[MatrixCapacity] = {};
    EXPECT_FALSE(LeastSquaresFit(1, 2, xs, ys, c));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("Gaus Error : 2"));
    EXPECT_TRUE(dialogs.messages[0].caption.isEmpty());
    EXPECT_EQ(dialogs.messages[0].flags, ui::MbOk);
}

TEST(CentredToPower, SameCurveInThePowerBasis)
{
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> coefDist(-3.0, 3.0);
    for (int m = 0; m <= 9; ++m) {
        CentredPolynomial p;
        p.degree = m;
        p.mid = 4.0;
        p.half = 2.5;
        for (int k = 0; k <= m; ++k)
            p.coef[k] = coefDist(rng);
        double c[MatrixCapacity] = {};
        CentredToPower(p, c);
        for (double x : {1.5, 3.0, 4.0, 5.25, 6.5}) {
            long double powerValue = 0, xp = 1;
            for (int k = 0; k <= m; ++k, xp *= x)
                powerValue += c[k] * xp;
            EXPECT_NEAR(static_cast<double>(powerValue), p.Value(x), 1e-9) << "m=" << m << " x=" << x;
        }
    }
}

} // namespace
