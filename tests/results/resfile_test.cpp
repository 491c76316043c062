#include "results/resfile.h"
#include "results/restree.h"
#include "common/ini.h"
#include "common/lang.h"
#include "common/numtext.h"
#include "common/win1251.h"
#include "tests/support/recording_dialogs.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <cmath>
#include <limits>

namespace {

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    return f.readAll();
}

void WriteAll(const QString &path, const QString &text)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    QString t = text;
    t.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    f.write(cp1251::Encode(t));
}

void AddValue(TResFile &f, const QString &str, const QString &scale)
{
    f.Values[f.ValuesCount].Str = str;
    f.Values[f.ValuesCount].Scale = scale;
    ++f.ValuesCount;
}

// Flattens a tree into "depth|text|data" lines.
void Flatten(const std::vector<TreeNode> &nodes, int depth, QStringList &out)
{
    for (const TreeNode &n : nodes) {
        out << QStringLiteral("%1|%2|%3").arg(depth).arg(n.text).arg(n.data);
        Flatten(n.children, depth + 1, out);
    }
}

QStringList Flat(const ResultsData &data)
{
    QStringList out;
    Flatten(TreeContent(data), 0, out);
    return out;
}

class ResFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        numtext::SetDecimalSeparator('.');
        English = false;
        ASSERT_TRUE(dir.isValid());
    }
    QString Path(const char *name) const { return dir.filePath(QString::fromLatin1(name)); }

    QTemporaryDir dir;
};

// Two files: one with a remark, two groups, stored numbers and a value that
// is no number; one empty.
ResultsData Sample()
{
    ResultsData d;
    d.DeviceText = QStringLiteral("Q5-M8 v.1.2.15");
    d.CommonRemark = QString::fromUtf8("Результаты измерений");
    d.FileCount = 2;
    TResFile &f = d.Files[0];
    f.Remark = QString::fromUtf8("Вал №3");
    AddValue(f, QStringLiteral("12.5"), QStringLiteral("mkm"));
    AddValue(f, QStringLiteral("-----"), QStringLiteral("deg"));
    AddValue(f, QStringLiteral("0.1"), QStringLiteral("mkm"));
    StatisticList(f);
    f.Values[0].Count = 2;
    f.Values[0].Value[0] = 12.5;
    f.Values[0].Value[1] = 1e-7;
    return d;
}

const char *const SampleText =
    "[OstrelData]\n"
    "Device=Q5-M8 v.1.2.15\n"
    "Remark=Результаты измерений\n"
    "FilesCount=2\n"
    "\n"
    "[File1]\n"
    "Remark=Вал №3\n"
    "ValuesCount=3\n"
    "ScalesCount=2\n"
    "Scales1=mkm\n"
    "SCount1=2\n"
    "SMin1=0.1\n"
    "SMax1=12.5\n"
    "SMx1=6.3\n"
    "Scales2=deg\n"
    "SCount2=1\n"
    "SMin2=\n"
    "SMax2=\n"
    "SMx2=\n"
    "__1_Str=12.5\n"
    "__1_Count=2\n"
    "__1_Value1=12.5\n"
    "__1_Value2=1E-7\n"
    "__1_Scale=mkm\n"
    "__2_Str=-----\n"
    "__2_Count=0\n"
    "__2_Scale=deg\n"
    "__3_Str=0.1\n"
    "__3_Count=0\n"
    "__3_Scale=mkm\n"
    "\n"
    "[File2]\n"
    "Remark=\n"
    "ValuesCount=0\n"
    "ScalesCount=0\n";

QByteArray Crlf1251(const char *text)
{
    QString t = QString::fromUtf8(text);
    t.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return cp1251::Encode(t);
}

TEST_F(ResFile, WritesKeysInOrderByteForByte)
{
    SaveResultsFile(Sample(), Path("a.osl3"));
    EXPECT_EQ(ReadAll(Path("a.osl3")), Crlf1251(SampleText));
}

