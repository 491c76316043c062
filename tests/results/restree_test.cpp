#include "results/restree.h"
#include "common/lang.h"
#include "common/numtext.h"
#include "tests/support/recording_dialogs.h"
#include <gtest/gtest.h>

namespace {

void Flatten(const std::vector<TreeNode> &nodes, int depth, QStringList &out)
{
    for (const TreeNode &n : nodes) {
        out << QStringLiteral("%1|%2|%3").arg(QString(depth * 2, u' '), n.text).arg(n.data);
        Flatten(n.children, depth + 1, out);
    }
}

QStringList Flat(const ResultsData &data)
{
    QStringList out;
    Flatten(TreeContent(data), 0, out);
    return out;
}

QStringList Lines(const char *text) { return QString::fromUtf8(text).split(u'\n'); }

class ResTreeContent : public ::testing::Test {
protected:
    void SetUp() override
    {
        numtext::SetDecimalSeparator('.');
        English = false;
    }
    void TearDown() override { English = false; }
};

void Fill(TResFile &f, std::initializer_list<std::pair<const char *, const char *>> values)
{
    for (const auto &[str, scale] : values) {
        f.Values[f.ValuesCount].Str = QString::fromUtf8(str);
        f.Values[f.ValuesCount].Scale = QString::fromUtf8(scale);
        ++f.ValuesCount;
    }
    StatisticList(f);
}

ResultsData OneFile()
{
    ResultsData d;
    d.DeviceText = QStringLiteral("Q5-M8 v.1.2.15");
    d.CommonRemark = QString::fromUtf8("Результаты измерений");
    d.FileCount = 1;
    d.Files[0].Remark = QStringLiteral("shaft");
    Fill(d.Files[0], {{"1.5", "mkm"}, {"-----", "deg"}, {"2.5", "mkm"}});
    return d;
}

TEST_F(ResTreeContent, RussianPlural)
{
    struct Case {
        int n;
        const char *text;
    };
    const Case cases[] = {
        {1, "1 результат"},    {21, "21 результат"},    {101, "101 результат"},
        {2, "2 результата"},   {22, "22 результата"},   {122, "122 результата"},
        {4, "4 результата"},   {5, "5 результатов"},    {11, "11 результатов"},
        {12, "12 результатов"}, {14, "14 результатов"}, {20, "20 результатов"},
        {25, "25 результатов"}, {100, "100 результатов"}, {111, "111 результатов"},
        {112, "112 результатов"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ResultCountText(c.n), QString::fromUtf8(c.text)) << c.n;
    English = true;
    EXPECT_EQ(ResultCountText(1), "1 result");
    EXPECT_EQ(ResultCountText(21), "21 results");
    EXPECT_EQ(ResultCountText(2), "2 results");
}

TEST_F(ResTreeContent, OneFileHangsUnderTheRemarkRoot)
{
    const ResultsData d = OneFile();
    EXPECT_EQ(Flat(d), Lines("|Q5-M8 v.1.2.15|0\n"
                             "|Результаты измерений|0\n"
                             "  |shaft|1\n"
                             "  |3 результата|1\n"
                             "  |Статистика|1\n"
                             "    |mkm|101\n"
                             "      |Измерений 2|101\n"
                             "      |Минимальное значение 1,500|101\n"
                             "      |Максимальное значение 2,500|101\n"
                             "      |Среднее значение 2,000|101\n"
                             "    |deg|201\n"
                             "      |Измерений 1|201\n"
                             "      |Минимальное значение ---|201\n"
                             "      |Максимальное значение ---|201\n"
                             "      |Среднее значение ---|201"));
    English = true;
    EXPECT_EQ(Flat(d), Lines("|Q5-M8 v.1.2.15|0\n"
                             "|Результаты измерений|0\n"
                             "  |shaft|1\n"
                             "  |3 results|1\n"
                             "  |Statistics|1\n"
                             "    |mkm|101\n"
                             "      |Count 2|101\n"
                             "      |Minimum value 1,500|101\n"
                             "      |Maximum value 2,500|101\n"
                             "      |Average value 2,000|101\n"
                             "    |deg|201\n"
                             "      |Count 1|201\n"
                             "      |Minimum value ---|201\n"
                             "      |Maximum value ---|201\n"
                             "      |Average value ---|201"));
}

TEST_F(ResTreeContent, NinetyNineFilesGetFileNodes)
{
    ResultsData d;
    d.DeviceText = QStringLiteral("dev");
    d.CommonRemark = QStringLiteral("all");
    std::vector<std::vector<TValue>> read(ResultFileCount);
    read[0] = {TValue{QStringLiteral("1"), QStringLiteral("a"), 0, {}}};
    read[98] = {TValue{QStringLiteral("7"), QStringLiteral("b"), 0, {}},
                TValue{QStringLiteral("9"), QStringLiteral("b"), 0, {}}};
    d.TakeRead(read);
    d.Files[50].Remark = QStringLiteral("empty but commented");
    d.Files[50].ScalesCount = 3; // stored groups of a file without values are not shown

    const auto roots = TreeContent(d);
    ASSERT_EQ(roots.size(), 2u);
    ASSERT_EQ(roots[1].children.size(), size_t(ResultFileCount));
    for (int i = 0; i < ResultFileCount; ++i) {
        EXPECT_EQ(roots[1].children[size_t(i)].text, QString::fromUtf8("Файл ") + QString::number(i + 1));
        EXPECT_EQ(roots[1].children[size_t(i)].data, 0);
    }
    QStringList flat;
    Flatten(roots[1].children[98].children, 0, flat);
    EXPECT_EQ(flat, Lines("|2 результата|99\n"
                          "|Статистика|99\n"
                          "  |b|199\n"
                          "    |Измерений 2|199\n"
                          "    |Минимальное значение 7,000|199\n"
                          "    |Максимальное значение 9,000|199\n"
                          "    |Среднее значение 8,000|199"));
    EXPECT_TRUE(roots[1].children[1].children.empty());
    ASSERT_EQ(roots[1].children[50].children.size(), 1u);
    EXPECT_EQ(roots[1].children[50].children[0].text, "empty but commented");
    EXPECT_EQ(roots[1].children[50].children[0].data, 51);
    English = true;
    EXPECT_EQ(TreeContent(d)[1].children[98].text, "File 99");
}

TEST_F(ResTreeContent, NoFilesShowJustTheRoots)
{
    ResultsData d;
    d.DeviceText = QStringLiteral("$$$__unknown__$$$");
    EXPECT_EQ(Flat(d), Lines("|$$$__unknown__$$$|0\n||0"));
}

TEST_F(ResTreeContent, ValueListOfAFileAndOfAGroup)
{
    const ResultsData d = OneFile();
    EXPECT_EQ(ValueLines(d, NodeData(0)), Lines("  1.  1.5  mkm\n  2.  -----  deg\n  3.  2.5  mkm"));
    EXPECT_EQ(ValueLines(d, NodeData(0, 0)), Lines("  1.  1.5  mkm\n  2.  2.5  mkm"));
    EXPECT_EQ(ValueLines(d, NodeData(0, 1)), Lines("  1.  -----  deg"));
    EXPECT_TRUE(ValueLines(d, 0).isEmpty());
    EXPECT_TRUE(ValueLines(d, NodeData(1)).isEmpty());     // beyond FileCount
    EXPECT_TRUE(ValueLines(d, NodeData(0, 5)).isEmpty());  // beyond ScalesCount
}

TEST_F(ResTreeContent, TextsAreSingleLines)
{
    ResultsData d;
    d.DeviceText = QStringLiteral("a\nb");
    d.CommonRemark = QStringLiteral("c\r\nd");
    d.FileCount = 1;
    Fill(d.Files[0], {{"1", "mkm"}});
    d.Files[0].Values[0].Scale = QString::fromUtf8("mkm\0\0", 5);
    d.Files[0].Scales[0] = d.Files[0].Values[0].Scale;
    const auto roots = TreeContent(d);
    EXPECT_EQ(roots[0].text, "a b");
    EXPECT_EQ(roots[1].text, "c  d");
    EXPECT_EQ(roots[1].children[1].children[0].text, "mkm  ");
    EXPECT_EQ(ValueLines(d, NodeData(0)), QStringList{QStringLiteral("  1.  1  mkm  ")});
}

} // namespace
