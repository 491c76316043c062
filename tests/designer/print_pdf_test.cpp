// Both prints to a PDF file, read back with the poppler tools: an 8 x 11 inch
// page at 600 dpi with zero margins, 4800 x 6600 printer pixels.
#include "common/lang.h"
#include "common/numtext.h"
#include "designer/print_graph.h"
#include "designer/print_table.h"
#include "graph/net.h"
#include "scale/scaledocument.h"
#include "tests/support/recording_dialogs.h"

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QMap>
#include <QPageLayout>
#include <QPageRanges>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

const QDateTime When(QDate(2026, 12, 8), QTime(6, 11, 18));

// What the print dialog does when the user picks PDF output at a path.
void PdfSetup(QPrinter &p, const QString &path)
{
    p.setOutputFormat(QPrinter::PdfFormat);
    p.setOutputFileName(path);
    p.setResolution(600);
    p.setPageSize(QPageSize(QSizeF(8, 11), QPageSize::Inch, QString(), QPageSize::ExactMatch));
    p.setFullPage(true);
    p.setPageMargins(QMarginsF(0, 0, 0, 0));
}

QString RunTool(const QString &tool, const QStringList &args)
{
    QProcess p;
    p.start(tool, args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        ADD_FAILURE() << tool.toStdString() << " failed: " << p.readAllStandardError().toStdString();
        return QString();
    }
    return QString::fromUtf8(p.readAllStandardOutput());
}

int PageCount(const QString &pdf)
{
    const QRegularExpressionMatch m = QRegularExpression("Pages:\\s+(\\d+)").match(RunTool("pdfinfo", {pdf}));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

QString PageSizeText(const QString &pdf)
{
    const QRegularExpressionMatch m = QRegularExpression("Page size:\\s+([^\\n]+)").match(RunTool("pdfinfo", {pdf}));
    return m.hasMatch() ? m.captured(1) : QString();
}

// The text of a page (or of all pages: 0), blanks collapsed.
QString Text(const QString &pdf, int page = 0)
{
    QStringList args;
    if (page > 0)
        args << "-f" << QString::number(page) << "-l" << QString::number(page);
    args << pdf << "-";
    return RunTool("pdftotext", args).simplified();
}

// Each word of the first page's table (below the header) with its box in
// points (the first box of a word that stands more than once).
QMap<QString, QRectF> Words(const QString &pdf)
{
    const QString html = RunTool("pdftotext", {"-bbox", "-f", "1", "-l", "1", pdf, "-"});
    static const QRegularExpression word(
        "<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">([^<]*)</word>");
    QMap<QString, QRectF> out;
    double headTop = -1; // the column heads: the table starts there
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const QString text = m.captured(5);
        if (text == "mV" && headTop < 0)
            headTop = m.captured(2).toDouble();
        if (headTop >= 0 && !out.contains(text))
            out.insert(text, QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                                    QPointF(m.captured(3).toDouble(), m.captured(4).toDouble())));
    }
    return out;
}

class PrintPdf : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        numtext::SetDecimalSeparator(',');
        English = false;
        QCoreApplication::setApplicationName("Scale");
        doc.AboutText = QString::fromUtf8("Термопара ТХА, градуировка 2026");
        doc.XNameText = "mV";
        doc.YNameText = "T1";
    }
    void TearDown() override
    {
        numtext::SetDecimalSeparator('.');
        English = false;
    }

    void SetTable(double first, double step, int count, int decimals = 2)
    {
        doc.TableX.clear();
        doc.TableY.clear();
        for (int i = 0; i < count; ++i) {
            doc.TableX.push_back(first + i * step);
            doc.TableY.push_back(0.5 + i);
        }
        doc.TableCount = count;
        doc.TableStep = step;
        doc.ScalePwrIndex = decimals;
    }

    // Queues the dialog's answer: PDF output to name, noting the document
    // name the dialog was offered.
    QString Answer(const QString &name, std::function<void(QPrinter &)> more = {})
    {
        const QString path = dir.filePath(name);
        rec.printSetups.push_back([this, path, more](QPrinter &p) {
            offeredName = p.docName();
            PdfSetup(p, path);
            if (more)
                more(p);
            return true;
        });
        return path;
    }

    QTemporaryDir dir;
    RecordingDialogs rec;
    ScaleDocument doc;
    QPrinter printer{QPrinter::HighResolution};
    QString offeredName;
};