TEST_F(ResFile, ValueKeysArePaddedToThreeCharacters)
{
    ResultsData d;
    d.DeviceText = QStringLiteral("Q5-M8 v.1.0.0");
    d.FileCount = 1;
    for (int k = 0; k < MaxValues; ++k)
        AddValue(d.Files[0], QString::number(k), QStringLiteral("s"));
    StatisticList(d.Files[0]);
    SaveResultsFile(d, Path("b.osl3"));
    const QStringList keys = IniFile(Path("b.osl3")).ReadSection(QStringLiteral("File1"));
    EXPECT_TRUE(keys.contains(QStringLiteral("__1_Str")));
    EXPECT_TRUE(keys.contains(QStringLiteral("__9_Scale")));
    EXPECT_TRUE(keys.contains(QStringLiteral("_10_Str")));
    EXPECT_TRUE(keys.contains(QStringLiteral("_99_Count")));
    EXPECT_TRUE(keys.contains(QStringLiteral("100_Scale")));
    EXPECT_EQ(keys.size(), 3 + 5 + 3 * MaxValues);
}

TEST_F(ResFile, RoundTripGivesTheSameTree)
{
    ResultsData d = Sample();
    d.Files[1].Remark = QStringLiteral("second");
    SaveResultsFile(d, Path("c.osl3"));
    ResultsData back;
    EXPECT_EQ(LoadResultsFile(back, Path("c.osl3")), DeviceKindNormal);
    EXPECT_EQ(Flat(back), Flat(d));
    EXPECT_EQ(back.Files[0].Values[0].Count, 2);
    EXPECT_EQ(back.Files[0].Values[0].Value[1], 1e-7);
    for (Statistic st : {Statistic::Min, Statistic::Max, Statistic::Mean})
        EXPECT_EQ(back.Files[0].StatText(st, 1), QString()) << int(st);
    EXPECT_EQ(back.Files[0].SMx[0], 6.3);
    English = true;
    EXPECT_EQ(Flat(back), Flat(d));
}

TEST_F(ResFile, FloatsComeBackToFifteenDigits)
{
    ResultsData d;
    d.DeviceText = QStringLiteral("Q5-M8");
    d.FileCount = 1;
    AddValue(d.Files[0], QStringLiteral("1"), QStringLiteral("a"));
    StatisticList(d.Files[0]);
    const double numbers[] = {1.0 / 3, -123456.789012345, 1e-300, 9e99};
    d.Files[0].SMin[0] = numbers[0];
    d.Files[0].SMax[0] = numbers[1];
    d.Files[0].SMx[0] = numbers[2];
    d.Files[0].Values[0].Count = 1;
    d.Files[0].Values[0].Value[0] = numbers[3];
    SaveResultsFile(d, Path("f.osl3"));
    ResultsData back;
    LoadResultsFile(back, Path("f.osl3"));
    EXPECT_EQ(back.Files[0].SMin[0], numtext::StrToFloat(numtext::FloatToStr(numbers[0])));
    EXPECT_NEAR(back.Files[0].SMin[0], numbers[0], std::fabs(numbers[0]) * 1e-14);
    EXPECT_NEAR(back.Files[0].SMax[0], numbers[1], std::fabs(numbers[1]) * 1e-14);
    EXPECT_NEAR(back.Files[0].SMx[0], numbers[2], std::fabs(numbers[2]) * 1e-14);
    EXPECT_NEAR(back.Files[0].Values[0].Value[0], numbers[3], std::fabs(numbers[3]) * 1e-14);
}

