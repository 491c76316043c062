// A scale group whose readings are none of them numbers (an overload shows
// dashes) has a count and no minimum, maximum or mean. The tree, the
// results file, the clipboard and the printout all show it the same way:
// the count, and "---" where a number would stand; never a made-up 0.
#include "output_fixture.h"
#include "common/lang.h"
#include "common/numtext.h"
#include "results/clipboardtext.h"
#include "results/printresults.h"
#include "results/resfile.h"
#include "results/restree.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using outfix::U;

namespace {

class FixedMeasurer : public PrintMeasurer {
public:
    QSize Extent(const PrintFont &font, const QString &text) const override
    {
        return QSize(int(text.size()) * font.points * 2, font.points * 4);
    }
};

// One file: group "mkm" with numbers, group "OVL" with none.
ResultsData Sample()
{
    ResultsData r;
    r.DeviceText = "Q5-M8 v.1.2.15";
    r.CommonRemark = "bench";
    r.FileCount = 1;
    outfix::SetValues(r.Files[0], {{"1.5", "mkm"}, {"-----", "OVL"}, {"2.5", "mkm"}, {"--.--", "OVL"}});
    return r;
}

// Whether none of group g's three statistics holds a number (blank ones), or
// all three do.
bool NoNumbers(const TResFile &f, int g)
{
    for (Statistic s : {Statistic::Min, Statistic::Max, Statistic::Mean})
        if (f.StatText(s, g) != QString())
            return false;
    return true;
}
bool AllNumbers(const TResFile &f, int g)
{
    return f.HasNumber(Statistic::Min, g) && f.HasNumber(Statistic::Max, g) && f.HasNumber(Statistic::Mean, g);
}

// Texts under the statistics node of the only file.
QStringList GroupLines(const ResultsData &r, int g)
{
    const std::vector<TreeNode> roots = TreeContent(r);
    const TreeNode &stats = roots.at(1).children.at(1);
    QStringList lines{stats.children.at(size_t(g)).text};
    for (const TreeNode &line : stats.children.at(size_t(g)).children)
        lines << line.text;
    return lines;
}

// The five cells of the printed statistics row that starts with name.
QStringList PrintedRow(const ResultsData &r, const QString &name)
{
    const FixedMeasurer m;
    const ResultsPageLayout layout(PageMetrics{2480, 3508, 300, 300}, m, [] { return QDateTime(); });
    const QStringList texts = layout.LayoutFile(r, 0, -1).pages.at(0).Texts();
    const qsizetype at = texts.indexOf(name);
    return at < 0 ? QStringList() : texts.mid(at, 5);
}

class NoNumberGroup : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        numtext::SetDecimalSeparator('.');
        English = GetParam();
    }
    void TearDown() override { English = false; }
};

TEST_P(NoNumberGroup, ShowsItsCountAndDashesEverywhere)
{
    const ResultsData r = Sample();
    ASSERT_EQ(r.Files[0].ScalesCount, 2);
    EXPECT_EQ(r.Files[0].SCount[1], 2);
    EXPECT_TRUE(NoNumbers(r.Files[0], 1));

    const bool en = GetParam();
    // Tree: the group keeps its four lines.
    EXPECT_EQ(GroupLines(r, 1), (QStringList{"OVL", en ? "Count 2" : U("Измерений 2"),
                                             en ? "Minimum value ---" : U("Минимальное значение ---"),
                                             en ? "Maximum value ---" : U("Максимальное значение ---"),
                                             en ? "Average value ---" : U("Среднее значение ---")}));
    EXPECT_EQ(GroupLines(r, 0).at(2), en ? "Minimum value 1,500" : U("Минимальное значение 1,500"));

    // Clipboard: the group's five lines.
    const auto text = ClipboardText(r, true, 0);
    ASSERT_TRUE(text.has_value());
    const QString block = en ? "    OVL\r\n         Count 2\r\n         Minimum ---\r\n"
                               "         Maximum ---\r\n         Average ---\r\n"
                             : U("    OVL\r\n         Измерений 2\r\n         Минимум ---\r\n"
                                 "         Максимум ---\r\n         Среднее ---\r\n");
    EXPECT_TRUE(text->contains(block)) << text->toStdString();

    // Printout: the row with its count and three dashes.
    EXPECT_EQ(PrintedRow(r, "OVL"), (QStringList{"OVL", "2", "---", "---", "---"}));
    EXPECT_EQ(PrintedRow(r, "mkm"), (QStringList{"mkm", "2", "1,500", "2,500", "2,000"}));
}

