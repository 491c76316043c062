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
    EXPECT_FALSE(r.Files[0].SNumeric[1]);

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
    EXPECT_FALSE(back.Files[0].SNumeric[1]);
    EXPECT_TRUE(back.Files[0].SNumeric[0]);
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
    EXPECT_TRUE(oldBack.Files[0].SNumeric[0]);
    EXPECT_EQ(GroupLines(oldBack, 0).at(2), en ? "Minimum value 0,000" : U("Минимальное значение 0,000"));
}

INSTANTIATE_TEST_SUITE_P(Languages, NoNumberGroup, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool> &info) { return info.param ? "English" : "Russian"; });

} // namespace