// The largest and smallest doubles and denormals in the statistics and the
// stored numbers come back as they were saved.
TEST_F(ResFile, ExtremeDoublesComeBack)
{
    using L = std::numeric_limits<double>;
    ResultsData d;
    d.DeviceText = QStringLiteral("Q5-M8");
    d.CommonRemark = QStringLiteral("limits");
    d.FileCount = 1;
    TResFile &f = d.Files[0];
    AddValue(f, QStringLiteral("1"), QStringLiteral("a"));
    AddValue(f, QStringLiteral("2"), QStringLiteral("b"));
    StatisticList(f);
    f.SMin[0] = L::lowest();
    f.SMax[0] = L::max();
    f.SMx[0] = L::denorm_min();
    f.SMin[1] = -L::denorm_min();
    f.SMax[1] = std::nextafter(L::max(), 0.0);
    f.SMx[1] = 1.5e-315;
    f.Values[0].Count = 2;
    f.Values[0].Value[0] = L::max();
    f.Values[0].Value[1] = L::lowest();
    f.Values[1].Count = 2;
    f.Values[1].Value[0] = L::denorm_min();
    f.Values[1].Value[1] = L::min();
    SaveResultsFile(d, Path("x.osl3"));
    const QByteArray bytes = ReadAll(Path("x.osl3"));
    EXPECT_TRUE(bytes.contains("SMin1=-1.7976931348623157E308\r\nSMax1=1.7976931348623157E308\r\n"
                               "SMx1=4.94065645841247E-324\r\n")) << bytes.constData();
    EXPECT_TRUE(bytes.contains("__1_Value1=1.7976931348623157E308\r\n__1_Value2=-1.7976931348623157E308\r\n"));

    ResultsData back;
    LoadResultsFile(back, Path("x.osl3"));
    const TResFile &b = back.Files[0];
    for (int g = 0; g < 2; ++g) {
        EXPECT_EQ(b.SMin[g], f.SMin[g]) << g;
        EXPECT_EQ(b.SMax[g], f.SMax[g]) << g;
        EXPECT_EQ(b.SMx[g], f.SMx[g]) << g;
    }
    EXPECT_EQ(b.Values[0].Value[0], L::max());
    EXPECT_EQ(b.Values[0].Value[1], L::lowest());
    EXPECT_EQ(b.Values[1].Value[0], L::denorm_min());
    // The smallest normal double keeps the 15 digits of the format.
    EXPECT_NEAR(b.Values[1].Value[1], L::min(), L::min() * 1e-14);
    EXPECT_EQ(FormatValue(b.SMax[0]), FormatValue(L::max())) << "the tree shows it, not 0";
    SaveResultsFile(back, Path("y.osl3"));
    EXPECT_EQ(QString::fromLatin1(ReadAll(Path("y.osl3"))), QString::fromLatin1(bytes));
}

