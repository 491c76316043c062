// The printed results: the page layout checked as numbers (a fixed-width
// measurer), and whole prints to PDF read back with the poppler tools.
#include "output_fixture.h"
#include "common/lang.h"
#include "common/numtext.h"
#include "results/printresults.h"
#include "tests/support/pdf_pages.h"
#include "tests/support/recording_dialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPageRanges>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using outfix::U;

namespace {

// Every character one cell of 3/5 of the font's pixel height; a line 9/8 of it.
class CellMeasurer : public PrintMeasurer {
public:
    explicit CellMeasurer(int dpiY) : dpiY_(dpiY) {}
    QSize Extent(const PrintFont &font, const QString &text) const override
    {
        const int px = MakePrintFont(font, dpiY_).pixelSize();
        return QSize(int(text.size()) * px * 3 / 5, px + px / 8);
    }

private:
    int dpiY_;
};

const QDateTime Fixed(QDate(2026, 3, 5), QTime(7, 8, 9));
const PageMetrics A4At300{2480, 3508, 300, 300};

class PrintLayout : public ::testing::Test {
protected:
    void SetUp() override
    {
        numtext::SetDecimalSeparator('.');
        English = true;
    }
    void TearDown() override { English = false; }

    FileLayout Lay(const ResultsData &r, int file, int group = -1, PageMetrics page = A4At300)
    {
        const CellMeasurer m(page.dpiY);
        const ResultsPageLayout layout(page, m, [] { return Fixed; });
        return layout.LayoutFile(r, file, group);
    }
};

const PrintOp *FindText(const PrintPage &page, const QString &text)
{
    for (const PrintOp &op : page.ops)
        if ((op.kind == PrintOp::Text || op.kind == PrintOp::CellText) && op.text == text)
            return &op;
    return nullptr;
}

// The value lines of a page (the texts in the list's monospaced font).
std::vector<const PrintOp *> ListLines(const PrintPage &page)
{
    std::vector<const PrintOp *> lines;
    for (const PrintOp &op : page.ops)
        if (op.kind == PrintOp::Text && op.font.face == PrintFace::Mono)
            lines.push_back(&op);
    return lines;
}

// n values in scale groups "S0".."S<groups-1>", round robin.
ResultsData Many(int n, int groups = 1, const QString &scalePrefix = "S")
{
    ResultsData r;
    r.DeviceText = "Q5-M8";
    r.FileCount = 1;
    TResFile &f = r.Files[0];
    f.ValuesCount = n;
    for (int k = 0; k < n; ++k) {
        f.Values[k].Str = QString::number(k % 9 + 1) + ".25";
        f.Values[k].Scale = scalePrefix + QString::number(k % groups);
    }
    StatisticList(f);
    return r;
}

TEST_F(PrintLayout, GeometryPerAxisInWholePixels)
{
    const CellMeasurer m(300);
    const ResultsPageLayout a4({2480, 3508, 300, 300}, m);
    EXPECT_EQ(a4.Left(), 236);    // 20 mm at 300 dpi: 236.2
    EXPECT_EQ(a4.Width(), 2480 - 236 - 118);
    EXPECT_EQ(a4.Top(), 177);     // 15 mm: 177.2
    EXPECT_EQ(a4.Bottom(), 3508 - 118);
    // A device finer across than down converts each axis with its own factor.
    const ResultsPageLayout wide({4960, 3508, 600, 300}, m);
    EXPECT_EQ(wide.Left(), 472);
    EXPECT_EQ(wide.Width(), 4960 - 472 - 236);
    EXPECT_EQ(wide.Top(), 177);
    EXPECT_EQ(wide.MmX(0.2), 4);
    EXPECT_EQ(wide.MmY(0.2), 2);
}

TEST_F(PrintLayout, HeaderDateTitleInBothLanguages)
{
    EXPECT_EQ(PrintDateText(Fixed), "07:08, 05.03.2026");
    EXPECT_EQ(PrintDateText(QDateTime(QDate(1999, 12, 31), QTime(23, 59))), "23:59, 31.12.1999");

    ResultsData r = outfix::NinetyNine();
    const FileLayout f5 = Lay(r, 4);
    ASSERT_EQ(f5.pages.size(), 1u);
    const PrintPage &page = f5.pages[0];
    const QStringList texts = page.Texts();
    ASSERT_GE(texts.size(), 3);
    EXPECT_EQ(texts[0], U("Q5-M8 №17 - Цех 2"));
    EXPECT_EQ(texts[1], "07:08, 05.03.2026");
    EXPECT_EQ(texts[2], "File 5");
    // The date ends at the right edge of the printable width.
    const PrintOp *date = FindText(page, "07:08, 05.03.2026");
    ASSERT_NE(date, nullptr);
    const CellMeasurer m(300);
    EXPECT_EQ(date->rect.left() + m.Extent(date->font, date->text).width(), 236 + 2126);
    EXPECT_TRUE(date->font.italic);
    EXPECT_EQ(date->font.face, PrintFace::Serif);
    // Two black rules across the width below the date.
    int rules = 0;
    for (const PrintOp &op : page.ops)
        if (op.kind == PrintOp::Fill) {
            ++rules;
            EXPECT_EQ(op.rect.left(), 236);
            EXPECT_EQ(op.rect.right() + 1, 236 + 2126);
        }
    EXPECT_EQ(rules, 2);

    // The title: the remark, else the file's number; with one file the remark
    // alone, even when empty. The device line without empty parts.
    struct Case {
        int fileCount;
        const char *remark, *device, *common;
        bool english;
        const char *title, *deviceLine;
    };
    const Case cases[] = {
        {99, "", "D", "R", true, "File 3", "D - R"},
        {99, "", "D", "", false, "Файл 3", "D"},
        {99, "Партия", "", "R", true, "Партия", "R"},
        {1, "", "D", "R", true, "", "D - R"},
        {1, "Rem", "D", "R", false, "Rem", "D - R"},
    };
    for (const Case &c : cases) {
        ResultsData d;
        d.FileCount = c.fileCount;
        d.DeviceText = U(c.device);
        d.CommonRemark = U(c.common);
        const int file = c.fileCount > 1 ? 2 : 0;
        d.Files[file].Remark = U(c.remark);
        outfix::SetValues(d.Files[file], {{"1", "A"}});
        English = c.english;
        const QStringList t = Lay(d, file).pages.at(0).Texts();
        EXPECT_EQ(t.at(0), U(c.deviceLine)) << c.title;
        EXPECT_EQ(t.at(2), U(c.title)) << c.title;
        EXPECT_EQ(t.at(3), U(c.english ? "Statistics" : "Статистика"));
    }
}

TEST_F(PrintLayout, StatisticsTableWholeFileAndOneGroup)
{
    const ResultsData r = outfix::NinetyNine();
    const FileLayout whole = Lay(r, 0);
    const QStringList t = whole.pages.at(0).Texts();
    const QStringList table = t.mid(3, 15);
    EXPECT_EQ(table, QStringList({"Statistics", "Count", "Minimum", "Maximum", "Average",
                                  U("ШКАЛА1"), "2", "1,234", "2,500", "1,867",
                                  "U2", "1", "-0,500", "-0,500", "-0,500"}));
    // Five cells of W div 5 sharing their borders, rows 1.5 lines of "0" apart.
    std::vector<QRect> frames;
    for (const PrintOp &op : whole.pages[0].ops)
        if (op.kind == PrintOp::Frame)
            frames.push_back(op.rect);
    ASSERT_EQ(frames.size(), 15u);
    const int d = 2126 / 5, rowH = int(1.5 * (42 + 42 / 8));
    EXPECT_EQ(frames[0].left(), 236);
    EXPECT_EQ(frames[0].width(), d + 1);
    EXPECT_EQ(frames[1].left(), 236 + d);
    EXPECT_EQ(frames[0].height(), rowH);
    EXPECT_EQ(frames[5].top(), frames[0].top() + rowH);
    EXPECT_EQ(frames[10].top(), frames[0].top() + 2 * rowH);

    // One group: the head and that group's row only.
    const FileLayout one = Lay(r, 0, 1);
    const QStringList g = one.pages.at(0).Texts();
    EXPECT_EQ(g.mid(3, 11), QStringList({"Statistics", "Count", "Minimum", "Maximum", "Average", "U2", "1",
                                         "-0,500", "-0,500", "-0,500", "Measure:"}));
    English = false;
    EXPECT_EQ(Lay(r, 0).pages.at(0).Texts().mid(3, 5),
              QStringList({U("Статистика"), U("Измерений"), U("Минимум"), U("Максимум"), U("Среднее")}));
}

TEST_F(PrintLayout, ShortListOneColumnAtTwelvePoints)
{
    const ResultsData r = outfix::NinetyNine();
    const FileLayout f = Lay(r, 0);
    EXPECT_EQ(f.valuePoints, 12);
    EXPECT_EQ(f.columns, 1);
    EXPECT_EQ(f.rows, 3);
    const auto lines = ListLines(f.pages[0]);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0]->text, U("1     ШКАЛА1     1.234"));
    EXPECT_EQ(lines[2]->text, "3     U2     -0.5");
    EXPECT_EQ(lines[1]->rect.top() - lines[0]->rect.top(), f.lineHeight);
    EXPECT_EQ(f.lineHeight, int((50 + 50 / 8) * 1.2));
    for (const PrintOp *op : lines)
        EXPECT_EQ(op->rect.left(), 236);
    // The heading is underlined across the width.
    const PrintOp *heading = FindText(f.pages[0], "Measure:");
    ASSERT_NE(heading, nullptr);
    EXPECT_EQ(f.listTop, heading->rect.top() + 118);
}

