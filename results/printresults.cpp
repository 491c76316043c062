#include "results/printresults.h"
#include "common/dialogs.h"
#include "common/exceptiondisplay.h"
#include "common/lang.h"
#include "common/qtdialogs.h"
#include "results/restree.h"
#include "results/resstattext.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QPen>
#include <QPrinter>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <utility>

namespace {

constexpr int ListMaxPoints = 12;
constexpr int ListMinPoints = 4;
const QString Blanks5 = QStringLiteral("     ");

// MulDiv: a * b / c rounded to the nearest.
int MulDiv(int a, int b, int c)
{
    const long long n = 1LL * a * b;
    return int((n >= 0 ? n + c / 2 : n - c / 2) / c);
}

QRect Box(int x1, int y1, int x2, int y2)
{
    return QRect(QPoint(x1, y1), QPoint(x2 - 1, y2 - 1));
}

PrintOp TextOp(int x, int y, const QString &text, const PrintFont &font)
{
    PrintOp op;
    op.kind = PrintOp::Text;
    op.rect = QRect(x, y, 1, 1);
    op.text = SingleLineText(text);
    op.font = font;
    return op;
}

PrintOp BoxOp(PrintOp::Kind kind, const QRect &rect, int penWidth = 1)
{
    PrintOp op;
    op.kind = kind;
    op.rect = rect;
    op.penWidth = penWidth;
    return op;
}

const PrintFont DeviceFont{PrintFace::Sans, 14, false};
const PrintFont DateFont{PrintFace::Serif, 10, true};
const PrintFont TitleFont{PrintFace::Sans, 12, false};
const PrintFont TableFont{PrintFace::Mono, 10, false};

} // namespace

QString DeviceLine(const ResultsData &results)
{
    if (results.DeviceText.isEmpty())
        return results.CommonRemark;
    if (results.CommonRemark.isEmpty())
        return results.DeviceText;
    return results.DeviceText + QStringLiteral(" - ") + results.CommonRemark;
}

QFont MakePrintFont(const PrintFont &font, int dpiY)
{
    QStringList families;
    QFont::StyleHint hint = QFont::SansSerif;
    switch (font.face) {
    case PrintFace::Sans:
        families = {QStringLiteral("Liberation Sans"), QStringLiteral("Arial")};
        break;
    case PrintFace::Serif:
        families = {QStringLiteral("Liberation Serif"), QStringLiteral("Times New Roman")};
        hint = QFont::Serif;
        break;
    case PrintFace::Mono:
        families = {QStringLiteral("Liberation Mono"), QStringLiteral("Courier New")};
        hint = QFont::TypeWriter;
        break;
    }
    QFont f(families.front());
    f.setFamilies(families);
    f.setStyleHint(hint);
    f.setPixelSize(std::max(1, MulDiv(font.points, dpiY, 72)));
    f.setWeight(QFont::Normal);
    f.setItalic(font.italic);
    return f;
}

DeviceMeasurer::DeviceMeasurer(const QPaintDevice *device, int dpiY) : device_(device), dpiY_(dpiY) {}

QSize DeviceMeasurer::Extent(const PrintFont &font, const QString &text) const
{
    const QFontMetrics fm(MakePrintFont(font, dpiY_), device_);
    return QSize(fm.horizontalAdvance(text), fm.height());
}

QStringList PrintPage::Texts() const
{
    QStringList texts;
    for (const PrintOp &op : ops)
        if (op.kind == PrintOp::Text || op.kind == PrintOp::CellText)
            texts.append(op.text);
    return texts;
}

QString PrintDateText(const QDateTime &when)
{
    return when.toString(QStringLiteral("hh:mm, dd.MM.yyyy"));
}