// A file edited by hand: statistics keys that are blank, no numbers, beyond
// the double range, and counts beyond the values. Each key reads on its own,
// shows on its own, and goes back into the file as it was.
TEST_F(ResFile, HandEditedStatisticsKeepEveryKey)
{
    const char *const text = "[OstrelData]\n"
                             "Device=Q5-M8 v.1.2.15\n"
                             "Remark=bench\n"
                             "FilesCount=1\n"
                             "[File1]\n"
                             "Remark=\n"
                             "ValuesCount=3\n"
                             "ScalesCount=4\n"
                             "Scales1=mkm\n"
                             "SCount1=500\n"
                             "SMin1=\n"
                             "SMax1=5\n"
                             "SMx1=3\n"
                             "Scales2=deg\n"
                             "SCount2=-5\n"
                             "SMin2=1E999\n"
                             "SMax2=abc\n"
                             "SMx2=2.5\n"
                             "Scales3=mm\n"
                             "SCount3=2147483647\n"
                             "SMin3=1.5\n"
                             "SMax3=\n"
                             "SMx3=-1E-999\n"
                             "Scales4=OVL\n"
                             "SCount4=-2147483648\n"
                             "SMin4=\n"
                             "SMax4=\n"
                             "SMx4=\n"
                             "__1_Str=5\n"
                             "__1_Count=2\n"
                             "__1_Value1=\n"
                             "__1_Value2=1e999\n"
                             "__1_Scale=mkm\n"
                             "__2_Str=3\n"
                             "__2_Count=1\n"
                             "__2_Value1=2.5\n"
                             "__2_Scale=deg\n"
                             "__3_Str=-----\n"
                             "__3_Count=0\n"
                             "__3_Scale=OVL\n";
    const QString path = Path("hand.osl3");
    WriteAll(path, QString::fromUtf8(text));
    ResultsData d;
    LoadResultsFile(d, path);
    const TResFile &f = d.Files[0];
    EXPECT_EQ(f.SCount[0], 500);
    EXPECT_EQ(f.SCount[1], -5);
    EXPECT_EQ(f.SCount[2], 2147483647);
    EXPECT_EQ(f.SCount[3], -2147483648);
    EXPECT_EQ(f.SMax[0], 5.0);
    EXPECT_EQ(f.SMin[1], 0.0) << "a float that does not convert reads as its default";
    EXPECT_EQ(f.SMx[2], -0.0) << "underflow reads as zero, a number";
    EXPECT_TRUE(f.HasNumber(Statistic::Mean, 2));

    struct Shown {
        bool english;
        QStringList lines;
    };
    const Shown shown[] = {
        {true,
         {"mkm", "Count 500", "Minimum value ---", "Maximum value 5,000", "Average value 3,000",
          "deg", "Count -5", "Minimum value ---", "Maximum value ---", "Average value 2,500",
          "mm", "Count 2147483647", "Minimum value 1,500", "Maximum value ---", "Average value 0,000",
          "OVL", "Count -2147483648", "Minimum value ---", "Maximum value ---", "Average value ---"}},
        {false,
         {"mkm", QString::fromUtf8("Измерений 500"), QString::fromUtf8("Минимальное значение ---"),
          QString::fromUtf8("Максимальное значение 5,000"), QString::fromUtf8("Среднее значение 3,000"),
          "deg", QString::fromUtf8("Измерений -5"), QString::fromUtf8("Минимальное значение ---"),
          QString::fromUtf8("Максимальное значение ---"), QString::fromUtf8("Среднее значение 2,500"),
          "mm", QString::fromUtf8("Измерений 2147483647"), QString::fromUtf8("Минимальное значение 1,500"),
          QString::fromUtf8("Максимальное значение ---"), QString::fromUtf8("Среднее значение 0,000"),
          "OVL", QString::fromUtf8("Измерений -2147483648"), QString::fromUtf8("Минимальное значение ---"),
          QString::fromUtf8("Максимальное значение ---"), QString::fromUtf8("Среднее значение ---")}},
    };
    for (const Shown &s : shown) {
        English = s.english;
        const std::vector<TreeNode> roots = TreeContent(d);
        ASSERT_EQ(roots.at(1).children.size(), 2u); // the count, the statistics
        QStringList lines;
        for (const TreeNode &group : roots[1].children[1].children) {
            lines << group.text;
            for (const TreeNode &line : group.children)
                lines << line.text;
        }
        EXPECT_EQ(lines, s.lines);
    }
    English = false;

    // Commented and saved over itself, the file keeps every key it had.
    d.Files[0].Remark = QStringLiteral("checked");
    SaveResultsFile(d, path);
    WriteAll(Path("hand-before.osl3"), QString::fromUtf8(text));
    const IniFile was(Path("hand-before.osl3"));
    const IniFile now(path);
    for (const QString &section : {QStringLiteral("OstrelData"), QStringLiteral("File1")}) {
        const QStringList keys = was.ReadSection(section);
        EXPECT_EQ(now.ReadSection(section), keys) << section.toStdString();
        for (const QString &key : keys) {
            if (section == "File1" && key == "Remark")
                continue;
            const QString a = was.ReadString(section, key, "missing"), b = now.ReadString(section, key, "missing");
            double x, y;
            // A number may be written in other digits ("-1E-999" as "0"); its value stays.
            if (numtext::TryStrToFloat(a, x) && numtext::TryStrToFloat(b, y))
                EXPECT_EQ(x, y) << key.toStdString() << ": " << a.toStdString() << " -> " << b.toStdString();
            else
                EXPECT_EQ(b, a) << key.toStdString();
        }
    }
    EXPECT_EQ(now.ReadString("File1", "Remark", QString()), "checked");
}