TEST_F(PrintLayout, LongListsTakeTwoColumnsAndSmallerFonts)
{
    for (int n : {100, 99}) {
        const ResultsData r = Many(n, 3);
        const FileLayout f = Lay(r, 0);
        EXPECT_EQ(f.columns, 2) << n;
        EXPECT_EQ(f.rows, 50) << n;
        // Lowered until the first column fits the room below the heading.
        const int room = 3390 - f.listTop;
        EXPECT_LT(f.valuePoints, 12);
        EXPECT_GT(f.valuePoints, 4);
        const CellMeasurer m(300);
        const auto height = [&](int points) { return m.Extent({PrintFace::Mono, points, false}, "x").height(); };
        EXPECT_LE(height(f.valuePoints) * 50 * 1.2, room) << n;
        EXPECT_GT(height(f.valuePoints + 1) * 50 * 1.2, room) << n;
        const auto lines = ListLines(f.pages.at(0));
        ASSERT_EQ(int(lines.size()), n);
        EXPECT_EQ(lines[49]->rect.left(), 236);
        EXPECT_EQ(lines[50]->rect.left(), 236 + 2126 / 2);
        EXPECT_EQ(lines[50]->rect.top(), lines[0]->rect.top());
        EXPECT_EQ(lines[50]->text, "51     S2     6.25");
        EXPECT_EQ(f.pages.size(), 1u);
    }
}

TEST_F(PrintLayout, WideLinesLowerTheFontToTheColumnWidthNotBelowFour)
{
    struct Case {
        int scaleChars;
        int points;  // expected
    };
    // One column 2126 - 23 pixels wide; a cell is 3/5 of the pixel size.
    // "1" + 5 + tab + name and its group digit + 5 + "1.25": 17 characters
    // besides the scale's letters.
    const Case cases[] = {{40, 12}, {60, 10}, {80, 8}, {100, 7}, {400, 4}};
    for (const Case &c : cases) {
        ResultsData r = Many(1, 1, QString(c.scaleChars, u'W'));
        const FileLayout f = Lay(r, 0);
        EXPECT_EQ(f.columns, 1);
        EXPECT_EQ(f.valuePoints, c.points) << c.scaleChars;
    }
}

