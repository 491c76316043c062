#include "common/numtext.h"
#include "graph/net.h"
#include "tests/support/recording_dialogs.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <vector>

namespace {

struct Ticks {
    std::vector<double> values;
    QStringList labels;
};

Ticks Linear(double min, double max, int capacity = LinearTickCapacity)
{
    std::array<double, LogTickCapacity> v{};
    std::array<QString, LogTickCapacity> l;
    int count = -1;
    LinearTicks(count, v.data(), l.data(), capacity, min, max);
    Ticks t;
    for (int i = 0; i < count; ++i) {
        t.values.push_back(v[i]);
        t.labels.append(l[i]);
    }
    return t;
}

class TicksTest : public ::testing::Test {
protected:
    void SetUp() override { numtext::SetDecimalSeparator(','); }
    void TearDown() override { numtext::SetDecimalSeparator('.'); }
};

struct LinearCase {
    const char *name;
    double min, max;
    std::vector<double> values; // compared to 1e-9 of the step
    QStringList labels;
};

void PrintTo(const LinearCase &c, std::ostream *os) { *os << c.name << " (" << c.min << " .. " << c.max << ")"; }

class LinearTicksTable : public TicksTest, public ::testing::WithParamInterface<LinearCase> {};

TEST_P(LinearTicksTable, ValuesAndLabels)
{
    const LinearCase &c = GetParam();
    const Ticks t = Linear(c.min, c.max);
    ASSERT_EQ(t.values.size(), c.values.size());
    const double tolerance = (c.max - c.min) * 1e-12;
    for (size_t i = 0; i < c.values.size(); ++i)
        EXPECT_NEAR(t.values[i], c.values[i], tolerance) << "entry " << i;
    // The ends are the range itself, not a rounded multiple of the step.
    EXPECT_EQ(t.values.front(), c.min);
    EXPECT_EQ(t.values.back(), c.max);
    EXPECT_EQ(t.labels, c.labels);
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, LinearTicksTable,
    ::testing::Values(
        // Class 3, step 10; both ends are multiples and stand twice.
        LinearCase{"to100", 0, 100,
                   {0, 0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 100},
                   {"0", "0", "10", "20", "30", "40", "50", "60", "70", "80", "90", "100", "100"}},
        LinearCase{"to250", 0, 250,
                   {0, 0, 25, 50, 75, 100, 125, 150, 175, 200, 225, 250, 250},
                   {"0", "0", "25", "50", "75", "100", "125", "150", "175", "200", "225", "250", "250"}},
        LinearCase{"to999", 0, 999,
                   {0, 0, 100, 200, 300, 400, 500, 600, 700, 800, 900, 999},
                   {"0", "0", "100", "200", "300", "400", "500", "600", "700", "800", "900", "999"}},
        LinearCase{"to119", 0, 119,
                   {0, 0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 119},
                   {"0", "0", "10", "20", "30", "40", "50", "60", "70", "80", "90", "100", "110", "119"}},
        // Class 1: the last multiple 100 x 0.010000000000000002 lies above 1.
        LinearCase{"to1", 0, 1,
                   {0, 0, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9, 1},
                   {"0", "0", "0,1", "0,2", "0,3", "0,4", "0,5", "0,6", "0,7", "0,8", "0,9", "1"}},
        // Span 4.5 scales to 450: F 50, step 0.5, first multiple above the minimum.
        LinearCase{"from3.7", 3.7, 8.2,
                   {3.7, 4, 4.5, 5, 5.5, 6, 6.5, 7, 7.5, 8, 8.2},
                   {"3,7", "4", "4,5", "5", "5,5", "6", "6,5", "7", "7,5", "8", "8,2"}},
        // Span 0.2 scales to 200: class 0, F 20, step 0.02.
        LinearCase{"symmetric", -0.1, 0.1,
                   {-0.1, -0.08, -0.06, -0.04, -0.02, 0, 0.02, 0.04, 0.06, 0.08, 0.1},
                   {"-0,1", "-0,08", "-0,06", "-0,04", "-0,02", "0", "0,02", "0,04", "0,06", "0,08", "0,1"}},
        // The ratio guard: the span is too small against the values.
        LinearCase{"ratioGuard", 1000000, 1000001, {1000000, 1000001}, {"1000000", "1000001"}},
        // Zero span: two entries in the general format.
        LinearCase{"zeroSpan", 5, 5, {5, 5}, {"5", "5"}}),
    [](const ::testing::TestParamInfo<LinearCase> &info) {
        std::string n = info.param.name;
        for (char &ch : n)
            if (!std::isalnum(static_cast<unsigned char>(ch)))
                ch = '_';
        return n;
    });

TEST_F(TicksTest, SmallSpanUsesExponentLabels)
{
    const Ticks t = Linear(0, 0.001);
    ASSERT_EQ(t.values.size(), 12u);
    EXPECT_NEAR(t.values[2], 1e-4, 1e-15);
    EXPECT_EQ(t.labels[2], "1E-4 ");
    EXPECT_EQ(t.labels[11], "1E-3 ");
    for (const QString &label : t.labels.mid(1))
        EXPECT_TRUE(label.endsWith(' ')) << label.toStdString();
}

TEST_F(TicksTest, HugeFiniteSpanTerminatesWithExponentLabels)
{
    const Ticks t = Linear(0, 1e300);
    ASSERT_GE(t.values.size(), 3u);
    ASSERT_LE(t.values.size(), 15u);
    EXPECT_EQ(t.values.back(), 1e300);
    EXPECT_TRUE(t.labels.back().startsWith("1E300")) << t.labels.back().toStdString();
    for (size_t i = 1; i < t.values.size(); ++i)
        EXPECT_LE(t.values[i - 1], t.values[i]);
}

TEST_F(TicksTest, NonFiniteOrReversedRangesGiveTheTwoEnds)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double cases[][2] = {{-1e308, 1e308}, {0, inf}, {-inf, 0}, {nan, 1}, {0, nan}, {10, -5}};
    for (const auto &c : cases) {
        const Ticks t = Linear(c[0], c[1]);
        ASSERT_EQ(t.values.size(), 2u) << c[0] << " .. " << c[1];
        EXPECT_TRUE(t.values[0] == c[0] || (std::isnan(c[0]) && std::isnan(t.values[0])));
    }
    EXPECT_EQ(Linear(-1e308, 1e308).labels, QStringList({"-1E308", "1E308"}));
}

