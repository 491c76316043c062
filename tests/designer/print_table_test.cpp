// The printed table's layout, checked without a printer: an 8 x 11 inch page
// at 600 dpi (4800 x 6600 pixels) with fixed text metrics.
#include "common/numtext.h"
#include "designer/print_table.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <vector>

namespace {

// Every character of a font the same width; one line height per font.
class FixedMetrics : public TablePrintMetrics {
public:
    std::map<TablePrintFont, int> charWidth{
        {TablePrintFont::Header, 60}, {TablePrintFont::Date, 40}, {TablePrintFont::Table, 50}};
    std::map<TablePrintFont, int> lineHeight{
        {TablePrintFont::Header, 130}, {TablePrintFont::Date, 90}, {TablePrintFont::Table, 100}};
    int TextWidth(TablePrintFont font, const QString &text) const override
    {
        return int(text.size()) * charWidth.at(font);
    }
    int TextHeight(TablePrintFont font) const override { return lineHeight.at(font); }
};

const QDateTime When(QDate(2026, 12, 8), QTime(6, 11, 18));

class PrintTableLayout : public ::testing::Test {
protected:
    void SetUp() override { numtext::SetDecimalSeparator(','); }
    void TearDown() override { numtext::SetDecimalSeparator('.'); }

    FixedMetrics metrics;
    std::vector<double> xs, ys;