TEST_F(PrintLayout, OneGroupNumbersItsOwnLines)
{
    const ResultsData r = Many(9, 3);
    const FileLayout f = Lay(r, 0, 1);
    const auto lines = ListLines(f.pages.at(0));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0]->text, "1     S1     2.25");
    EXPECT_EQ(lines[1]->text, "2     S1     5.25");
    EXPECT_EQ(lines[2]->text, "3     S1     8.25");
    EXPECT_EQ(lines[1]->rect.top() - lines[0]->rect.top(), f.lineHeight);
}

TEST_F(PrintLayout, ListThatDoesNotFitRunsOnUnderTheSameHeader)
{
    // 100 lines on a 100 x 90 mm page: even 4 points leave them too long.
    ResultsData r = Many(100, 2, QString(7, u'L'));
    r.CommonRemark = "Rem";
    const PageMetrics small{1181, 1063, 300, 300};
    const FileLayout f = Lay(r, 0, -1, small);
    EXPECT_EQ(f.valuePoints, 4);
    EXPECT_EQ(f.columns, 2);
    ASSERT_GE(f.pages.size(), 2u);
    const CellMeasurer m(300);
    const ResultsPageLayout geometry(small, m);
    QStringList all;
    for (size_t p = 0; p < f.pages.size(); ++p) {
        const PrintPage &page = f.pages[p];
        EXPECT_EQ(page.file, 0);
        const QStringList t = page.Texts();
        EXPECT_EQ(t.at(0), "Q5-M8 - Rem") << p;
        EXPECT_EQ(t.at(1), "07:08, 05.03.2026") << p;
        EXPECT_NE(FindText(page, "Measure:"), nullptr) << p;
        for (const PrintOp *op : ListLines(page)) {
            if (op->text.contains(u'L')) {
                all.append(op->text);
                EXPECT_LE(op->rect.top() + f.lineHeight, geometry.Bottom()) << op->text.toStdString();
            }
        }
    }
    // Every line once, in order, numbered on.
    ASSERT_EQ(all.size(), 100);
    for (int k = 0; k < 100; ++k)
        EXPECT_TRUE(all[k].startsWith(QString::number(k + 1) + "     ")) << all[k].toStdString();
    // The second page carries no statistics table of its own.
    EXPECT_EQ(FindText(f.pages[1], "Statistics"), nullptr);
}

TEST_F(PrintLayout, LinesTooWideForTwoColumnsTakeOneAndRunOn)
{
    // At 4 points a 49-character line needs 499 pixels; half of this page
    // leaves 390 for a column, the whole width 803.
    const ResultsData r = Many(100, 2, QString(30, u'L'));
    const PageMetrics small{1181, 1063, 300, 300};
    const FileLayout f = Lay(r, 0, -1, small);
    EXPECT_EQ(f.columns, 1);
    EXPECT_EQ(f.valuePoints, 4);
    ASSERT_GE(f.pages.size(), 3u);
    int printed = 0;
    for (const PrintPage &page : f.pages)
        for (const PrintOp *op : ListLines(page))
            if (op->text.contains(u'L')) {
                EXPECT_EQ(op->rect.left(), 236);
                ++printed;
            }
    EXPECT_EQ(printed, 100);
}

TEST_F(PrintLayout, TableLongerThanThePaperRunsOnUnderItsHeadRow)
{
    // 25 groups on an A6 page (105 x 148 mm): header, head row and 17 rows
    // fill the first page; the rest of the table goes on on the next one.
    ResultsData r = Many(50, 25);
    r.CommonRemark = "Rem";
    const PageMetrics a6{1240, 1748, 300, 300};
    const FileLayout f = Lay(r, 0, -1, a6);
    const CellMeasurer m(300);
    const ResultsPageLayout geometry(a6, m);
    ASSERT_GE(f.pages.size(), 2u);
    QStringList names;
    for (size_t p = 0; p < f.pages.size(); ++p) {
        const PrintPage &page = f.pages[p];
        const QStringList t = page.Texts();
        EXPECT_EQ(t.at(0), "Q5-M8 - Rem") << p;
        EXPECT_EQ(t.at(1), "07:08, 05.03.2026") << p;
        bool sawHead = false;
        for (const PrintOp &op : page.ops) {
            if (op.kind == PrintOp::Frame) {
                EXPECT_LE(op.rect.bottom() + 1, geometry.Bottom()) << p;
            }
            if (op.kind != PrintOp::CellText)
                continue;
            if (op.text == "Statistics") {
                sawHead = true;
            } else if (op.rect.left() == geometry.Left()) {
                // Every row under a head row on its own page.
                EXPECT_TRUE(sawHead) << op.text.toStdString();
                names.append(op.text);
            }
        }
        if (p < 2) {
            EXPECT_TRUE(sawHead) << p;
        }
    }
    // Every group once, in order.
    ASSERT_EQ(names.size(), 25);
    for (int g = 0; g < 25; ++g)
        EXPECT_EQ(names[g], "S" + QString::number(g));
    // The heading and the values follow the table's last row, none below
    // the bottom limit.
    int lines = 0;
    for (const PrintPage &page : f.pages) {
        for (const PrintOp *op : ListLines(page)) {
            if (!op->text.contains(u'S'))
                continue;
            ++lines;
            EXPECT_LE(op->rect.top() + f.lineHeight, geometry.Bottom()) << op->text.toStdString();
        }
    }
    EXPECT_EQ(lines, 50);
    EXPECT_EQ(FindText(f.pages.front(), "Measure:"), nullptr);

    // On A4 and Letter the full table stays on the first page (the list of
    // 100 values below it may run on).
    for (const PageMetrics &page : {A4At300, PageMetrics{2550, 3300, 300, 300}}) {
        const FileLayout full = Lay(Many(100, 25), 0, -1, page);
        int heads = 0;
        for (const PrintPage &p : full.pages)
            heads += FindText(p, "Statistics") != nullptr;
        EXPECT_EQ(heads, 1) << page.height;
        EXPECT_NE(FindText(full.pages.front(), "S24"), nullptr) << page.height;
    }
}