TEST_F(TicksTest, CapacityIsNeverExceeded)
{
    // 0..100 has 13 entries; a list of 6 keeps the first ones and the maximum.
    const Ticks t = Linear(0, 100, 6);
    ASSERT_EQ(t.values.size(), 6u);
    EXPECT_EQ(t.values.back(), 100);
    EXPECT_EQ(t.values[4], 30);
}

TEST_F(TicksTest, LogTicksRunThroughTheDecades)
{
    std::array<double, LogTickCapacity> v{};
    std::array<QString, LogTickCapacity> l;
    int count = 0;
    LogTicks(count, v.data(), l.data(), LogTickCapacity, 0, 3);
    ASSERT_EQ(count, 28);
    const double expected[] = {1, 2, 9, 10, 20, 90, 100, 200, 900, 1000};
    const int at[] = {0, 1, 8, 9, 10, 17, 18, 19, 26, 27};
    for (int k = 0; k < 10; ++k)
        EXPECT_DOUBLE_EQ(v[at[k]], expected[k]);
    EXPECT_EQ(l[0], "1");
    EXPECT_EQ(l[9], "10");
    EXPECT_EQ(l[27], "1000");
}

TEST_F(TicksTest, LabelFormatsByClass)
{
    struct {
        int cls;
        double value;
        const char *text;
    } cases[] = {
        {-1, 0.05, "0,05"}, {0, 0.25, "0,25"}, {1, 2.5, "2,5"},    {2, 12.5, "12,5"},
        {3, 250, "250"},    {4, 2500, "2500"}, {5, 25000, "25000"}, {-2, 0.00012, "1,2E-4 "},
        {6, 250000, "2,5E5 "},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FormatLabel(c.cls, c.value), QString::fromLatin1(c.text)) << c.cls;
}

} // namespace