ResultsPageLayout::ResultsPageLayout(const PageMetrics &page, const PrintMeasurer &measurer, PrintClock clock)
    : page_(page), measurer_(measurer), clock_(std::move(clock))
{
    pxX_ = std::max(1, page_.dpiX) / 25.4;
    pxY_ = std::max(1, page_.dpiY) / 25.4;
    left_ = MmX(20);
    width_ = page_.width - left_ - MmX(10);
    top_ = MmY(15);
    bottom_ = page_.height - MmY(10);
}

int ResultsPageLayout::MmX(double mm) const
{
    return int(mm * pxX_);
}

int ResultsPageLayout::MmY(double mm) const
{
    return int(mm * pxY_);
}

int ResultsPageLayout::TextWidth(const PrintFont &font, const QString &text) const
{
    return measurer_.Extent(font, text).width();
}

int ResultsPageLayout::TextHeight(const PrintFont &font, const QString &text) const
{
    return measurer_.Extent(font, text).height();
}

// Device line, date, the two rules and the file's title; returns the position
// below the title.
int ResultsPageLayout::Header(PrintPage &page, const ResultsData &results, const TResFile &file,
                              const QString &date) const
{
    int y = top_;
    page.ops.push_back(TextOp(left_, y, DeviceLine(results), DeviceFont));

    y += MmY(1.5);
    page.ops.push_back(TextOp(left_ + width_ - TextWidth(DateFont, date), y, date, DateFont));
    y += int(1.5 * TextHeight(DateFont, date));
    // A rule never thinner than one pixel, even on a coarse device.
    page.ops.push_back(BoxOp(PrintOp::Fill, Box(left_, y, left_ + width_, y + std::max(1, MmY(1)))));
    y += MmY(1.5);
    page.ops.push_back(BoxOp(PrintOp::Fill, Box(left_, y, left_ + width_, y + std::max(1, MmY(0.2)))));
    y += MmY(2);

    QString title = file.Remark;
    if (results.FileCount > 1 && title.isEmpty())
        title = Lang("Файл ", "File ") + QString::number(file.Index + 1);
    page.ops.push_back(TextOp(left_, y, title, TitleFont));
    return y + MmY(5);
}

// The values heading at y, underlined; returns where the list starts.
int ResultsPageLayout::ValuesHeading(PrintPage &page, int y) const
{
    page.ops.push_back(TextOp(left_, y, Lang("Измерения:", "Measure:"), TitleFont));
    const int rule = y + MulDiv(TitleFont.points, page_.dpiY, 72) + MmY(1);
    page.ops.push_back(BoxOp(PrintOp::Line, Box(left_, rule, left_ + width_, rule + 1)));
    return y + MmY(10);
}