TEST_F(ResFile, HandMadeFileWithMissingKeysAndClampedCounts)
{
    WriteAll(Path("h.osl3"), QString::fromUtf8("[ostreldata]\n"
                                               "device=KVR-20 v.1.0.0\n"
                                               "Remark=   \n"
                                               "FilesCount=150\n"
                                               "[File1]\n"
                                               "ValuesCount=250\n"
                                               "ScalesCount=-4\n"
                                               "__1_Count=5\n"
                                               "__1_Value1=1.5\n"
                                               "__1_Value2=abc\n"
                                               "__1_Value3=7\n"
                                               "__2_Str=  \"x\" \n"
                                               "__2_Count=-1\n"
                                               "__2_Value1=3\n"
                                               "[File2]\n"
                                               "ScalesCount=30\n"
                                               "Scales2=mm\n"
                                               "SCount2=-7\n"
                                               "SMin2=1,5\n"
                                               "SMax2=2.5\n"));
    ResultsData d;
    d.Files[0].Values[0].Value[1] = 99; // from before: overwritten by the default
    EXPECT_EQ(LoadResultsFile(d, Path("h.osl3")), DeviceKindKvr20);
    EXPECT_EQ(d.DeviceText, "KVR-20 v.1.0.0");
    EXPECT_EQ(d.CommonRemark, "--------------------");
    EXPECT_EQ(d.FileCount, ResultFileCount);
    const TResFile &f1 = d.Files[0];
    EXPECT_EQ(f1.Remark, "");
    EXPECT_EQ(f1.ValuesCount, MaxValues);
    EXPECT_EQ(f1.ScalesCount, 0);
    EXPECT_EQ(f1.Values[0].Str, "0");
    EXPECT_EQ(f1.Values[0].Scale, "0");
    EXPECT_EQ(f1.Values[0].Count, 2);
    EXPECT_EQ(f1.Values[0].Value[0], 1.5);
    EXPECT_EQ(f1.Values[0].Value[1], 0.0);
    EXPECT_EQ(f1.ValueText[0][1], QStringLiteral("abc")); // kept for the next save
    EXPECT_FALSE(f1.ValueText[0][0].has_value());
    EXPECT_EQ(f1.Values[1].Str, "x"); // one pair of quotes stripped, blanks around dropped
    EXPECT_EQ(f1.Values[1].Count, 0);
    const TResFile &f2 = d.Files[1];
    EXPECT_EQ(f2.ScalesCount, MaxGroups);
    EXPECT_EQ(f2.Scales[0], "mkm");
    EXPECT_EQ(f2.Scales[1], "mm");
    EXPECT_EQ(f2.SCount[1], -7); // shown as the file holds it
    EXPECT_EQ(f2.SMin[1], 0.0);
    EXPECT_EQ(f2.StatText(Statistic::Min, 1), QStringLiteral("1,5")); // no number with '.'
    EXPECT_EQ(f2.SMax[1], 2.5);
    EXPECT_TRUE(f2.HasNumber(Statistic::Max, 1));
    EXPECT_EQ(f2.SMx[1], 0.0);
    EXPECT_TRUE(f2.HasNumber(Statistic::Mean, 1)) << "a missing key reads as 0, as any missing number";
}

TEST_F(ResFile, DeviceModelsAndBlankRemarks)
{
    struct Case {
        const char *device;
        const char *remark;
        int kind;
        const char *remarkRead;
    };
    const Case cases[] = {
        {"KVR-20 v.1.0.0", "x", DeviceKindKvr20, "x"},
        {"КВР-20", "", DeviceKindKvr20, "--------------------"},
        {"kvr-20", " a b ", DeviceKindNormal, "a b"},
        {"KVR-2", "\"  \"", DeviceKindNormal, "--------------------"},
        {"Q5-M8 v.1.2.3", "\"  keep  \"", DeviceKindNormal, "  keep  "},
    };
    for (const Case &c : cases) {
        WriteAll(Path("d.osl3"), QString::fromUtf8("[OstrelData]\nDevice=%1\nRemark=%2\nFilesCount=-3\n")
                                     .arg(QString::fromUtf8(c.device), QString::fromUtf8(c.remark)));
        ResultsData d;
        d.FileCount = 5;
        EXPECT_EQ(LoadResultsFile(d, Path("d.osl3")), c.kind) << c.device;
        EXPECT_EQ(d.CommonRemark, QString::fromUtf8(c.remarkRead)) << c.device;
        EXPECT_EQ(d.FileCount, 0) << c.device;
    }
}

TEST_F(ResFile, NoDeviceKeyLoadsNothing)
{
    WriteAll(Path("n.osl3"), QStringLiteral("[OstrelData]\nRemark=new\nFilesCount=3\n[File1]\nValuesCount=1\n"));
    ResultsData d;
    d.CommonRemark = QStringLiteral("earlier");
    EXPECT_EQ(LoadResultsFile(d, Path("n.osl3")), DeviceKindNormal);
    EXPECT_EQ(d.DeviceText, "$$$__unknown__$$$");
    EXPECT_EQ(d.CommonRemark, "earlier");
    EXPECT_EQ(d.FileCount, 0);
}

