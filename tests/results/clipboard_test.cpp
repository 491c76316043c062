// The results as clipboard text: the exact bytes of one file and of all files,
// in both languages, and the text on the system clipboard.
#include "output_fixture.h"
#include "common/lang.h"
#include "common/numtext.h"
#include "common/win1251.h"
#include "results/clipboardtext.h"

#include <QClipboard>
#include <QGuiApplication>
#include <gtest/gtest.h>

using outfix::U;

namespace {

class ClipboardText : public ::testing::Test {
protected:
    void SetUp() override
    {
        numtext::SetDecimalSeparator('.');
        English = true;
    }
    void TearDown() override { English = false; }
};

const char *const AllEnglish =
    "Q5-M8 №17\r\n"
    "Цех 2\r\n"
    "File 1\r\n"
    "Results count 3\r\n"
    "Statistics\r\n"
    "    ШКАЛА1\r\n"
    "         Count 2\r\n"
    "         Minimum 1,234\r\n"
    "         Maximum 2,500\r\n"
    "         Average 1,867\r\n"
    "    U2\r\n"
    "         Count 1\r\n"
    "         Minimum -0,500\r\n"
    "         Maximum -0,500\r\n"
    "         Average -0,500\r\n"
    "1.234\r\n"
    "2.5\r\n"
    "-0.5\r\n"
    "\f\r\n"
    "Q5-M8 №17\r\n"
    "Цех 2\r\n"
    "File 2\r\n"
    "Партия А\r\n"
    "Results count 1\r\n"
    "Statistics\r\n"
    "    P\r\n"
    "         Count 1\r\n"
    "         Minimum 10,00\r\n"
    "         Maximum 10,00\r\n"
    "         Average 10,00\r\n"
    "10\r\n"
    "\f\r\n"
    "Q5-M8 №17\r\n"
    "Цех 2\r\n"
    "File 5\r\n"
    "Results count 3\r\n"
    "Statistics\r\n"
    "    Q\r\n"
    "         Count 3\r\n"
    "         Minimum 0,002\r\n"
    "         Maximum 7,000\r\n"
    "         Average 3,501\r\n"
    "0.002\r\n"
    "-----\r\n"
    "7\r\n"
    "\f\r\n";

const char *const FileTwoRussian =
    "Q5-M8 №17\r\n"
    "Цех 2\r\n"
    "Файл 2\r\n"
    "Партия А\r\n"
    "Результатов 1\r\n"
    "Статистика\r\n"
    "    P\r\n"
    "         Измерений 1\r\n"
    "         Минимум 10,00\r\n"
    "         Максимум 10,00\r\n"
    "         Среднее 10,00\r\n"
    "10\r\n";

// The bytes as they would stand in Windows-1251, every character kept.
QByteArray Bytes(const QString &text)
{
    bool ok = false;
    QByteArray bytes = cp1251::Encode(text, &ok);
    EXPECT_TRUE(ok) << "a character outside Windows-1251";
    return bytes;
}

TEST_F(ClipboardText, AllFilesOfARead)
{
    const ResultsData r = outfix::NinetyNine();
    // A root copies everything (its data is 0, like a file node's).
    const auto text = ::ClipboardText(r, true, 0);
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(Bytes(*text), Bytes(U(AllEnglish)));
    // File 5 is not the last of the 99: its block too ends in a form feed.
    EXPECT_TRUE(text->endsWith(QStringLiteral("7\r\n\f\r\n")));
}

TEST_F(ClipboardText, AllFilesInRussian)
{
    English = false;
    const ResultsData r = outfix::NinetyNine();
    const auto text = ::ClipboardText(r, true, 0);
    ASSERT_TRUE(text.has_value());
    // The Russian labels throughout, the same layout as the English text.
    QString expected = U(AllEnglish);
    const std::pair<const char *, const char *> labels[] = {
        {"File ", "Файл "},
        {"Results count ", "Результатов "},
        {"Statistics", "Статистика"},
        {"         Count ", "         Измерений "},
        {"         Minimum ", "         Минимум "},
        {"         Maximum ", "         Максимум "},
        {"         Average ", "         Среднее "},
    };
    for (const auto &[en, ru] : labels)
        expected.replace(U(en), U(ru));
    EXPECT_EQ(Bytes(*text), Bytes(expected));
    // And one block written out, so the replacements above cannot hide a fault.
    const int start = text->indexOf(U("Q5-M8 №17\r\nЦех 2\r\nФайл 2"));
    ASSERT_GE(start, 0);
    EXPECT_EQ(text->mid(start, U(FileTwoRussian).size()), U(FileTwoRussian));
}

TEST_F(ClipboardText, OneFileFromAnyOfItsNodes)
{
    English = false;
    const ResultsData r = outfix::NinetyNine();
    // Remark, count and statistics nodes, a group node and its lines: all
    // decode to file 2 and copy it whole, without a form feed.
    for (int data : {NodeData(1), NodeData(1, 0)}) {
        const auto text = ::ClipboardText(r, false, data);
        ASSERT_TRUE(text.has_value()) << data;
        EXPECT_EQ(Bytes(*text), Bytes(U(FileTwoRussian))) << data;
    }
}

TEST_F(ClipboardText, SingleLoadedFileHasNoFileLineNorFormFeed)
{
    ResultsData r;
    r.DeviceText = "Q5-M8";
    r.CommonRemark = "";
    r.FileCount = 1;
    outfix::SetValues(r.Files[0], {{"3.5", "A"}, {"4.5", "A"}});
    const char *expected =
        "Q5-M8\r\n"
        "\r\n"
        "Results count 2\r\n"
        "Statistics\r\n"
        "    A\r\n"
        "         Count 2\r\n"
        "         Minimum 3,500\r\n"
        "         Maximum 4,500\r\n"
        "         Average 4,000\r\n"
        "3.5\r\n"
        "4.5\r\n";
    EXPECT_EQ(::ClipboardText(r, true, 0), U(expected));
    EXPECT_EQ(::ClipboardText(r, false, NodeData(0)), U(expected));
}

TEST_F(ClipboardText, NothingForFileNodesEmptyForAFileWithoutValues)
{
    const ResultsData r = outfix::NinetyNine();
    EXPECT_FALSE(::ClipboardText(r, false, 0).has_value());
    // File 3 has a remark node but no values.
    EXPECT_EQ(::ClipboardText(r, false, NodeData(2)), QString());
    ResultsData none;
    EXPECT_EQ(::ClipboardText(none, true, 0), QString());
}

TEST_F(ClipboardText, NulAndLineBreaksBecomeBlanks)
{
    ResultsData r;
    r.DeviceText = QString("Dev") + QChar(u'\0') + "X";
    r.FileCount = 1;
    TResFile &f = r.Files[0];
    f.ValuesCount = 1;
    f.Values[0].Str = QString("1.5") + QChar(u'\0') + "9\r\n";
    f.Values[0].Scale = "S";
    f.ScalesCount = 1;
    f.Scales[0] = QString("S") + QChar(u'\0') + "T";
    f.SCount[0] = 1;
    f.SMin[0] = f.SMax[0] = f.SMx[0] = 1.5;
    const auto text = ::ClipboardText(r, true, 0);
    ASSERT_TRUE(text.has_value());
    EXPECT_FALSE(text->contains(QChar(u'\0')));
    EXPECT_TRUE(text->startsWith("Dev X\r\n"));
    EXPECT_TRUE(text->contains("\r\n    S T\r\n"));
    // Nor does a line break inside a value split its line.
    EXPECT_TRUE(text->endsWith("\r\n1.5 9  \r\n"));
}

TEST_F(ClipboardText, KeepsToTheWindows1251Repertoire)
{
    ResultsData r;
    r.FileCount = 1;
    r.CommonRemark = U("Проверено ✓ €5");
    outfix::SetValues(r.Files[0], {{"1", U("Ёж")}});
    const auto text = ::ClipboardText(r, true, 0);
    ASSERT_TRUE(text.has_value());
    EXPECT_TRUE(text->startsWith(U("\r\nПроверено ? €5\r\n"))) << text->toStdString();
    EXPECT_TRUE(text->contains(U("    Ёж\r\n")));
}

TEST_F(ClipboardText, GroupWithoutNumbersShowsDashes)
{
    ResultsData r;
    r.FileCount = 1;
    outfix::SetValues(r.Files[0], {{"-----", "OVL"}});
    const auto text = ::ClipboardText(r, true, 0);
    ASSERT_TRUE(text.has_value());
    EXPECT_TRUE(text->contains("         Count 1\r\n         Minimum ---\r\n         Maximum ---\r\n"
                               "         Average ---\r\n"))
        << text->toStdString();
}

TEST_F(ClipboardText, CopyReplacesTheSystemClipboardAsPlainText)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->setText("before");
    const ResultsData r = outfix::NinetyNine();
    // A file node copies nothing and leaves the clipboard alone.
    EXPECT_FALSE(CopyResultsToClipboard(r, false, 0));
    EXPECT_EQ(clipboard->text(), "before");
    EXPECT_TRUE(CopyResultsToClipboard(r, true, 0));
    EXPECT_EQ(clipboard->text(), U(AllEnglish));
    // Copying a file without values empties it.
    EXPECT_TRUE(CopyResultsToClipboard(r, false, NodeData(2)));
    EXPECT_EQ(clipboard->text(), QString());
}

} // namespace