FileLayout ResultsPageLayout::LayoutFile(const ResultsData &results, int fileIndex, int group) const
{
    FileLayout out;
    if (fileIndex < 0 || fileIndex >= int(results.Files.size()))
        return out;
    const TResFile &file = results.Files[fileIndex];
    const int groups = std::clamp(file.ScalesCount, 0, MaxGroups);
    if (group >= groups)
        group = -1;
    const QString date = PrintDateText(clock_ ? clock_() : QDateTime::currentDateTime());

    // A further page of the same file under the same header; returns where
    // its content starts.
    auto newPage = [&] {
        out.pages.emplace_back();
        out.pages.back().file = fileIndex;
        return Header(out.pages.back(), results, file, date);
    };
    int y = newPage();

    if (groups > 0) {
        const int pen = std::max(1, MmX(0.2));
        const int d = width_ / 5;
        const int r = int(1.5 * TextHeight(TableFont, QStringLiteral("0")));
        auto row = [&](const QString (&cells)[5]) {
            std::vector<PrintOp> &ops = out.pages.back().ops;
            for (int c = 0; c < 5; ++c) {
                const int x1 = left_ + c * d, x2 = left_ + (c + 1) * d;
                ops.push_back(BoxOp(PrintOp::Frame, Box(x1, y, x2 + 1, y + r), pen));
                PrintOp text = BoxOp(PrintOp::CellText, Box(x1, y, x2, y + r), pen);
                text.text = SingleLineText(cells[c]);
                text.font = TableFont;
                ops.push_back(text);
            }
        };
        const QString heads[5] = {Lang("Статистика", "Statistics"), Lang("Измерений", "Count"),
                                  Lang("Минимум", "Minimum"), Lang("Максимум", "Maximum"),
                                  Lang("Среднее", "Average")};
        row(heads);
        for (int g = 0; g < groups; ++g) {
            if (group >= 0 && g != group)
                continue;
            y += r;
            // A table too long for the paper goes on on the next page, under
            // the page header and its own head row.
            if (y + r > bottom_) {
                y = newPage();
                row(heads);
                y += r;
            }
            const QString cells[5] = {file.Scales[g], QString::number(file.SCount[g]),
                                      StatisticText(file, g, Statistic::Min), StatisticText(file, g, Statistic::Max),
                                      StatisticText(file, g, Statistic::Mean)};
            row(cells);
        }
    }

    y += MmY(10);
    // The heading goes with the first lines of the list: when the table has
    // left no room for the heading and a line below it, both start a page.
    const int smallestLine = int(1.2 * TextHeight({PrintFace::Mono, ListMinPoints, false}, QStringLiteral("0")));
    if (groups > 0 && y + MmY(10) + smallestLine > bottom_)
        y = newPage();
    y = ValuesHeading(out.pages.back(), y);
    const int count = std::clamp(file.ValuesCount, 0, MaxValues);
    if (count == 0)
        return out;

    // The longest line in characters sizes the list, whichever lines print.
    QString measuring;
    for (int k = 0; k < count; ++k) {
        const TValue &v = file.Values[k];
        const QString text = QString::number(k + 1) + Blanks5 + u'\t' + v.Scale + Blanks5 + v.Str;
        if (text.size() > measuring.size())
            measuring = text;
    }
    // The tab takes one character cell, as the printer's text calls gave it.
    measuring = SingleLineText(measuring);
    measuring.replace(u'\t', u' ');

    PrintFont font{PrintFace::Mono, ListMaxPoints, false};
    auto listHeight = [&](int rows) { return TextHeight(font, measuring) * double(rows) * 1.2; };
    auto tooWide = [&](int columns) { return TextWidth(font, measuring) > width_ / columns - MmX(2); };
    int rows = count, columns = 1;
    auto fit = [&](int k) {
        columns = k;
        rows = (count + k - 1) / k;
        font.points = ListMaxPoints;
        while (font.points > ListMinPoints && tooWide(columns))
            --font.points;
        while (font.points > ListMinPoints && listHeight(rows) > bottom_ - y)
            --font.points;
    };
    fit(y + listHeight(count) > bottom_ ? 2 : 1);
    // Lines wider than half the page even at the smallest font would run
    // into each other: one column then, running on over further pages.
    if (columns == 2 && tooWide(2))
        fit(1);
    const int h = std::max(1, int(TextHeight(font, measuring) * 1.2));
    out.valuePoints = font.points;
    out.rows = rows;
    out.columns = columns;
    out.lineHeight = h;
    out.listTop = y;

    std::vector<QString> lines;
    for (int k = 0; k < count; ++k) {
        const TValue &v = file.Values[k];
        if (group >= 0 && v.Scale != file.Scales[group])
            continue;
        lines.push_back(QString::number(int(lines.size()) + 1) + Blanks5 + v.Scale + Blanks5 + v.Str);
    }

    const int columnStep = width_ / columns;
    const int fitRows = (bottom_ - y) / h;
    if (rows <= fitRows) {
        for (size_t m = 0; m < lines.size(); ++m) {
            const int x = left_ + (int(m) >= rows ? columnStep : 0);
            out.pages.back().ops.push_back(TextOp(x, y + int(m) % rows * h, lines[m], font));
        }
        return out;
    }

    // Even the smallest font leaves the list too long for the room below the
    // table: the page takes what fits, column by column, and the rest runs on
    // over pages with the same header and heading.
    int pageRows = std::max(0, fitRows);
    size_t m = 0;
    while (m < lines.size()) {
        for (int c = 0; c < columns && m < lines.size(); ++c)
            for (int r = 0; r < pageRows && m < lines.size(); ++r, ++m)
                out.pages.back().ops.push_back(TextOp(left_ + c * columnStep, y + r * h, lines[m], font));
        if (m >= lines.size())
            break;
        y = ValuesHeading(out.pages.back(), newPage());
        pageRows = std::max(1, (bottom_ - y) / h);
    }
    return out;
}