TEST_F(PrintLayout, TableFillingThePageSendsTheHeadingOver)
{
    // Rows to just above the bottom limit: the heading and its list start on
    // a page of their own instead of below the limit.
    const CellMeasurer m(300);
    for (int height = 1400; height <= 2400; height += 23) {
        const PageMetrics page{1240, height, 300, 300};
        const ResultsPageLayout geometry(page, m);
        const FileLayout f = Lay(Many(25, 25), 0, -1, page);
        for (const PrintPage &p : f.pages) {
            if (const PrintOp *heading = FindText(p, "Measure:")) {
                EXPECT_LE(heading->rect.top() + geometry.MmY(10), geometry.Bottom()) << height;
            }
            for (const PrintOp *op : ListLines(p)) {
                if (op->text.contains(u'S')) {
                    EXPECT_LE(op->rect.top() + f.lineHeight, geometry.Bottom()) << height;
                }
            }
        }
    }
}

TEST_F(PrintLayout, EmptyFileEndsAfterTheHeadingAndNulsPrintAsBlanks)
{
    ResultsData r = outfix::NinetyNine();
    const FileLayout empty = Lay(r, 2);
    ASSERT_EQ(empty.pages.size(), 1u);
    EXPECT_EQ(empty.pages[0].Texts(), QStringList({U("Q5-M8 №17 - Цех 2"), "07:08, 05.03.2026", U("пусто"),
                                                   "Measure:"}));
    EXPECT_EQ(empty.valuePoints, 0);

    r.Files[0].Values[0].Str = QString("1.2") + QChar(u'\0') + "34";
    r.Files[0].Scales[1] = QString("U") + QChar(u'\0') + "2";
    const QStringList t = Lay(r, 0).pages.at(0).Texts();
    EXPECT_TRUE(t.contains(U("1     ШКАЛА1     1.2 34")));
    EXPECT_TRUE(t.contains("U 2"));
    for (const QString &s : t)
        EXPECT_FALSE(s.contains(QChar(u'\0')));
}

// A scale name of 66 characters (a results file may hold one) and a short
// one: one row each in the statistics table.
ResultsData LongScaleName()
{
    ResultsData r;
    r.DeviceText = "Q5-M8";
    r.FileCount = 1;
    outfix::SetValues(r.Files[0], {{"1.25", QString(66, u'W')}, {"2.5", "U2"}, {"-----", "U2"}});
    return r;
}

// The page drawn on white, as the printer would take it.
QImage Render(const PrintPage &page, const PageMetrics &m)
{
    QImage image(m.width, m.height, QImage::Format_RGB32);
    image.setDotsPerMeterX(int(m.dpiX / 0.0254 + 0.5));
    image.setDotsPerMeterY(int(m.dpiY / 0.0254 + 0.5));
    image.fill(Qt::white);
    QPainter painter(&image);
    RenderPage(painter, page, m.dpiY);
    return image;
}

// The pixels that differ between two images within rows top..bottom, outside
// the rectangle inside (none when the two differ only there), and how many
// differ inside it.
struct Ink {
    int outside = 0;
    int inside = 0;
    QPoint firstOutside{-1, -1};
};
Ink Differences(const QImage &a, const QImage &b, int top, int bottom, const QRect &inside)
{
    Ink ink;
    for (int y = std::max(0, top); y <= std::min(bottom, a.height() - 1); ++y) {
        const auto *pa = reinterpret_cast<const QRgb *>(a.constScanLine(y));
        const auto *pb = reinterpret_cast<const QRgb *>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            if (pa[x] == pb[x])
                continue;
            if (inside.contains(x, y)) {
                ++ink.inside;
            } else if (ink.outside++ == 0) {
                ink.firstOutside = QPoint(x, y);
            }
        }
    }
    return ink;
}

TEST_F(PrintLayout, CellTextsStayInsideTheirCells)
{
    // A4 and A6 at 150 dpi, where the long name is far wider than its cell
    // and the Russian heads are wider than theirs on A6.
    const PageMetrics pages[] = {{1240, 1754, 150, 150}, {620, 874, 150, 150}};
    for (const PageMetrics &m : pages) {
        for (bool english : {false, true}) {
            English = english;
            QImage probe(1, 1, QImage::Format_RGB32);
            const DeviceMeasurer measurer(&probe, m.dpiY);
            const ResultsPageLayout layout(m, measurer, [] { return Fixed; });
            const FileLayout file = layout.LayoutFile(LongScaleName(), 0, -1);
            ASSERT_EQ(file.pages.size(), 1u);
            const PrintPage &page = file.pages[0];
            const QString where = QString("%1 px wide, %2").arg(m.width).arg(english ? "en" : "ru");

            std::vector<size_t> cells;
            int top = m.height, bottom = 0;
            for (size_t i = 0; i < page.ops.size(); ++i) {
                const PrintOp &op = page.ops[i];
                if (op.kind != PrintOp::CellText)
                    continue;
                cells.push_back(i);
                top = std::min(top, op.rect.top());
                bottom = std::max(bottom, op.rect.bottom());
                // The cell lies on the page, the frame around it.
                EXPECT_GE(op.rect.left(), 0) << where.toStdString();
                EXPECT_LT(op.rect.right(), m.width) << where.toStdString();
            }
            ASSERT_EQ(cells.size(), 15u);
            const PrintOp &name = page.ops[cells[5]];
            ASSERT_EQ(name.text, QString(66, u'W'));
            EXPECT_GT(measurer.Extent(name.font, name.text).width(), 3 * name.rect.width());

            // Each text changes pixels of its own cell and of no other: the
            // page with it against the page without it.
            const QImage whole = Render(page, m);
            const int rowHeight = name.rect.height();
            for (size_t i : cells) {
                PrintPage without = page;
                without.ops[i].text.clear();
                const Ink ink = Differences(whole, Render(without, m), top - rowHeight, bottom + rowHeight,
                                            page.ops[i].rect);
                const QString cell = where + ", cell \"" + page.ops[i].text + "\"";
                EXPECT_GT(ink.inside, 0) << cell.toStdString();
                EXPECT_EQ(ink.outside, 0) << cell.toStdString() << " first at " << ink.firstOutside.x() << ","
                                          << ink.firstOutside.y() << " cell " << page.ops[i].rect.left() << ".."
                                          << page.ops[i].rect.right();
            }
        }
    }
}