TEST_F(PrintPdf, TablePagesAt250And251Rows)
{
    // First x a multiple of 50 steps (2.5 = 50 x 0.05).
    SetTable(2.5, 0.05, 250);
    const QString one = Answer("250.pdf");
    ASSERT_TRUE(PrintTable(nullptr, doc, printer, [] { return When; }));
    EXPECT_EQ(PageCount(one), 1);
    EXPECT_TRUE(PageSizeText(one).startsWith("576 x 792 pts")) << PageSizeText(one).toStdString(); // 8 x 11 inch

    SetTable(2.5, 0.05, 251);
    const QString two = Answer("251.pdf");
    ASSERT_TRUE(PrintTable(nullptr, doc, printer, [] { return When; }));
    EXPECT_EQ(PageCount(two), 2);
    const QString second = Text(two, 2);
    EXPECT_TRUE(second.contains(QString::fromUtf8("стр. №2"))) << second.toStdString();
    EXPECT_TRUE(second.contains("15 250.50")) << second.toStdString(); // x = 2.5 + 250 x 0.05
    EXPECT_TRUE(rec.messages.empty());
}

TEST_F(PrintPdf, TableTextsInBothLanguages)
{
    SetTable(1, 1, 100);
    for (bool english : {false, true}) {
        English = english;
        const QString pdf = Answer(english ? "en.pdf" : "ru.pdf");
        ASSERT_TRUE(PrintTable(nullptr, doc, printer, [] { return When; }));
        EXPECT_EQ(offeredName, english ? QString("Scale T1") : QString::fromUtf8("Шкала T1"));
        const QString text = Text(pdf);
        EXPECT_TRUE(text.contains(doc.AboutText)) << text.toStdString();
        const QString date = english ? QString("08.12.2026, 06:11:18, page 1")
                                     : QString::fromUtf8("08.12.2026, 06:11:18, стр. №1");
        EXPECT_TRUE(text.contains(date)) << text.toStdString();
        EXPECT_TRUE(text.contains("mV T1 mV T1")) << text.toStdString();
        // The 1..100 table starts in row 1 of the first block: x = 1 one row
        // below x = 50 (row 0 of the second block), x = 100 level with 50.
        const auto words = Words(pdf);
        ASSERT_TRUE(words.contains("1") && words.contains("50,0") == false && words.contains("50"));
        const double row = words["51"].top() - words["50"].top();
        EXPECT_NEAR(row, 108 * 72.0 / 600, 0.5); // the row height in points
        EXPECT_NEAR(words["1"].top() - words["50"].top(), row, 0.5);
        EXPECT_NEAR(words["100"].top(), words["50"].top(), 0.5);
        EXPECT_LT(words["1"].left(), words["50"].left());
        EXPECT_LT(words["50"].left(), words["100"].left());
        EXPECT_NEAR(words["49"].top() - words["1"].top(), 48 * row, 0.5);
        EXPECT_EQ(PageCount(pdf), 1);
    }
    // The description in a sans italic, the date line in a serif bold italic,
    // the table monospaced: the metric-compatible families with Cyrillic.
    const QString fonts = RunTool("pdffonts", {dir.filePath("ru.pdf")});
    for (const char *font : {"LiberationSans-Italic", "LiberationSerif-BoldItalic", "LiberationMono "})
        EXPECT_TRUE(fonts.contains(font)) << font << "\n" << fonts.toStdString();
}

TEST_F(PrintPdf, ValuesAsPrinted)
{
    doc.TableX = {-5, 0.5, 12.34, 123.4};
    doc.TableY = {0.5, 1, 12.3, -2};
    doc.TableCount = 4;
    doc.TableStep = 0.01;
    doc.ScalePwrIndex = 2;
    const QString pdf = Answer("values.pdf");
    ASSERT_TRUE(PrintTable(nullptr, doc, printer, [] { return When; }));
    const QStringList words = Text(pdf).split(' ');
    for (const char *w : {"-5", "0,5", "12,3", "123", "0.50", "1.00", "12.30", "-2.00"})
        EXPECT_TRUE(words.contains(QString(w))) << w;
}