PrintChoice ChoosePrint(const ResultsData &results, bool onRoot, int nodeData)
{
    PrintChoice choice;
    const int count = std::clamp(results.FileCount, 0, int(results.Files.size()));
    if (onRoot) {
        for (int i = 0; i < count; ++i)
            if (results.Files[i].ValuesCount > 0)
                choice.files.push_back(i);
        return choice;
    }
    const int f = NodeFile(nodeData);
    if (f < 0 || f >= count)
        return choice;
    choice.files.push_back(f);
    const int g = NodeGroup(nodeData);
    if (g >= 0 && g < std::min(results.Files[f].ScalesCount, MaxGroups))
        choice.group = g;
    return choice;
}

std::vector<PrintPage> LayoutPrint(const ResultsPageLayout &layout, const ResultsData &results,
                                   const PrintChoice &choice)
{
    std::vector<PrintPage> pages;
    for (int f : choice.files) {
        FileLayout file = layout.LayoutFile(results, f, choice.group);
        for (PrintPage &page : file.pages)
            pages.push_back(std::move(page));
    }
    return pages;
}

QString PrintDocumentName(const ResultsData &results)
{
    return DeviceLine(results);
}

void RenderPage(QPainter &painter, const PrintPage &page, int dpiY)
{
    painter.save();
    painter.setBrush(Qt::NoBrush);
    for (const PrintOp &op : page.ops) {
        switch (op.kind) {
        case PrintOp::Text: {
            const QFont font = MakePrintFont(op.font, dpiY);
            painter.setFont(font);
            painter.setPen(QPen(Qt::black));
            const QFontMetrics fm(font, painter.device());
            painter.drawText(QPoint(op.rect.left(), op.rect.top() + fm.ascent()), op.text);
            break;
        }
        case PrintOp::CellText:
            painter.setFont(MakePrintFont(op.font, dpiY));
            painter.setPen(QPen(Qt::black));
            // Clipped to its cell: a long scale name shows its middle and
            // covers neither the page's edge nor its neighbours.
            painter.drawText(op.rect, Qt::AlignCenter | Qt::TextSingleLine, op.text);
            break;
        case PrintOp::Frame:
            painter.setPen(QPen(Qt::black, op.penWidth, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(QRectF(op.rect.left(), op.rect.top(), op.rect.width() - 1, op.rect.height() - 1));
            break;
        case PrintOp::Fill:
            painter.fillRect(op.rect, Qt::black);
            break;
        case PrintOp::Line:
            painter.setPen(QPen(Qt::black, op.penWidth));
            painter.drawLine(op.rect.left(), op.rect.top(), op.rect.right(), op.rect.top());
            break;
        }
    }
    painter.restore();
}

PageMetrics PrinterMetrics(const QPrinter &printer)
{
    return PageMetrics{printer.width(), printer.height(), printer.logicalDpiX(), printer.logicalDpiY()};
}

namespace {

std::vector<PrintPage> LayoutOn(const QPrinter &printer, const ResultsData &results, const PrintChoice &choice,
                                const PrintClock &clock)
{
    const PageMetrics metrics = PrinterMetrics(printer);
    const DeviceMeasurer measurer(&printer, metrics.dpiY);
    const ResultsPageLayout layout(metrics, measurer, clock);
    return LayoutPrint(layout, results, choice);
}

void PrintError(QWidget *owner, const QString &text)
{
    ui::Message(owner, text, QCoreApplication::applicationName(), ui::MbOk | ui::MbIconError);
}

QString PrinterName(const QPrinter &printer)
{
    if (printer.outputFormat() == QPrinter::PdfFormat)
        return printer.outputFileName();
    return printer.printerName();
}

struct HourglassScope {
    HourglassScope() { SetHourglass(); }
    ~HourglassScope() { RestoreCursor(); }
    HourglassScope(const HourglassScope &) = delete;
    HourglassScope &operator=(const HourglassScope &) = delete;
};

} // namespace

QString PdfFileName(const QString &docName, const QString &lastFile)
{
    QString base;
    for (QChar c : docName)
        base += (c == u'/' || c == u'\\' || c.unicode() < u' ') ? u'-' : c;
    base = base.trimmed();
    if (base.isEmpty() || base == QLatin1String(".") || base == QLatin1String(".."))
        return QString();
    const QString folder = lastFile.isEmpty() ? QDir::homePath() : QFileInfo(lastFile).absolutePath();
    return QDir(folder).filePath(base + QStringLiteral(".pdf"));
}

void PrintResults(QWidget *owner, const ResultsData &results, bool onRoot, int nodeData, PrintClock clock)
{
    QPrinter printer(QPrinter::HighResolution);
    PrintResults(owner, printer, results, onRoot, nodeData, std::move(clock));
}

void PrintResults(QWidget *owner, QPrinter &printer, const ResultsData &results, bool onRoot, int nodeData,
                  PrintClock clock)
{
    const PrintChoice choice = ChoosePrint(results, onRoot, nodeData);
    if (choice.files.empty())
        return;

    printer.setDocName(PrintDocumentName(results));
    if (printer.outputFormat() == QPrinter::PdfFormat) {
        const QString name = PdfFileName(printer.docName(), printer.outputFileName());
        if (!name.isEmpty())
            printer.setOutputFileName(name);
    }
    // The range offered runs over the job's pages as the printer lays them
    // out; a page that runs on counts as a page of its own.
    const ui::PageCounter count = [&](const QPrinter &p) { return int(LayoutOn(p, results, choice, clock).size()); };
    if (!ui::AskPrintJob(owner, printer, count))
        return;

    std::vector<PrintPage> pages;
    {
        HourglassScope hourglass;
        // Paper and resolution may have changed in the dialog.
        pages = LayoutOn(printer, results, choice, clock);
    }
    const std::vector<int> chosen = ui::PagesToPrint(owner, printer, int(pages.size()));
    if (chosen.empty())
        return;
    HourglassScope hourglass;
    PrintPages(owner, printer, PrinterName(printer), pages, chosen);
}

bool PrintPages(QWidget *owner, QPagedPaintDevice &device, const QString &deviceName,
                const std::vector<PrintPage> &pages, const std::vector<int> &numbers)
{
    const int dpiY = device.logicalDpiY();
    QPainter painter;
    if (!painter.begin(&device)) {
        PrintError(owner, Lang("Не удалось начать печать (%1).", "Printing could not start (%1).").arg(deviceName));
        return false;
    }
    bool first = true;
    for (int p : numbers) {
        if (p < 1 || p > int(pages.size()))
            continue;
        if (!std::exchange(first, false) && !device.newPage()) {
            painter.end();
            PrintError(owner, Lang("Печать прервана: принтер не принял страницу %1 (%2).",
                                   "Printing stopped: the printer did not take page %1 (%2).")
                                  .arg(p)
                                  .arg(deviceName));
            return false;
        }
        RenderPage(painter, pages[size_t(p - 1)], dpiY);
    }
    if (!painter.end()) {
        PrintError(owner, Lang("Печать не завершена (%1).", "Printing did not finish (%1).").arg(deviceName));
        return false;
    }
    return true;
}