TEST(PrintChoiceTest, DecidedByTheNodeNumber)
{
    ResultsData r = outfix::NinetyNine();
    // Names that once steered the choice: a scale called "Statistics" and a
    // remark equal to a group's name.
    r.Files[0].Scales[0] = "Statistics";
    r.Files[0].Remark = "U2";
    outfix::SetValues(r.Files[98], {{"1", "A"}, {"2", "B"}});
    struct Case {
        bool root;
        int data;
        std::vector<int> files;
        int group;
    };
    const Case cases[] = {
        {true, 0, {0, 1, 4, 98}, -1},           // every file with values
        {false, 0, {}, -1},                     // a file node
        {false, NodeData(0), {0}, -1},          // remark, count or statistics node
        {false, NodeData(0, 0), {0}, 0},        // group "Statistics" or one of its lines
        {false, NodeData(0, 1), {0}, 1},        // group U2
        {false, NodeData(97, 0), {97}, -1},     // a file without groups
        {false, NodeData(98, 1), {98}, 1},      // the last node of the tree
        {false, NodeData(4, 0), {4}, 0},
        {false, NodeData(2), {2}, -1},          // remark node of a file without values
    };
    for (const Case &c : cases) {
        const PrintChoice choice = ChoosePrint(r, c.root, c.data);
        EXPECT_EQ(choice.files, c.files) << c.data;
        EXPECT_EQ(choice.group, c.group) << c.data;
    }
    ResultsData none;
    none.FileCount = 3;
    EXPECT_TRUE(ChoosePrint(none, true, 0).files.empty());
}

// ---------------------------------------------------------------------------
// Whole prints through the dialog seam to PDF.