TEST_F(PrintPdf, PageRangeIsHonoured)
{
    SetTable(0, 1, 600); // three pages
    const QString pdf = Answer("range.pdf", [](QPrinter &p) {
        p.setPrintRange(QPrinter::PageRange);
        p.setFromTo(2, 3);
    });
    ASSERT_TRUE(PrintTable(nullptr, doc, printer, [] { return When; }));
    EXPECT_EQ(PageCount(pdf), 2);
    EXPECT_TRUE(Text(pdf, 1).contains(QString::fromUtf8("стр. №2")));
    EXPECT_TRUE(Text(pdf, 2).contains(QString::fromUtf8("стр. №3")));

    // Pages typed as "1,3": those two, not the run from 1 to 3.
    const QString apart = Answer("apart.pdf", [](QPrinter &p) {
        QPageRanges ranges;
        ranges.addPage(1);
        ranges.addPage(3);
        p.setPrintRange(QPrinter::PageRange);
        p.setPageRanges(ranges);
    });
    ASSERT_TRUE(PrintTable(nullptr, doc, printer, [] { return When; }));
    EXPECT_EQ(PageCount(apart), 2);
    EXPECT_TRUE(Text(apart, 1).contains(QString::fromUtf8("стр. №1")));
    EXPECT_TRUE(Text(apart, 2).contains(QString::fromUtf8("стр. №3")));

    // A range that holds no page says so, in an error box, and prints
    // nothing: the table and the graph alike, in both languages.
    for (bool english : {false, true}) {
        English = english;
        rec.Clear();
        const QString none = Answer("none.pdf", [](QPrinter &p) {
            p.setPrintRange(QPrinter::PageRange);
            p.setFromTo(4, 9);
        });
        EXPECT_FALSE(PrintTable(nullptr, doc, printer, [] { return When; }));
        Answer("none.pdf", [](QPrinter &p) {
            p.setPrintRange(QPrinter::PageRange);
            p.setFromTo(2, 2);
        });
        EXPECT_FALSE(PrintGraph(nullptr, doc, printer, "t", false));
        EXPECT_FALSE(QFile::exists(none));
        ASSERT_EQ(rec.messages.size(), 2u);
        const QStringList texts =
            english ? QStringList{"The chosen range holds no page: the print has pages 1 to 3.",
                                  "The chosen range holds no page: the print has pages 1 to 1."}
                    : QStringList{QString::fromUtf8("В выбранном диапазоне нет страниц: в задании печати страницы с 1 по 3."),
                                  QString::fromUtf8("В выбранном диапазоне нет страниц: в задании печати страницы с 1 по 1.")};
        EXPECT_EQ(rec.Texts(), texts);
        for (const RecordedMessage &m : rec.messages) {
            EXPECT_EQ(m.caption, "Scale");
            EXPECT_EQ(m.flags, ui::MbOk | ui::MbIconError);
        }
    }
}

// Each job offers all of its own pages, whatever range the last one chose.
TEST_F(PrintPdf, NextJobAfterAPageRangePrintsEveryPage)
{
    QPrinter::PrintRange offered = QPrinter::PageRange;
    int from = -1, to = -1;
    const auto pressPrint = [&](QPrinter &p) {
        offered = p.printRange();
        from = p.fromPage();
        to = p.toPage();
    };
    const auto onlyPage = [](int page) {
        return [page](QPrinter &p) {
            p.setPrintRange(QPrinter::PageRange);
            p.setFromTo(page, page);
        };
    };

    SetTable(0, 1, 300); // two pages
    const QString second = Answer("second.pdf", onlyPage(2));
    ASSERT_TRUE(PrintTable(nullptr, doc, printer, [] { return When; }));
    EXPECT_EQ(PageCount(second), 1);
    const QString both = Answer("both.pdf", pressPrint);
    ASSERT_TRUE(PrintTable(nullptr, doc, printer, [] { return When; }));
    EXPECT_EQ(offered, QPrinter::AllPages);
    EXPECT_EQ(from, 1);
    EXPECT_EQ(to, 2);
    ASSERT_EQ(PageCount(both), 2);
    EXPECT_TRUE(Text(both, 1).contains(QString::fromUtf8("стр. №1")));
    EXPECT_TRUE(Text(both, 2).contains(QString::fromUtf8("стр. №2")));

    // Page 3 of a longer table, then a table of one page.
    SetTable(0, 1, 600);
    Answer("third.pdf", onlyPage(3));
    ASSERT_TRUE(PrintTable(nullptr, doc, printer, [] { return When; }));
    SetTable(0, 1, 10);
    const QString small = Answer("small.pdf", pressPrint);
    ASSERT_TRUE(PrintTable(nullptr, doc, printer, [] { return When; }));
    EXPECT_EQ(offered, QPrinter::AllPages);
    EXPECT_EQ(to, 1);
    EXPECT_EQ(PageCount(small), 1);

    // The graph after a range of the table, and the table after the graph.
    SetTable(0, 1, 300);
    Answer("range.pdf", onlyPage(2));
    ASSERT_TRUE(PrintTable(nullptr, doc, printer, [] { return When; }));
    const QString graph = Answer("graph.pdf", pressPrint);
    ASSERT_TRUE(PrintGraph(nullptr, doc, printer, "t", false));
    EXPECT_EQ(offered, QPrinter::AllPages);
    EXPECT_EQ(to, 1);
    EXPECT_EQ(PageCount(graph), 1);
    const QString again = Answer("again.pdf", pressPrint);
    ASSERT_TRUE(PrintTable(nullptr, doc, printer, [] { return When; }));
    EXPECT_EQ(to, 2);
    EXPECT_EQ(PageCount(again), 2);
    EXPECT_TRUE(rec.messages.empty()) << rec.Texts().join(" | ").toStdString();
}