TEST_P(NoNumberGroup, FileKeepsNoNumberAndReadsBackTheSame)
{
    const bool en = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("ovl.osl3");
    const ResultsData r = Sample();
    SaveResultsFile(r, path);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    // Empty statistics keys, not a 0.
    EXPECT_TRUE(bytes.contains("Scales2=OVL\r\nSCount2=2\r\nSMin2=\r\nSMax2=\r\nSMx2=\r\n")) << bytes.constData();
    EXPECT_TRUE(bytes.contains("SMin1=1.5\r\n"));

    ResultsData back;
    LoadResultsFile(back, path);
    EXPECT_TRUE(NoNumbers(back.Files[0], 1));
    EXPECT_TRUE(AllNumbers(back.Files[0], 0));
    EXPECT_EQ(GroupLines(back, 1), GroupLines(r, 1));
    EXPECT_EQ(ClipboardText(back, true, 0), ClipboardText(r, true, 0));
    EXPECT_EQ(PrintedRow(back, "OVL"), PrintedRow(r, "OVL"));

    // A file whose statistics keys are missing altogether reads the defaults
    // (0), as any other missing number does.
    ResultsData old;
    old.DeviceText = "D";
    old.FileCount = 1;
    outfix::SetValues(old.Files[0], {{"3", "A"}});
    SaveResultsFile(old, dir.filePath("old.osl3"));
    QFile oldFile(dir.filePath("old.osl3"));
    ASSERT_TRUE(oldFile.open(QIODevice::ReadOnly));
    QByteArray oldBytes = oldFile.readAll();
    oldFile.close();
    oldBytes.replace("SMin1=3\r\n", "");
    ASSERT_TRUE(oldFile.open(QIODevice::WriteOnly | QIODevice::Truncate));
    oldFile.write(oldBytes);
    oldFile.close();
    ResultsData oldBack;
    LoadResultsFile(oldBack, dir.filePath("old.osl3"));
    EXPECT_TRUE(AllNumbers(oldBack.Files[0], 0));
    EXPECT_EQ(GroupLines(oldBack, 0).at(2), en ? "Minimum value 0,000" : U("Минимальное значение 0,000"));
}

// A results file edited by hand: one blank key hides nothing but itself, and
// a count beyond the values is shown as it stands, in all three outputs.
TEST_P(NoNumberGroup, OneKeyWithoutANumberShowsDashesAlone)
{
    const bool en = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("hand.osl3");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[OstrelData]\r\nDevice=D\r\nRemark=R\r\nFilesCount=1\r\n[File1]\r\nValuesCount=1\r\n"
                   "ScalesCount=2\r\nScales1=mkm\r\nSCount1=500\r\nSMin1=\r\nSMax1=5\r\nSMx1=3\r\n"
                   "Scales2=OVL\r\nSCount2=-2147483648\r\nSMin2=0.5\r\nSMax2=x\r\nSMx2=1E999\r\n"
                   "__1_Str=5\r\n__1_Count=0\r\n__1_Scale=mkm\r\n");
    }
    ResultsData r;
    LoadResultsFile(r, path);
    EXPECT_EQ(GroupLines(r, 0), (QStringList{"mkm", en ? "Count 500" : U("Измерений 500"),
                                             en ? "Minimum value ---" : U("Минимальное значение ---"),
                                             en ? "Maximum value 5,000" : U("Максимальное значение 5,000"),
                                             en ? "Average value 3,000" : U("Среднее значение 3,000")}));
    EXPECT_EQ(GroupLines(r, 1).mid(0, 3), (QStringList{"OVL", en ? "Count -2147483648" : U("Измерений -2147483648"),
                                                       en ? "Minimum value 0,500" : U("Минимальное значение 0,500")}));

    const auto text = ClipboardText(r, true, 0);
    ASSERT_TRUE(text.has_value());
    const QString block = en ? "    mkm\r\n         Count 500\r\n         Minimum ---\r\n"
                               "         Maximum 5,000\r\n         Average 3,000\r\n"
                               "    OVL\r\n         Count -2147483648\r\n         Minimum 0,500\r\n"
                               "         Maximum ---\r\n         Average ---\r\n"
                             : U("    mkm\r\n         Измерений 500\r\n         Минимум ---\r\n"
                                 "         Максимум 5,000\r\n         Среднее 3,000\r\n"
                                 "    OVL\r\n         Измерений -2147483648\r\n         Минимум 0,500\r\n"
                                 "         Максимум ---\r\n         Среднее ---\r\n");
    EXPECT_TRUE(text->contains(block)) << text->toStdString();
    // The value list stops at the values, whatever the count says.
    EXPECT_TRUE(text->endsWith("Среднее ---\r\n5\r\n") || text->endsWith("Average ---\r\n5\r\n"))
        << text->toStdString();

    EXPECT_EQ(PrintedRow(r, "mkm"), (QStringList{"mkm", "500", "---", "5,000", "3,000"}));
    EXPECT_EQ(PrintedRow(r, "OVL"), (QStringList{"OVL", "-2147483648", "0,500", "---", "---"}));
}

INSTANTIATE_TEST_SUITE_P(Languages, NoNumberGroup, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool> &info) { return info.param ? "English" : "Russian"; });

} // namespace
