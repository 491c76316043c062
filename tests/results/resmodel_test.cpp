#include "results/resmodel.h"
#include "common/numtext.h"
#include <gtest/gtest.h>
#include <cmath>
#include <limits>

namespace {

class ResModel : public ::testing::Test {
protected:
    void SetUp() override { numtext::SetDecimalSeparator('.'); }
};

void SetValues(TResFile &f, std::initializer_list<std::pair<const char *, const char *>> values)
{
    f.ValuesCount = 0;
    for (const auto &[str, scale] : values) {
        f.Values[f.ValuesCount].Str = QString::fromUtf8(str);
        f.Values[f.ValuesCount].Scale = QString::fromUtf8(scale);
        ++f.ValuesCount;
    }
}

TEST_F(ResModel, FormatValueTable)
{
    struct Case {
        double x;
        const char *text;
    };
    const Case cases[] = {
        {5, "5,000"},       {0.5, "0,500"},     {0.57, "0,570"},     {12.3456, "12,35"},
        {123.456, "123,5"}, {100, "100,0"},     {999.6, "1000"},     {1234.5, "1235"},
        {99999, "99999"},   {0, "0,000"},       {-2.5, "-2,500"},    {-0.0006, "-0,001"},
        {-0.0004, "-0,000"}, {-0.0, "0,000"},   {1e10, "10000000000"}, {-1e10, "-10000000000"},
        {2147483647.6, "2147483648"}, {999999999999999.0, "999999999999999"},
        {-9e99, "-9,000E99"}, {1e308, "1,000E308"}, {1.23456e20, "1,235E20"},
        {std::numeric_limits<double>::infinity(), "INF"},
        {-std::numeric_limits<double>::infinity(), "-INF"},
        {std::numeric_limits<double>::quiet_NaN(), "NAN"},
        {1e-300, "0,000"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(FormatValue(c.x), QString::fromUtf8(c.text)) << c.x;
}

TEST_F(ResModel, GroupsInFirstOccurrenceOrder)
{
    TResFile f;
    SetValues(f, {{"1", "P"}, {"2", "Q"}, {"3", "P"}, {"4", "R"}, {"6", "Q"}});
    EXPECT_TRUE(StatisticList(f).Clean());
    ASSERT_EQ(f.ScalesCount, 3);
    EXPECT_EQ(f.Scales[0], "P");
    EXPECT_EQ(f.Scales[1], "Q");
    EXPECT_EQ(f.Scales[2], "R");
    EXPECT_EQ(f.SCount[0], 2);
    EXPECT_EQ(f.SCount[1], 2);
    EXPECT_EQ(f.SCount[2], 1);
    EXPECT_DOUBLE_EQ(f.SMin[0], 1);
    EXPECT_DOUBLE_EQ(f.SMax[0], 3);
    EXPECT_DOUBLE_EQ(f.SMx[0], 2);
    EXPECT_DOUBLE_EQ(f.SMin[1], 2);
    EXPECT_DOUBLE_EQ(f.SMax[1], 6);
    EXPECT_DOUBLE_EQ(f.SMx[1], 4);
    // one value: minimum, maximum and mean are that value
    EXPECT_DOUBLE_EQ(f.SMin[2], 4);
    EXPECT_DOUBLE_EQ(f.SMax[2], 4);
    EXPECT_DOUBLE_EQ(f.SMx[2], 4);
    for (int g = 0; g < 3; ++g)
        for (Statistic s : {Statistic::Min, Statistic::Max, Statistic::Mean})
            EXPECT_TRUE(f.HasNumber(s, g)) << g;
}

TEST_F(ResModel, CaseAndBlanksMakeDifferentGroups)
{
    TResFile f;
    SetValues(f, {{"1", "mkm"}, {"2", "MKM"}, {"3", "mkm "}, {"4", "mkm"}});
    StatisticList(f);
    ASSERT_EQ(f.ScalesCount, 3);
    EXPECT_EQ(f.SCount[0], 2);
    EXPECT_EQ(f.SCount[1], 1);
    EXPECT_EQ(f.SCount[2], 1);
}

TEST_F(ResModel, EmptyFileHasNoGroups)
{
    TResFile f;
    f.ScalesCount = 4; // stale
    StatisticList(f);
    EXPECT_EQ(f.ScalesCount, 0);
}

TEST_F(ResModel, TwentySixthNameJoinsNoGroup)
{
    TResFile f;
    for (int k = 0; k < 27; ++k) {
        f.Values[k].Str = QString::number(k);
        f.Values[k].Scale = QStringLiteral("S%1").arg(k < 26 ? k : 0);
    }
    f.Values[25].Str = QStringLiteral("abc"); // in no group: never converted
    f.ValuesCount = 27;
    EXPECT_TRUE(StatisticList(f).Clean());
    ASSERT_EQ(f.ScalesCount, MaxGroups);
    EXPECT_EQ(f.Scales[24], "S24");
    EXPECT_EQ(f.SCount[0], 2); // values 0 and 26
    EXPECT_DOUBLE_EQ(f.SMax[0], 26);
    for (int g = 1; g < MaxGroups; ++g)
        EXPECT_EQ(f.SCount[g], 1) << g;
}

TEST_F(ResModel, NumberGrammar)
{
    struct Case {
        const char *text;
        bool ok;
        double value;
    };
    const Case cases[] = {
        {" 1.5", true, 1.5}, {"-2", true, -2},   {"+3", true, 3},     {"12.34", true, 12.34},
        {"1E2", true, 100},  {"1e-2 ", true, 0.01}, {"1,5", false, 0}, {"abc", false, 0},
        {"", false, 0},      {"-----", false, 0}, {"1.2.3", false, 0}, {"\t1", false, 0},
        {"1E", false, 0},    {".5", true, 0.5},  {"1E999", false, 0},
    };
    for (const Case &c : cases) {
        double v = 0;
        EXPECT_EQ(TryValueToNumber(QString::fromUtf8(c.text), v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_DOUBLE_EQ(v, c.value) << c.text;
        }
    }
    // the value list texts come with NULs from the instrument: read up to the first
    double v = 0;
    EXPECT_TRUE(TryValueToNumber(QString::fromUtf8("2.5\0xx", 6), v));
    EXPECT_DOUBLE_EQ(v, 2.5);
}

TEST_F(ResModel, BadReadingsStayOutOfTheStatistics)
{
    TResFile f;
    SetValues(f, {{"1.0", "A"}, {"-----", "A"}, {"3.0", "A"}, {"1,5", "B"}, {"", "B"}, {"7", "C"}});
    StatisticReport r = StatisticList(f);
    EXPECT_EQ(r.nonNumeric, 3);
    EXPECT_EQ(r.firstText, "-----");
    EXPECT_EQ(r.Message(), "'-----' is not a valid floating point value");
    ASSERT_EQ(f.ScalesCount, 3);
    // the count keeps every reading; minimum, maximum and mean only the numbers
    EXPECT_EQ(f.SCount[0], 3);
    EXPECT_TRUE(f.HasNumber(Statistic::Min, 0) && f.HasNumber(Statistic::Max, 0) && f.HasNumber(Statistic::Mean, 0));
    EXPECT_DOUBLE_EQ(f.SMin[0], 1);
    EXPECT_DOUBLE_EQ(f.SMax[0], 3);
    EXPECT_DOUBLE_EQ(f.SMx[0], 2);
    // a group with no number has a count and nothing else
    EXPECT_EQ(f.SCount[1], 2);
    for (Statistic s : {Statistic::Min, Statistic::Max, Statistic::Mean}) {
        EXPECT_EQ(f.StatText(s, 1), QString()) << int(s);
        EXPECT_TRUE(f.HasNumber(s, 2)) << int(s);
    }
    EXPECT_DOUBLE_EQ(f.SMx[2], 7);
    // values stay as read
    EXPECT_EQ(f.ValuesCount, 6);
    EXPECT_EQ(f.Values[1].Str, "-----");
}

TEST_F(ResModel, MeanOfHugeReadingsIsFinite)
{
    TResFile f;
    SetValues(f, {{"1E308", "A"}, {"1E308", "A"}, {"-9E99", "B"}, {"1E10", "B"}});
    StatisticList(f);
    EXPECT_TRUE(std::isfinite(f.SMx[0]));
    EXPECT_DOUBLE_EQ(f.SMx[0], 1e308);
    EXPECT_DOUBLE_EQ(f.SMin[1], -9e99);
    EXPECT_EQ(FormatValue(f.SMx[0]), "1,000E308");
    EXPECT_EQ(FormatValue(f.SMax[1]), "10000000000");
}

TEST_F(ResModel, RunsAgainFromScratch)
{
    TResFile f;
    SetValues(f, {{"1", "A"}, {"2", "B"}, {"3", "C"}});
    StatisticList(f);
    SetValues(f, {{"5", "B"}});
    StatisticList(f);
    ASSERT_EQ(f.ScalesCount, 1);
    EXPECT_EQ(f.Scales[0], "B");
    EXPECT_EQ(f.SCount[0], 1);
    EXPECT_DOUBLE_EQ(f.SMin[0], 5);
}

TEST_F(ResModel, TakeReadFillsAndCutsFiles)
{
    ResultsData data;
    ASSERT_EQ(data.Files.size(), size_t(MaxResultFiles));
    EXPECT_EQ(data.Files[57].Index, 57);
    // an earlier load left a remark, stored numbers and more values
    data.Files[0].Remark = QStringLiteral("old");
    data.Files[0].Values[0].Count = 2;
    data.Files[0].Values[0].Value[0] = 42;
    data.Files[0].ValuesCount = 3;

    std::vector<std::vector<TValue>> files(120);
    files[0] = {TValue{QStringLiteral("1.5"), QStringLiteral("mm"), 0, {}},
                TValue{QStringLiteral("--.--"), QStringLiteral("mm"), 0, {}}};
    for (int k = 0; k < 130; ++k)
        files[1].push_back(TValue{QString::number(k), QStringLiteral("x"), 0, {}});
    files[2] = {TValue{QStringLiteral("oops"), QStringLiteral("y"), 0, {}}};

    StatisticReport r = data.TakeRead(files);
    EXPECT_EQ(data.FileCount, ResultFileCount);
    EXPECT_EQ(r.nonNumeric, 2);
    EXPECT_EQ(r.firstText, "--.--");
    const TResFile &f0 = data.Files[0];
    EXPECT_EQ(f0.Index, 0);
    EXPECT_TRUE(f0.Remark.isEmpty());
    EXPECT_EQ(f0.ValuesCount, 2);
    EXPECT_EQ(f0.Values[0].Count, 0);
    EXPECT_EQ(f0.Values[0].Value[0], 0);
    EXPECT_EQ(f0.SCount[0], 2);
    EXPECT_DOUBLE_EQ(f0.SMx[0], 1.5);
    EXPECT_EQ(data.Files[1].ValuesCount, MaxValues);
    EXPECT_DOUBLE_EQ(data.Files[1].SMax[0], 99);
    EXPECT_EQ(data.Files[98].ValuesCount, 0);
    EXPECT_EQ(data.Files[98].ScalesCount, 0);
    EXPECT_EQ(data.Files[99].ValuesCount, 0); // the last record is never filled
}

TEST_F(ResModel, NodeNumbers)
{
    EXPECT_EQ(NodeData(0), 1);
    EXPECT_EQ(NodeData(98), 99);
    EXPECT_EQ(NodeData(0, 0), 101);
    EXPECT_EQ(NodeData(98, 24), 2599);
    for (int file = 0; file < ResultFileCount; ++file)
        for (int group = -1; group < MaxGroups; ++group) {
            EXPECT_EQ(NodeFile(NodeData(file, group)), file);
            EXPECT_EQ(NodeGroup(NodeData(file, group)), group);
        }
    EXPECT_EQ(NodeFile(0), -1);
    EXPECT_EQ(NodeGroup(0), -1);
}

} // namespace