TEST_F(ResFile, BlanksQuotesAndLineBreaksSurvive)
{
    ResultsData d;
    d.DeviceText = QStringLiteral("  dev  ");
    d.CommonRemark = QStringLiteral("\"quoted\"");
    d.FileCount = 1;
    TResFile &f = d.Files[0];
    f.Remark = QString::fromUtf8("line1\r\nline2\0end", 16);
    AddValue(f, QStringLiteral(" 1.5 "), QString::fromUtf8("mkm\0\0\0\0\0", 8));
    AddValue(f, QStringLiteral("'2'"), QStringLiteral("'mkm"));
    AddValue(f, QStringLiteral("\"3"), QStringLiteral(" x=y ;z"));
    StatisticList(f);
    SaveResultsFile(d, Path("q.osl3"));

    const QByteArray bytes = ReadAll(Path("q.osl3"));
    EXPECT_FALSE(bytes.contains('\0'));
    EXPECT_EQ(bytes.count('\n'), bytes.count("\r\n"));
    EXPECT_EQ(bytes.count('\r'), bytes.count("\r\n"));

    ResultsData back;
    LoadResultsFile(back, Path("q.osl3"));
    EXPECT_EQ(back.DeviceText, "  dev  ");
    EXPECT_EQ(back.CommonRemark, "\"quoted\"");
    const TResFile &b = back.Files[0];
    EXPECT_EQ(b.Remark, "line1  line2 end");
    EXPECT_EQ(b.Values[0].Str, " 1.5 ");
    EXPECT_EQ(b.Values[0].Scale, "mkm     ");
    EXPECT_EQ(b.Values[1].Str, "'2'");
    EXPECT_EQ(b.Values[1].Scale, "'mkm");
    EXPECT_EQ(b.Values[2].Str, "\"3");
    EXPECT_EQ(b.Values[2].Scale, " x=y ;z");
    EXPECT_EQ(b.Scales[0], "mkm     ");
    EXPECT_EQ(b.Scales[2], " x=y ;z");
    // the tree shows what the file holds
    EXPECT_EQ(Flat(back), Flat(d));
}

TEST_F(ResFile, SavingOverALargerFileKeepsItsSurplus)
{
    ResultsData big;
    big.DeviceText = QStringLiteral("Q5-M8 v.1.0.0");
    big.FileCount = 3;
    for (int i = 0; i < 3; ++i) {
        for (int k = 0; k < 5; ++k)
            AddValue(big.Files[size_t(i)], QString::number(k), QStringLiteral("g%1").arg(k));
        StatisticList(big.Files[size_t(i)]);
        big.Files[size_t(i)].Values[0].Count = 1;
    }
    SaveResultsFile(big, Path("s.osl3"));

    ResultsData small;
    small.DeviceText = QStringLiteral("Q5-M8 v.2.0.0");
    small.CommonRemark = QStringLiteral("small");
    std::vector<std::vector<TValue>> read(1);
    read[0] = {TValue{QStringLiteral("9"), QStringLiteral("z"), 0, {}}};
    small.TakeRead(read);
    SaveResultsFile(small, Path("s.osl3"));

    IniFile ini(Path("s.osl3"));
    EXPECT_TRUE(ini.SectionExists(QStringLiteral("File3")));
    EXPECT_TRUE(ini.ValueExists(QStringLiteral("File1"), QStringLiteral("__5_Str")));
    EXPECT_TRUE(ini.ValueExists(QStringLiteral("File1"), QStringLiteral("Scales5")));
    // the stale number of the earlier value 1 stays in the file, unread
    EXPECT_TRUE(ini.ValueExists(QStringLiteral("File1"), QStringLiteral("__1_Value1")));
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("File1"), QStringLiteral("__1_Count"), -1), 0);

    ResultsData back;
    LoadResultsFile(back, Path("s.osl3"));
    EXPECT_EQ(back.FileCount, 1);
    EXPECT_EQ(back.DeviceText, "Q5-M8 v.2.0.0");
    EXPECT_EQ(back.Files[0].ValuesCount, 1);
    EXPECT_EQ(back.Files[0].ScalesCount, 1);
    EXPECT_EQ(back.Files[0].Values[0].Count, 0);
    EXPECT_EQ(Flat(back), Flat(small));
}

TEST_F(ResFile, FailedWriteLeavesTheOldFile)
{
    SaveResultsFile(Sample(), Path("w.osl3"));
    const QByteArray before = ReadAll(Path("w.osl3"));
    ResultsData d = Sample();
    d.CommonRemark = QStringLiteral("changed");
    const QString missing = dir.filePath(QStringLiteral("no/such/dir/w.osl3"));
    EXPECT_THROW(SaveResultsFile(d, missing), EIniFileException);
    try {
        SaveResultsFile(d, missing);
    } catch (const EIniFileException &e) {
        EXPECT_EQ(QString::fromStdString(e.what()), "Unable to write to " + missing);
    }
    EXPECT_EQ(ReadAll(Path("w.osl3")), before);
}

} // namespace