    TablePrintInput Table(double first, double step, int count)
    {
        xs.clear();
        ys.clear();
        for (int i = 0; i < count; ++i) {
            xs.push_back(first + i * step);
            ys.push_back(2 * (first + i * step));
        }
        TablePrintInput in;
        in.x = xs.data();
        in.y = ys.data();
        in.count = count;
        in.step = step;
        in.decimals = 1;
        in.description = QString::fromUtf8("Термопара ТХА");
        in.xName = "mV";
        in.yName = "C";
        in.when = When;
        return in;
    }
    std::vector<TablePrintPage> Pages(const TablePrintInput &in, int width = 4800, int height = 6600)
    {
        return TablePrintLayout(width, height, 600, 600, metrics).Pages(in);
    }
};

// The value texts of a page (the heads and header left out), in order.
std::vector<const TablePrintText *> Values(const TablePrintPage &page, const TablePrintInput &in)
{
    std::vector<const TablePrintText *> out;
    for (const TablePrintText &t : page.texts)
        if (t.font == TablePrintFont::Table && t.text != in.xName && t.text != in.yName)
            out.push_back(&t);
    return out;
}

TEST_F(PrintTableLayout, MeasuresInMillimetresOfThePrinter)
{
    const TablePrintLayout l(4800, 6600, 600, 600, metrics);
    EXPECT_EQ(l.penWidth, 4);      // trunc(0.2 mm)
    EXPECT_EQ(l.leftMargin, 472);  // trunc(20 mm)
    EXPECT_EQ(l.columnWidth, 818); // trunc((4800 - 472 - 10 mm) / 5)
    EXPECT_EQ(l.halfColumn, 409);
    // A coarse printer still draws with a pen of one pixel.
    EXPECT_EQ(TablePrintLayout(850, 1100, 100, 100, metrics).penWidth, 1);
}

TEST_F(PrintTableLayout, HeaderPlacesDescriptionBarsAndDateLine)
{
    const TablePrintLayout l(4800, 6600, 600, 600, metrics);
    TablePrintInput in = Table(0, 1, 1);
    TablePrintPage page;
    page.number = 3;
    const int below = l.Header(page, in);
    ASSERT_EQ(page.texts.size(), 2u);
    // Needing no split, the description stands on the second line, right-aligned at 10 mm.
    const TablePrintText &desc = page.texts[0];
    EXPECT_EQ(desc.text, in.description);
    EXPECT_EQ(desc.rect.left(), int(4800 - 10 * 600 / 25.4) - 13 * 60);
    EXPECT_EQ(desc.rect.top(), 366); // trunc(10 mm + one line)
    EXPECT_FALSE(desc.centred);
    // Two bars 20 mm from the left to 10 mm from the right, from H = two lines.
    ASSERT_EQ(page.bars.size(), 2u);
    EXPECT_EQ(page.bars[0], QRect(QPoint(472, 519), QPoint(4562, 542)));
    EXPECT_EQ(page.bars[1], QRect(QPoint(472, 555), QPoint(4562, 559)));
    const TablePrintText &date = page.texts[1];
    EXPECT_EQ(date.font, TablePrintFont::Date);
    EXPECT_EQ(date.text, "08.12.2026,  06:11:18,  " + QString::fromUtf8("стр. №3"));
    EXPECT_EQ(date.rect.topLeft(), QPoint(472, 732)); // trunc(H + 20 mm)
    EXPECT_EQ(below, 732 + 135);                      // and one and a half date lines
}

TEST_F(PrintTableLayout, DateLineInBothLanguages)
{
    EXPECT_EQ(TablePrintDateLine(When, 3, true), "08.12.2026,  06:11:18,  page 3");
    EXPECT_EQ(TablePrintDateLine(When, 12, false), QString::fromUtf8("08.12.2026,  06:11:18,  стр. №12"));
    EXPECT_EQ(TablePrintDateLine(QDateTime(QDate(2027, 1, 2), QTime(23, 5, 9)), 1, true),
              "02.01.2027,  23:05:09,  page 1");
}

TEST_F(PrintTableLayout, JobTitle)
{
    EXPECT_EQ(TablePrintTitle("T1", false), QString::fromUtf8("Шкала T1"));
    EXPECT_EQ(TablePrintTitle("T1", true), "Scale T1");
}

TEST_F(PrintTableLayout, FirstRowRoundsTheQuotientAndPlacesNegativeX)
{
    struct Case {
        double x, step;
        int row;
    } cases[] = {
        {1, 1, 1},          {0, 1, 0},        {50, 1, 0},          {149, 1, 49},
        {0.58, 0.01, 8},    // 0.58 / 0.01 = 57.99999999999999
        {0.29, 0.01, 29},   {1.15, 0.05, 23}, {-5, 1, 45},         {-0.58, 0.01, 42},
        {-50, 1, 0},        {-51, 1, 49},     {std::ldexp(1.0, 70), 1, 24}, // 2^70 mod 50, beyond 64 bits
        {1e300, 1e-10, 0},  {5, 0, 0},        {std::nan(""), 1, 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(TablePrintFirstRow(c.x, c.step), c.row) << c.x << " / " << c.step;
}

TEST_F(PrintTableLayout, ValueTextsAsPrinted)
{
    struct Case {
        double x;
        const char *text;
    } xCases[] = {{0.5, "0,5"},    {2.25, "2,25"}, {12.34, "12,3"}, {123.4, "123"},  {-5, "-5"},
                  {-12.34, "-12,3"}, {0.125, "0,125"}, {0, "0"},     {-0.0004, "0"}, {7, "7"},
                  {99.96, "100"},   {-0.5, "-0,5"}};
    for (const Case &c : xCases)
        EXPECT_EQ(TablePrintXText(c.x), QString::fromUtf8(c.text)) << c.x;
    numtext::SetDecimalSeparator('.');
    EXPECT_EQ(TablePrintXText(0.5), "0.5");
    numtext::SetDecimalSeparator(',');
    // The y column is printf's: '.' whatever the separator.
    EXPECT_EQ(TablePrintYText(0.5, 2), "0.50");
    EXPECT_EQ(TablePrintYText(12.25, 1), "12.2");
    EXPECT_EQ(TablePrintYText(7.6, 0), "8");
    EXPECT_EQ(TablePrintYText(-3.14159, 2), "-3.14");
    EXPECT_EQ(TablePrintYText(2.71828, 3), "2.718");
    EXPECT_EQ(TablePrintYText(-0.125, 3), "-0.125");
    EXPECT_EQ(TablePrintYText(7.6, 5), "8"); // no valid selection: no decimals
}

TEST_F(PrintTableLayout, DescriptionSplit)
{
    // 60 pixels a character: the page less 25 mm holds 70 of them, less 30 mm 68.
    const double kx = 600 / 25.4;
    auto split = [&](const QString &s) { return SplitDescription(s, 4800, kx, metrics); };
    const QString fits(70, u'a');
    EXPECT_EQ(split(fits).first, "");
    EXPECT_EQ(split(fits).rest, fits);
    // Wider than the first line may be, narrower than the split limit: one line.
    EXPECT_EQ(split(QString(69, u'b')).first, "");

    // Words: a leading blank goes with the word it stands before.
    QString words;
    for (int i = 0; i < 8; ++i)
        words += QString("word%1    ").arg(i, 5, 10, QChar('0')); // 13 characters each
    words = words.trimmed();
    const HeaderLines two = split(words);
    EXPECT_EQ(two.first, "word00000    word00001    word00002    word00003    word00004");
    EXPECT_EQ(two.first + two.rest, words);
    EXPECT_TRUE(two.rest.startsWith("    word00005"));
    EXPECT_LE(two.first.size() * 60, 4800 - 30 * kx);

    // One word longer than the line breaks between characters.
    const QString word(100, u'w');
    EXPECT_EQ(split(word).first, QString(68, u'w'));
    EXPECT_EQ(split(word).rest, QString(32, u'w'));
    // The second line takes all the rest, however long.
    const HeaderLines longRest = split(word + " " + QString(300, u'x'));
    EXPECT_EQ(longRest.first, QString(68, u'w'));
    EXPECT_EQ(longRest.rest.size(), 32 + 1 + 300);
}

TEST_F(PrintTableLayout, SplitDescriptionPrintsOnTwoLines)
{
    const TablePrintLayout l(4800, 6600, 600, 600, metrics);
    TablePrintInput in = Table(0, 1, 1);
    in.description = QString(100, u'w');
    TablePrintPage page;
    page.number = 1;
    l.Header(page, in);
    ASSERT_EQ(page.texts.size(), 3u);
    EXPECT_EQ(page.texts[0].text, QString(68, u'w'));
    EXPECT_EQ(page.texts[0].rect.topLeft(), QPoint(int(4800 - 10 * 600 / 25.4) - 68 * 60, 236));
    EXPECT_EQ(page.texts[1].text, QString(32, u'w'));
    EXPECT_EQ(page.texts[1].rect.topLeft(), QPoint(int(4800 - 10 * 600 / 25.4) - 32 * 60, 366));
}

TEST_F(PrintTableLayout, PagesOf250And251Rows)
{
    // First x a multiple of 50 steps: row 0 of block 0.
    for (int count : {250, 251, 500, 501}) {
        const TablePrintInput in = Table(100, 1, count);
        const std::vector<TablePrintPage> pages = Pages(in);
        const size_t expected = size_t((count + 249) / 250); // no blank page after a full one
        ASSERT_EQ(pages.size(), expected) << count;
        for (size_t p = 0; p < pages.size(); ++p) {
            EXPECT_EQ(pages[p].number, int(p) + 1);
            EXPECT_EQ(pages[p].blocks.size(), 5u);
            const int onPage = std::min(250, count - int(p) * 250);
            EXPECT_EQ(Values(pages[p], in).size(), size_t(2 * onPage)) << count << " page " << p + 1;
            EXPECT_TRUE(pages[p].texts[1].text.endsWith(QString::fromUtf8("стр. №") + QString::number(p + 1)));
        }
    }
    // The 251st value stands in row 0 of the first block of page 2.
    const TablePrintInput in = Table(100, 1, 251);
    const std::vector<TablePrintPage> pages = Pages(in);
    const auto last = Values(pages[1], in);
    ASSERT_EQ(last.size(), 2u);
    EXPECT_EQ(last[0]->text, "350");
    EXPECT_EQ(last[0]->rect.left(), 472 + 1);
    const auto first = Values(pages[0], in);
    EXPECT_EQ(last[0]->rect.top(), first[0]->rect.top());
}

TEST_F(PrintTableLayout, OneToHundredStartsInRowOne)
{
    const TablePrintInput in = Table(1, 1, 100);
    const TablePrintLayout l(4800, 6600, 600, 600, metrics);
    const std::vector<TablePrintPage> pages = l.Pages(in);
    ASSERT_EQ(pages.size(), 1u);
    const auto v = Values(pages[0], in);
    ASSERT_EQ(v.size(), 200u);
    const int rowHeight = l.RowHeight(867);
    ASSERT_EQ(rowHeight, 108); // (6600 - 867) / 53, below 1.2 x 100
    const int top0 = 867 + 2 * rowHeight + rowHeight / 2; // row 0 of every block
    // x = 1 in row 1 of block 0; 49 values there; x = 50 in row 0 of block 1;
    // x = 100 in row 0 of block 2.
    auto at = [&](int i) { return QPoint(v[2 * i]->rect.left(), v[2 * i]->rect.top()); };
    EXPECT_EQ(v[0]->text, "1");
    EXPECT_EQ(at(0), QPoint(473, top0 + rowHeight + 1));
    EXPECT_EQ(at(48), QPoint(473, top0 + 49 * rowHeight + 1));
    EXPECT_EQ(v[2 * 49]->text, "50");
    EXPECT_EQ(at(49), QPoint(473 + 818, top0 + 1));
    EXPECT_EQ(v[2 * 99]->text, "100");
    EXPECT_EQ(at(99), QPoint(473 + 2 * 818, top0 + 1));
    // The x part of a cell ends half a column short; the y part follows it.
    EXPECT_EQ(v[0]->rect.right(), 472 + 818 - 1 - 409 - 1);
    EXPECT_EQ(v[1]->rect.left(), 472 + 818 - 1 - 409 + 1);
    EXPECT_EQ(v[1]->rect.width(), 409);
    EXPECT_EQ(v[1]->text, "2.0");
    EXPECT_TRUE(v[0]->centred && v[1]->centred);
}

TEST_F(PrintTableLayout, HeadsFramesAndHeadLine)
{
    const TablePrintInput in = Table(0, 1, 3);
    const TablePrintLayout l(4800, 6600, 600, 600, metrics);
    const TablePrintPage page = l.Pages(in).at(0);
    const int rh = 108, y = 867;
    for (int c = 0; c < 5; ++c) {
        EXPECT_EQ(page.blocks[c], QRect(472 + c * 818, y, 818, 53 * rh)) << c;
    }
    int xHeads = 0, yHeads = 0;
    for (const TablePrintText &t : page.texts) {
        if (t.text == "mV") {
            EXPECT_EQ(t.rect.top(), y + 1);
            EXPECT_EQ(t.rect.bottom(), y + 2 * rh - 1);
            ++xHeads;
        }
        yHeads += t.text == "C";
    }
    EXPECT_EQ(xHeads, 5);
    EXPECT_EQ(yHeads, 5);
    ASSERT_EQ(page.lines.size(), 1u);
    EXPECT_EQ(page.lines[0], QLine(472, y + 2 * rh, 472 + 5 * 818, y + 2 * rh));
}

TEST_F(PrintTableLayout, NegativeTableKeepsItsSignsAndRows)
{
    const TablePrintInput in = Table(-5, 1, 11);
    const auto pages = Pages(in);
    const auto v = Values(pages.at(0), in);
    ASSERT_EQ(v.size(), 22u);
    EXPECT_EQ(v[0]->text, "-5");
    EXPECT_EQ(v[10]->text, "0");
    EXPECT_EQ(v[20]->text, "5");
    // -5 is row 45 of its block: five values there, the rest in the next block.
    EXPECT_EQ(v[8]->rect.left(), 473);
    EXPECT_EQ(v[10]->rect.left(), 473 + 818);
}

TEST_F(PrintTableLayout, RowsAlwaysFitThePage)
{
    struct Page {
        const char *name;
        int width, height;
    } sizes[] = {{"A4", 4960, 7016}, {"Letter", 5100, 6600}, {"small", 2480, 3508}};
    for (const Page &size : sizes) {
        for (int tableHeight : {60, 100, 140}) {
            metrics.lineHeight[TablePrintFont::Table] = tableHeight;
            const TablePrintInput in = Table(0, 1, 250);
            const auto pages = Pages(in, size.width, size.height);
            ASSERT_EQ(pages.size(), 1u);
            for (const QRect &block : pages[0].blocks)
                EXPECT_LE(block.bottom(), size.height - 1) << size.name << " " << tableHeight;
            for (const TablePrintText &t : pages[0].texts)
                EXPECT_LE(t.rect.bottom(), size.height - 1) << size.name << " " << tableHeight;
        }
    }
    // Where the page has room, the row height is the font's 1.2 lines.
    metrics.lineHeight[TablePrintFont::Table] = 60;
    EXPECT_EQ(TablePrintLayout(4800, 6600, 600, 600, metrics).RowHeight(867), 72);
}

// The header drawn on an image of a page at 100 dpi (850 x 1100).
TEST_F(PrintTableLayout, PrintHeaderDrawsBarsAndText)
{
    QImage page(850, 1100, QImage::Format_RGB32);
    page.setDotsPerMeterX(3937);
    page.setDotsPerMeterY(3937);
    page.fill(Qt::white);
    TablePrintInput in = Table(0, 1, 1);
    int below = 0;
    {
        QPainter p(&page);
        below = PrintHeader(p, 2, in);
    }
    const DeviceTablePrintMetrics m(&page);
    const int h = 2 * m.TextHeight(TablePrintFont::Header);
    const double k = 100 / 25.4;
    EXPECT_EQ(below, int(h + 20 * k) + 3 * m.TextHeight(TablePrintFont::Date) / 2);
    // The thick bar from 1 mm below the text, 20 mm from the left to 10 mm from the right.
    const int barRow = int(h + 11.5 * k);
    EXPECT_EQ(page.pixel(int(20 * k) + 2, barRow), 0xFF000000u);
    EXPECT_EQ(page.pixel(int(850 - 10 * k) - 2, barRow), 0xFF000000u);
    EXPECT_EQ(page.pixel(int(20 * k) - 3, barRow), 0xFFFFFFFFu);
    EXPECT_EQ(page.pixel(int(850 - 10 * k) + 3, barRow), 0xFFFFFFFFu);
    // Some ink in the description's line, right-aligned: none at the far left.
    int ink = 0, inkLeft = 0;
    for (int y = int(10 * k + h / 2); y < int(10 * k + h); ++y)
        for (int x = 0; x < 850; ++x)
            if (qGray(page.pixel(x, y)) < 128)
                (x < 425 ? inkLeft : ink)++;
    EXPECT_GT(ink, 50);
    EXPECT_EQ(inkLeft, 0);
}

TEST_F(PrintTableLayout, EmptyTableHasNoPage)
{
    TablePrintInput in = Table(0, 1, 0);
    EXPECT_TRUE(Pages(in).empty());
    EXPECT_EQ(TablePrintLayout::PageCount(in), 0);
}

// The count the print dialog offers before any page is laid out: the pages
// the layout gives, on any paper, wherever the first value stands.
TEST_F(PrintTableLayout, PageCountIsThePagesLaidOut)
{
    struct Case {
        double first;
        int count;
        int pages;
    };
    const Case cases[] = {{100, 1, 1},  {100, 250, 1}, {100, 251, 2}, {101, 250, 2}, {149, 201, 1},
                          {149, 202, 2}, {1, 100, 1},  {-5, 11, 1},   {-1, 202, 2},  {0, 600, 3}};
    for (const Case &c : cases) {
        const TablePrintInput in = Table(c.first, 1, c.count);
        EXPECT_EQ(TablePrintLayout::PageCount(in), c.pages) << c.first << " " << c.count;
        EXPECT_EQ(Pages(in).size(), size_t(c.pages)) << c.first << " " << c.count;
        EXPECT_EQ(Pages(in, 2480, 3508).size(), size_t(c.pages)) << c.first << " " << c.count;
    }
}

} // namespace