TEST_F(PrintPdf, EmptyTableOrCancelPrintsNothing)
{
    const QString pdf = Answer("empty.pdf");
    EXPECT_FALSE(PrintTable(nullptr, doc, printer));
    EXPECT_EQ(rec.printSetups.size(), 1u); // no dialog for an empty table
    rec.printSetups.clear();
    SetTable(0, 1, 10);
    EXPECT_FALSE(PrintTable(nullptr, doc, printer)); // the dialog cancelled
    EXPECT_FALSE(PrintGraph(nullptr, doc, printer, "t", false));
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_TRUE(rec.messages.empty());
}

TEST_F(PrintPdf, PrintThatCannotStartShowsItsError)
{
    SetTable(0, 1, 10);
    for (bool english : {false, true}) {
        English = english;
        rec.Clear();
        const QString path = dir.filePath("no-such-folder/table.pdf");
        rec.printSetups.push_back([&](QPrinter &p) {
            PdfSetup(p, path);
            return true;
        });
        QWidget owner;
        EXPECT_FALSE(PrintTable(&owner, doc, printer));
        rec.printSetups.push_back([&](QPrinter &p) {
            PdfSetup(p, path);
            return true;
        });
        EXPECT_FALSE(PrintGraph(&owner, doc, printer, "t", false));
        const QString text = (english ? QString("Cannot start printing to the file ")
                                      : QString::fromUtf8("Не удается начать печать в файл ")) +
                             path + ".";
        ASSERT_EQ(rec.messages.size(), 2u);
        for (const RecordedMessage &m : rec.messages) {
            EXPECT_EQ(m.text, text);
            EXPECT_EQ(m.caption, "Scale");
            EXPECT_EQ(m.flags, ui::MbOk | ui::MbIconError);
            EXPECT_EQ(m.owner, &owner);
        }
    }
}

// A printer that cannot start a second sheet (a spooler gone, a full disk).
class NoNewPagePrinter : public QPrinter {
public:
    NoNewPagePrinter() : QPrinter(QPrinter::HighResolution) {}
    bool newPage() override { return false; }
};

TEST_F(PrintPdf, PrintThatCannotGoOnShowsItsError)
{
    SetTable(0, 1, 251);
    NoNewPagePrinter failing;
    Answer("stopped.pdf");
    EXPECT_FALSE(PrintTable(nullptr, doc, failing, [] { return When; }));
    ASSERT_EQ(rec.messages.size(), 1u);
    EXPECT_EQ(rec.messages[0].text, QString::fromUtf8("Печать прервана: не удается начать страницу 2."));
    EXPECT_EQ(rec.messages[0].flags, ui::MbOk | ui::MbIconError);
    English = true;
    EXPECT_EQ(PrintJob::PageErrorText(2), "Printing stopped: cannot start page 2");
}

bool Dark(QRgb c)
{
    return qGray(c) < 128;
}