QString RunTool(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return QStringLiteral("<%1 failed: %2>").arg(program, QString::fromUtf8(p.readAllStandardError()));
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString PdfText(const QString &pdf, int page)
{
    return RunTool("pdftotext", {"-layout", "-f", QString::number(page), "-l", QString::number(page), pdf, "-"});
}

class PrintToPdf : public ::testing::Test {
protected:
    void SetUp() override
    {
        numtext::SetDecimalSeparator('.');
        English = true;
        ASSERT_TRUE(dir.isValid());
        pdf = dir.filePath("results.pdf");
    }
    void TearDown() override
    {
        English = false;
        // Q5M8_KEEP_PRINT=<folder> keeps each test's PDF to look at.
        const QString keep = qEnvironmentVariable("Q5M8_KEEP_PRINT");
        if (!keep.isEmpty() && QFile::exists(pdf))
            QFile::copy(pdf, keep + "/" + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".pdf");
    }

    // The dialog answers OK with PDF output on A4 at 300 dpi; setup may
    // change the printer further (a page range).
    void AnswerPdf(std::function<void(QPrinter &)> setup = {})
    {
        dialogs.printSetups.push_back([this, setup](QPrinter &printer) {
            seenDocName = printer.docName();
            seenFrom = printer.fromPage();
            seenTo = printer.toPage();
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            printer.setResolution(300);
            printer.setPageSize(QPageSize(QPageSize::A4));
            if (setup)
                setup(printer);
            return true;
        });
    }

    void Print(const ResultsData &r, bool root, int data)
    {
        PrintResults(nullptr, r, root, data, [] { return Fixed; });
    }

    QTemporaryDir dir;
    QString pdf;
    RecordingDialogs dialogs;
    QString seenDocName;
    int seenFrom = -1, seenTo = -1;
};

TEST_F(PrintToPdf, AllFilesOnePageEachSkippingEmptyOnes)
{
    const ResultsData r = outfix::NinetyNine();
    AnswerPdf();
    Print(r, true, 0);
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.Texts().join("|").toStdString();
    EXPECT_EQ(seenDocName, U("Q5-M8 №17 - Цех 2"));
    EXPECT_EQ(seenFrom, 1);
    EXPECT_EQ(seenTo, 3);
    ASSERT_EQ(PdfPages(pdf), 3);
    EXPECT_TRUE(RunTool("pdfinfo", {pdf}).contains(U("Q5-M8 №17 - Цех 2")));
    const QString p1 = PdfText(pdf, 1), p2 = PdfText(pdf, 2), p3 = PdfText(pdf, 3);
    EXPECT_TRUE(p1.contains("File 1")) << p1.toStdString();
    EXPECT_TRUE(p1.contains("07:08, 05.03.2026")) << p1.toStdString();
    EXPECT_TRUE(p1.contains(U("Q5-M8 №17 - Цех 2"))) << p1.toStdString();
    EXPECT_TRUE(p1.contains(QRegularExpression(U("ШКАЛА1\\s+2\\s+1,234\\s+2,500\\s+1,867")))) << p1.toStdString();
    EXPECT_TRUE(p1.contains(QRegularExpression(U("1\\s+ШКАЛА1\\s+1\\.234")))) << p1.toStdString();
    EXPECT_TRUE(p2.contains(U("Партия А"))) << p2.toStdString();
    EXPECT_TRUE(p3.contains("File 5")) << p3.toStdString();
    EXPECT_TRUE(p3.contains(QRegularExpression("3\\s+Q\\s+7"))) << p3.toStdString();
    // The metric-compatible faces: sans for the header, serif italic for the
    // date, fixed width for the table and the list.
    const QString fonts = RunTool("pdffonts", {pdf});
    for (const char *face : {"LiberationSans ", "LiberationSerif-Italic ", "LiberationMono "})
        EXPECT_TRUE(fonts.contains(face)) << face << "\n" << fonts.toStdString();
}

TEST_F(PrintToPdf, EmptyFirstFileMakesNoBlankPage)
{
    ResultsData r;
    r.FileCount = 3;
    r.DeviceText = "Dev";
    outfix::SetValues(r.Files[1], {{"1", "A"}});
    outfix::SetValues(r.Files[2], {{"2", "B"}});
    AnswerPdf();
    Print(r, true, 0);
    ASSERT_EQ(PdfPages(pdf), 2);
    EXPECT_TRUE(PdfText(pdf, 1).contains("File 2"));
    EXPECT_TRUE(PdfText(pdf, 2).contains("File 3"));
}

TEST_F(PrintToPdf, OneGroupInRussian)
{
    English = false;
    const ResultsData r = Many(9, 3);
    AnswerPdf();
    Print(r, false, NodeData(0, 2));
    ASSERT_EQ(PdfPages(pdf), 1);
    const QString text = PdfText(pdf, 1);
    EXPECT_TRUE(text.contains(U("Статистика"))) << text.toStdString();
    EXPECT_TRUE(text.contains(U("Измерения:"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QRegularExpression("S2\\s+3\\s+3,250\\s+9,250\\s+6,250"))) << text.toStdString();
    EXPECT_FALSE(text.contains("S1")) << text.toStdString();
    EXPECT_TRUE(text.contains(QRegularExpression("1\\s+S2\\s+3\\.25"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QRegularExpression("3\\s+S2\\s+9\\.25"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QRegularExpression("4\\s+S2"))) << text.toStdString();
}

TEST_F(PrintToPdf, ChosenPageRangeIsHonoured)
{
    const ResultsData r = outfix::NinetyNine();
    AnswerPdf([](QPrinter &p) {
        p.setPrintRange(QPrinter::PageRange);
        p.setFromTo(2, 3);
    });
    Print(r, true, 0);
    ASSERT_EQ(PdfPages(pdf), 2);
    EXPECT_TRUE(PdfText(pdf, 1).contains(U("Партия А")));
    EXPECT_TRUE(PdfText(pdf, 2).contains("File 5"));

    // Pages typed as "1,3": those two, not the run from 1 to 3.
    QFile::remove(pdf);
    AnswerPdf([](QPrinter &p) {
        QPageRanges ranges;
        ranges.addPage(1);
        ranges.addPage(3);
        p.setPrintRange(QPrinter::PageRange);
        p.setPageRanges(ranges);
    });
    Print(r, true, 0);
    ASSERT_EQ(PdfPages(pdf), 2);
    EXPECT_TRUE(PdfText(pdf, 1).contains("File 1"));
    EXPECT_TRUE(PdfText(pdf, 2).contains("File 5"));

    // A range past the last page prints nothing and says so in an error box,
    // in either language.
    for (bool english : {true, false}) {
        English = english;
        dialogs.Clear();
        QFile::remove(pdf);
        AnswerPdf([](QPrinter &p) {
            p.setPrintRange(QPrinter::PageRange);
            p.setFromTo(5, 6);
        });
        Print(r, true, 0);
        EXPECT_FALSE(QFile::exists(pdf));
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text,
                  english ? QString("The chosen range holds no page: the print has pages 1 to 3.")
                          : U("В выбранном диапазоне нет страниц: в задании печати страницы с 1 по 3."));
        EXPECT_EQ(dialogs.messages[0].caption, QCoreApplication::applicationName());
        EXPECT_EQ(dialogs.messages[0].flags, unsigned(ui::MbOk | ui::MbIconError));
    }
}

TEST_F(PrintToPdf, NextJobAfterAPageRangePrintsEveryPage)
{
    const ResultsData r = outfix::NinetyNine();
    QPrinter printer(QPrinter::HighResolution);
    AnswerPdf([](QPrinter &p) {
        p.setPrintRange(QPrinter::PageRange);
        p.setFromTo(2, 2);
    });
    PrintResults(nullptr, printer, r, true, 0, [] { return Fixed; });
    ASSERT_EQ(PdfPages(pdf), 1);
    EXPECT_TRUE(PdfText(pdf, 1).contains(U("Партия А")));
    // The same print again, Print pressed at once: every page.
    QPrinter::PrintRange offered = QPrinter::PageRange;
    AnswerPdf([&offered](QPrinter &p) { offered = p.printRange(); });
    PrintResults(nullptr, printer, r, true, 0, [] { return Fixed; });
    EXPECT_EQ(offered, QPrinter::AllPages);
    EXPECT_EQ(seenFrom, 1);
    EXPECT_EQ(seenTo, 3);
    EXPECT_EQ(PdfPages(pdf), 3);
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.Texts().join("|").toStdString();
}

TEST_F(PrintToPdf, PagesAreCountedForThePaperChosen)
{
    // 25 scale groups: one page of A4, more of A6 (the table runs on).
    ResultsData r = Many(50, 25);
    QPrinter printer(QPrinter::HighResolution);
    int offeredForA6 = -1;
    const auto a6 = [&](QPrinter &p) {
        p.setPageSize(QPageSize(QPageSize::A6));
        offeredForA6 = dialogs.pageCounter ? dialogs.pageCounter(p) : -1;
    };
    AnswerPdf(a6);
    PrintResults(nullptr, printer, r, false, NodeData(0), [] { return Fixed; });
    EXPECT_EQ(seenTo, 1); // offered on the A4 the printer had
    const int a6Pages = PdfPages(pdf);
    EXPECT_GE(a6Pages, 2);
    // What the dialog offers once A6 is picked is what comes out.
    EXPECT_EQ(offeredForA6, a6Pages);

    // The printer keeps A6: the next job offers its pages on A6, and a range
    // is taken over the pages of that paper.
    QFile::remove(pdf);
    AnswerPdf([&](QPrinter &p) {
        a6(p);
        p.setPrintRange(QPrinter::PageRange);
        p.setFromTo(2, 2);
    });
    PrintResults(nullptr, printer, r, false, NodeData(0), [] { return Fixed; });
    EXPECT_EQ(seenTo, a6Pages);
    ASSERT_EQ(PdfPages(pdf), 1);
    const QString second = PdfText(pdf, 1);
    EXPECT_TRUE(second.contains("S24")) << second.toStdString();
    // Not the first page's rows.
    EXPECT_FALSE(second.contains(QRegularExpression("\\bS0\\s+2\\s+1,250"))) << second.toStdString();

    // A range past A6's pages names their count.
    AnswerPdf([&](QPrinter &p) {
        a6(p);
        p.setPrintRange(QPrinter::PageRange);
        p.setFromTo(a6Pages + 1, a6Pages + 1);
    });
    PrintResults(nullptr, printer, r, false, NodeData(0), [] { return Fixed; });
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text,
              QString("The chosen range holds no page: the print has pages 1 to %1.").arg(a6Pages));
}

TEST_F(PrintToPdf, KeptPrinterOffersTheWholeJobAgain)
{
    const ResultsData r = outfix::NinetyNine();
    QPrinter printer(QPrinter::HighResolution);
    AnswerPdf([](QPrinter &p) {
        p.setPrintRange(QPrinter::PageRange);
        p.setFromTo(3, 3);
    });
    PrintResults(nullptr, printer, r, true, 0, [] { return Fixed; });
    EXPECT_EQ(PdfPages(pdf), 1);
    // The next print starts from all pages of its own job, on the same file.
    AnswerPdf([](QPrinter &p) { EXPECT_EQ(p.printRange(), QPrinter::AllPages); });
    PrintResults(nullptr, printer, r, false, NodeData(1), [] { return Fixed; });
    EXPECT_EQ(seenFrom, 1);
    EXPECT_EQ(seenTo, 1);
    EXPECT_EQ(PdfPages(pdf), 1);
    EXPECT_TRUE(PdfText(pdf, 1).contains(U("Партия А")));
}

TEST_F(PrintToPdf, PdfIsOfferedUnderTheWholeDocumentName)
{
    ResultsData r = outfix::NinetyNine();
    r.DeviceText = "Q5-M8 v.1.2.15";
    r.CommonRemark = U("Цех 2/3");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("last.pdf"));
    QString offered;
    dialogs.printSetups.push_back([&offered](QPrinter &p) {
        offered = p.outputFileName();
        return false;
    });
    PrintResults(nullptr, printer, r, true, 0, [] { return Fixed; });
    // Not cut at the version's last dot; a slash cannot stand in a name.
    EXPECT_EQ(offered, dir.filePath(U("Q5-M8 v.1.2.15 - Цех 2-3.pdf")));

    struct Case {
        const char *doc, *last, *name;
    };
    const Case cases[] = {
        {"A.b", "/x/y/z.pdf", "/x/y/A.b.pdf"},
        {"  ", "/x/z.pdf", ""},
        {"..", "/x/z.pdf", ""},
        {"a\\b\tc", "/x/z.pdf", "/x/a-b-c.pdf"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(PdfFileName(U(c.doc), U(c.last)), U(c.name)) << c.doc;
    EXPECT_EQ(PdfFileName("D", ""), QDir::home().filePath("D.pdf"));
}

TEST_F(PrintToPdf, CancelAndNothingToPrint)
{
    // Cancel: no file, no message.
    Print(outfix::NinetyNine(), true, 0);
    EXPECT_FALSE(QFile::exists(pdf));
    // No file with values (and a file node): no dialog at all.
    AnswerPdf();
    ResultsData none;
    none.FileCount = 99;
    Print(none, true, 0);
    Print(outfix::NinetyNine(), false, 0);
    EXPECT_EQ(dialogs.printSetups.size(), 1u);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_FALSE(QFile::exists(pdf));
}

TEST_F(PrintToPdf, PrinterThatCannotStartIsReported)
{
    pdf = dir.filePath("no/such/folder/results.pdf");
    AnswerPdf();
    Print(outfix::NinetyNine(), false, NodeData(0));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Printing could not start (" + pdf + ").");
    EXPECT_EQ(dialogs.messages[0].flags, unsigned(ui::MbOk | ui::MbIconError));
    English = false;
    AnswerPdf();
    Print(outfix::NinetyNine(), false, NodeData(0));
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[1].text, U("Не удалось начать печать (") + pdf + ").");
}

TEST_F(PrintToPdf, HundredValuesInTwoColumnsOnOnePage)
{
    const ResultsData r = Many(100, 3);
    AnswerPdf();
    Print(r, false, NodeData(0));
    ASSERT_EQ(PdfPages(pdf), 1);
    const QString text = PdfText(pdf, 1);
    // Line 51 stands beside line 1, line 100 beside line 50.
    EXPECT_TRUE(text.contains(QRegularExpression("\\b1\\s+S0\\s+1\\.25\\s+51\\s+S2\\s+6\\.25"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QRegularExpression("\\b50\\s+S1\\s+5\\.25\\s+100\\s+S0\\s+1\\.25"))) << text.toStdString();
}

// A device that stops taking pages after the given count.
class FailingWriter : public QPdfWriter {
public:
    FailingWriter(const QString &path, int pages) : QPdfWriter(path), pages_(pages) {}
    bool newPage() override { return ++taken_ <= pages_ && QPdfWriter::newPage(); }

private:
    int pages_;
    int taken_ = 1;
};

TEST_F(PrintToPdf, PrinterThatStopsTakingPagesIsReported)
{
    const ResultsData r = outfix::NinetyNine();
    FailingWriter writer(pdf, 2);
    writer.setResolution(300);
    const DeviceMeasurer measurer(&writer, 300);
    const ResultsPageLayout layout(PageMetrics{writer.width(), writer.height(), 300, 300}, measurer);
    const std::vector<PrintPage> pages = LayoutPrint(layout, r, ChoosePrint(r, true, 0));
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_FALSE(PrintPages(nullptr, writer, "Test printer", pages, {1, 2, 3}));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Printing stopped: the printer did not take page 3 (Test printer).");
    EXPECT_EQ(dialogs.messages[0].flags, unsigned(ui::MbOk | ui::MbIconError));
    // What it took is on paper.
    EXPECT_EQ(PdfPages(pdf), 2);

    FailingWriter fine(dir.filePath("fine.pdf"), 99);
    fine.setResolution(300);
    EXPECT_TRUE(PrintPages(nullptr, fine, "Test printer", pages, {2, 3}));
    EXPECT_EQ(PdfPages(dir.filePath("fine.pdf")), 2);
    EXPECT_EQ(dialogs.messages.size(), 1u);
}

TEST_F(PrintToPdf, LongListContinuesOnASecondPage)
{
    ResultsData r = Many(100, 2, QString(7, u'L'));
    AnswerPdf([](QPrinter &p) { p.setPageSize(QPageSize(QSizeF(100, 150), QPageSize::Millimeter)); });
    Print(r, false, NodeData(0));
    EXPECT_TRUE(dialogs.messages.empty());
    ASSERT_EQ(PdfPages(pdf), 2);
    const QString p1 = PdfText(pdf, 1), p2 = PdfText(pdf, 2);
    EXPECT_TRUE(p1.contains("Statistics"));
    EXPECT_FALSE(p2.contains("Statistics"));
    for (const QString &page : {p1, p2}) {
        EXPECT_TRUE(page.contains("07:08, 05.03.2026")) << page.toStdString();
        EXPECT_TRUE(page.contains("Measure:")) << page.toStdString();
    }
    EXPECT_TRUE(p1.contains(QRegularExpression("\\b1\\s+L+0\\s+1\\.25"))) << p1.toStdString();
    EXPECT_TRUE(p2.contains(QRegularExpression("\\b100\\s+L+1\\s+1\\.25"))) << p2.toStdString();

    // Rendered as a person sees it: ink on both pages, white margins.
    const QString png = dir.filePath("page");
    RunTool("pdftoppm", {"-r", "100", "-png", pdf, png});
    for (const char *name : {"page-1.png", "page-2.png"}) {
        const QImage img(dir.filePath(name));
        ASSERT_FALSE(img.isNull()) << name;
        EXPECT_EQ(img.pixel(2, 2), qRgb(255, 255, 255));
        int dark = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                dark += qGray(img.pixel(x, y)) < 128;
        EXPECT_GT(dark, 500) << name;
    }
}

TEST_F(PrintToPdf, LongScaleNameIsClippedToItsCellOnPaper)
{
    // On A6 at 300 dpi the page with the long name and the page with no name
    // in its cell differ only inside that cell.
    const auto a6 = [](QPrinter &p) { p.setPageSize(QPageSize(QPageSize::A6)); };
    const ResultsData named = LongScaleName();
    ResultsData unnamed = named;
    unnamed.Files[0].Scales[0].clear();
    QImage pages[2];
    for (int i = 0; i < 2; ++i) {
        AnswerPdf(a6);
        Print(i == 0 ? named : unnamed, false, NodeData(0));
        ASSERT_EQ(PdfPages(pdf), 1);
        const QString png = dir.filePath(QString("cell%1").arg(i));
        RunTool("pdftoppm", {"-r", "300", "-png", "-singlefile", pdf, png});
        pages[i] = QImage(png + ".png").convertToFormat(QImage::Format_RGB32);
        ASSERT_FALSE(pages[i].isNull());
    }
    ASSERT_EQ(pages[0].size(), pages[1].size());

    // The cell where the printer put it: the layout on the same paper,
    // moved by the page's margins.
    QPrinter same(QPrinter::HighResolution);
    same.setOutputFormat(QPrinter::PdfFormat);
    same.setOutputFileName(dir.filePath("unused.pdf"));
    same.setResolution(300);
    a6(same);
    const PageMetrics m = PrinterMetrics(same);
    const DeviceMeasurer measurer(&same, m.dpiY);
    const FileLayout file = ResultsPageLayout(m, measurer, [] { return Fixed; }).LayoutFile(named, 0, -1);
    const PrintOp *name = FindText(file.pages.at(0), QString(66, u'W'));
    ASSERT_NE(name, nullptr);
    // Two pixels of slack for the smoothing at the cell's edge.
    const QRect cell = name->rect.translated(same.pageLayout().paintRectPixels(300).topLeft()).adjusted(-2, -2, 2, 2);
    const Ink ink = Differences(pages[0], pages[1], 0, pages[0].height() - 1, cell);
    EXPECT_GT(ink.inside, 100);
    EXPECT_EQ(ink.outside, 0) << "first at " << ink.firstOutside.x() << "," << ink.firstOutside.y() << ", cell "
                              << cell.left() << ".." << cell.right() << " x " << cell.top() << ".." << cell.bottom();
}

} // namespace