TEST_F(PrintPdf, GraphIsTheCentredSquareWithItsPoints)
{
    EXPECT_EQ(GraphPrintSquare(4800, 6600), QRect(600, 1500, 3600, 3600));
    EXPECT_EQ(GraphPrintSquare(6600, 4800), QRect(1500, 600, 3600, 3600));

    doc.PointCount = 3;
    const double px[] = {10, 50, 90}, py[] = {20, 80, 30};
    std::copy(px, px + 3, doc.PointX);
    std::copy(py, py + 3, doc.PointY);
    SetTable(10, 1, 81);
    for (int i = 0; i < 81; ++i)
        doc.TableY[i] = 20 + 0.7 * i;
    doc.GraphXMin = 0;
    doc.GraphXMax = 100;
    doc.GraphYMin = 0;
    doc.GraphYMax = 100;
    const QString pdf = Answer("graph.pdf");
    ASSERT_TRUE(PrintGraph(nullptr, doc, printer, doc.AboutText, false));
    EXPECT_EQ(PageCount(pdf), 1);
    EXPECT_TRUE(Text(pdf).contains(doc.AboutText));

    // The plot rectangle as the graph lays it out on this page.
    QPrinter scratch(QPrinter::HighResolution);
    PdfSetup(scratch, dir.filePath("scratch.pdf"));
    TPlotRect plot;
    int pointX[3], pointY[3], whiteX, whiteY;
    {
        QPainter painter(&scratch);
        auto net = DrawGraphPage(painter, doc, doc.AboutText, false, scratch.width(), scratch.height(), 600);
        plot = net->PlotRect;
        for (int i = 0; i < 3; ++i)
            net->ValueToPixel(pointX[i], pointY[i], px[i], py[i]);
        net->ValueToPixel(whiteX, whiteY, 85, 95);
    }
    ASSERT_EQ(scratch.width(), 4800);
    ASSERT_EQ(scratch.height(), 6600);

    // Rendered at 150 dpi: a quarter of the printer's pixels.
    RunTool("pdftoppm", {"-r", "150", "-png", "-singlefile", pdf, dir.filePath("graph")});
    const QImage img(dir.filePath("graph.png"));
    ASSERT_EQ(img.size(), QSize(1200, 1650));
    QRect ink;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (Dark(img.pixel(x, y)))
                ink |= QRect(x, y, 1, 1);
    // Everything inside the square (600, 1500) of side 3600, reaching near its right edge.
    EXPECT_GE(ink.left(), 600 / 4);
    EXPECT_GE(ink.top(), 1500 / 4);
    EXPECT_LE(ink.right(), (600 + 3600) / 4);
    EXPECT_LE(ink.bottom(), (1500 + 3600) / 4);
    EXPECT_GE(ink.right(), plot.right / 4 - 1);
    EXPECT_GE(ink.bottom(), plot.bottom / 4);
    // The frame's edges, and each calibration point as a disc of 0.5 mm
    // radius (about 3 pixels here) at its place.
    EXPECT_TRUE(Dark(img.pixel(plot.left / 4, (plot.top + plot.bottom) / 8)));
    EXPECT_TRUE(Dark(img.pixel((plot.left + plot.right) / 8, plot.bottom / 4)));
    for (int i = 0; i < 3; ++i) {
        int dark = 0;
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx)
                dark += Dark(img.pixel(pointX[i] / 4 + dx, pointY[i] / 4 + dy));
        EXPECT_GE(dark, 20) << "point " << i;
    }
    // Off the curve and the grid, inside the plot: white.
    EXPECT_FALSE(Dark(img.pixel(whiteX / 4, whiteY / 4)));
}

TEST_F(PrintPdf, GraphShowsProgrammingPointsOnlyWhenAsked)
{
    doc.ProgCount = 2;
    doc.ProgX[0] = 20;
    doc.ProgY[0] = 20;
    doc.ProgX[1] = 80;
    doc.ProgY[1] = 80;
    auto inkAlongDiagonal = [&](bool show) {
        const QString pdf = Answer(show ? "prog.pdf" : "noprog.pdf");
        EXPECT_TRUE(PrintGraph(nullptr, doc, printer, "t", show));
        QPrinter scratch(QPrinter::HighResolution);
        PdfSetup(scratch, dir.filePath("s.pdf"));
        QPainter painter(&scratch);
        auto net = DrawGraphPage(painter, doc, "t", false, 4800, 6600, 600);
        int x, y;
        net->ValueToPixel(x, y, 35, 35); // on the joining line, off the grid
        painter.end();
        // At the printer's own resolution, around that pixel, without smoothing.
        const QString name = show ? "prog" : "noprog";
        RunTool("pdftoppm", {"-r", "600", "-aaVector", "no", "-x", QString::number(x - 10), "-y",
                             QString::number(y - 10), "-W", "21", "-H", "21", "-png", "-singlefile", pdf,
                             dir.filePath(name)});
        const QImage img(dir.filePath(name + ".png"));
        int dark = 0;
        for (int py = 0; py < img.height(); ++py)
            for (int px = 0; px < img.width(); ++px)
                dark += Dark(img.pixel(px, py));
        return dark;
    };
    EXPECT_GT(inkAlongDiagonal(true), 0);
    EXPECT_EQ(inkAlongDiagonal(false), 0);
}

} // namespace
