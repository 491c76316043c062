#include "designer/print_table.h"
#include "designer/print_graph.h"

#include "common/cformat.h"
#include "common/dialogs.h"
#include "common/lang.h"
#include "common/numtext.h"
#include "common/qtdialogs.h"
#include "scale/scaledocument.h"

#include <QFont>
#include <QFontMetrics>
#include <QPaintDevice>
#include <QPainter>
#include <QPrinter>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double MmPerInch = 0.03937007874015748; // 1 / 25.4

int Trunc(double v)
{
    return static_cast<int>(v);
}

} // namespace

QFont TablePrintQFont(TablePrintFont font)
{
    QFont f;
    switch (font) {
    case TablePrintFont::Header:
        f.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
        f.setStyleHint(QFont::SansSerif);
        f.setPointSize(14);
        f.setItalic(true);
        break;
    case TablePrintFont::Date:
        f.setFamilies({QStringLiteral("Liberation Serif"), QStringLiteral("Times New Roman")});
        f.setStyleHint(QFont::Serif);
        f.setPointSize(10);
        f.setBold(true);
        f.setItalic(true);
        break;
    case TablePrintFont::Table:
        f.setFamilies({QStringLiteral("Liberation Mono"), QStringLiteral("Courier New")});
        f.setStyleHint(QFont::TypeWriter);
        f.setFixedPitch(true);
        f.setPointSize(10);
        break;
    }
    return f;
}

int DeviceTablePrintMetrics::TextWidth(TablePrintFont font, const QString &text) const
{
    return QFontMetrics(TablePrintQFont(font), device_).horizontalAdvance(text);
}

int DeviceTablePrintMetrics::TextHeight(TablePrintFont font) const
{
    return QFontMetrics(TablePrintQFont(font), device_).height();
}

QString TablePrintDateLine(const QDateTime &when, int page, bool english)
{
    return when.toString(QStringLiteral("dd.MM.yyyy,  hh:mm:ss")) +
           (english ? QStringLiteral(",  page ") : QString::fromUtf8(",  стр. №")) + QString::number(page);
}

int TablePrintFirstRow(double firstX, double step)
{
    const double q = firstX / step;
    if (!std::isfinite(q))
        return 0;
    // fmod is exact, so even a quotient beyond 64 bits keeps its true place.
    double m = std::fmod(std::nearbyint(q), double(TablePrintLayout::RowsPerBlock));
    if (m < 0)
        m += TablePrintLayout::RowsPerBlock;
    return int(m);
}

QString TablePrintXText(double x)
{
    const double a = std::fabs(x);
    const char *pattern = a < 1 ? "0.###" : a < 10 ? "#0.##" : a < 100 ? "#0.#" : "#0";
    return numtext::FormatFloat(QString::fromLatin1(pattern), x);
}

QString TablePrintYText(double y, int decimals)
{
    switch (decimals) {
    case 1: return QCFormat("%.1f", y);
    case 2: return QCFormat("%.2f", y);
    case 3: return QCFormat("%.3f", y);
    default: return QCFormat("%.0f", y);
    }
}

QString TablePrintTitle(const QString &yName, bool english)
{
    return (english ? QStringLiteral("Scale ") : QString::fromUtf8("Шкала ")) + yName;
}

HeaderLines SplitDescription(const QString &description, int pageWidth, double kx,
                             const TablePrintMetrics &metrics)
{
    HeaderLines lines{QString(), description};
    const auto width = [&](const QString &s) { return metrics.TextWidth(TablePrintFont::Header, s); };
    if (width(lines.rest) <= pageWidth - 25 * kx)
        return lines;
    const double limit = pageWidth - 30 * kx;
    while (!lines.rest.isEmpty()) {
        qsizetype end = 0;
        while (end < lines.rest.size() && lines.rest[end] == u' ')
            ++end;
        while (end < lines.rest.size() && lines.rest[end] != u' ')
            ++end;
        const QString word = lines.rest.left(end);
        if (width(lines.first + word) > limit)
            break;
        lines.first += word;
        lines.rest.remove(0, end);
    }
    if (lines.first.isEmpty()) {
        while (!lines.rest.isEmpty() && width(lines.first + lines.rest[0]) <= limit) {
            lines.first += lines.rest[0];
            lines.rest.remove(0, 1);
        }
    }
    return lines;
}

TablePrintLayout::TablePrintLayout(int width, int height, double dpiX, double dpiY, const TablePrintMetrics &metrics)
    : kx(dpiX * MmPerInch), ky(dpiY * MmPerInch), pageWidth(width), pageHeight(height), metrics_(metrics)
{
    penWidth = std::max(1, Trunc(0.2 * kx));
    leftMargin = Trunc(20 * kx);
    columnWidth = Trunc((pageWidth - leftMargin - 10 * kx) * 0.2);
    halfColumn = columnWidth / 2;
}

int TablePrintLayout::Header(TablePrintPage &page, const TablePrintInput &in) const
{
    const HeaderLines lines = SplitDescription(in.description, pageWidth, kx, metrics_);
    const int lineHeight = metrics_.TextHeight(TablePrintFont::Header);
    auto rightAligned = [&](const QString &text, double y) {
        const int w = metrics_.TextWidth(TablePrintFont::Header, text);
        if (!text.isEmpty())
            page.texts.push_back({TablePrintFont::Header,
                                  QRect(Trunc(pageWidth - 10 * kx - w), Trunc(y), w, lineHeight), false, text});
    };
    rightAligned(lines.first, 10 * ky);
    rightAligned(lines.rest, 10 * ky + lineHeight);
    const int h = 2 * lineHeight;

    const int left = Trunc(20 * kx), right = Trunc(pageWidth - 10 * kx);
    auto bar = [&](double top, double bottom) {
        page.bars.push_back(QRect(QPoint(left, Trunc(h + top * ky)), QPoint(right - 1, Trunc(h + bottom * ky) - 1)));
    };
    bar(11, 12);
    bar(12.5, 12.7);

    const int y = Trunc(h + 20 * ky);
    const QString date = TablePrintDateLine(in.when, page.number, in.english);
    const int dateHeight = metrics_.TextHeight(TablePrintFont::Date);
    page.texts.push_back({TablePrintFont::Date,
                          QRect(left, y, metrics_.TextWidth(TablePrintFont::Date, date), dateHeight), false, date});
    return y + (3 * dateHeight) / 2;
}

int TablePrintLayout::RowHeight(int headerBottom) const
{
    const int natural = Trunc(1.2 * metrics_.TextHeight(TablePrintFont::Table));
    const int fit = (pageHeight - headerBottom) / BlockRows;
    return std::max(1, std::min(natural, fit));
}

std::vector<TablePrintPage> TablePrintLayout::Pages(const TablePrintInput &in) const
{
    std::vector<TablePrintPage> pages;
    if (in.count <= 0 || !in.x || !in.y)
        return pages;

    int row = TablePrintFirstRow(in.x[0], in.step);
    int column = 0;
    int y = 0;
    int rowHeight = 1;
    bool newPage = true;
    // A GDI-style rectangle (right and bottom excluded) as a QRect.
    auto cell = [](int l, int t, int r, int b) { return QRect(l, t, r - l, b - t); };

    for (std::int64_t i = 0; i < in.count; ++i) {
        if (newPage) {
            TablePrintPage page;
            page.number = int(pages.size()) + 1;
            y = Header(page, in);
            rowHeight = RowHeight(y);
            for (int c = 0; c < BlocksPerPage; ++c) {
                const int l = leftMargin + c * columnWidth, r = leftMargin + (c + 1) * columnWidth;
                page.blocks.push_back(cell(l, y, r, y + BlockRows * rowHeight));
                const int split = r - 1 - halfColumn;
                page.texts.push_back({TablePrintFont::Table, cell(l + 1, y + 1, split, y + 2 * rowHeight), true, in.xName});
                page.texts.push_back(
                    {TablePrintFont::Table, cell(split + 1, y + 1, split + 1 + halfColumn, y + 2 * rowHeight), true, in.yName});
            }
            y += 2 * rowHeight;
            page.lines.push_back(QLine(leftMargin, y, leftMargin + BlocksPerPage * columnWidth, y));
            y += rowHeight / 2;
            pages.push_back(std::move(page));
            newPage = false;
        }
        TablePrintPage &page = pages.back();
        const int l = leftMargin + column * columnWidth + 1;
        const int t = y + row * rowHeight + 1;
        const int b = y + (row + 1) * rowHeight - 1;
        const int split = leftMargin + (column + 1) * columnWidth - 1 - halfColumn;
        page.texts.push_back({TablePrintFont::Table, cell(l, t, split, b), true, TablePrintXText(in.x[i])});
        page.texts.push_back({TablePrintFont::Table, cell(split + 1, t, split + 1 + halfColumn, b), true,
                              TablePrintYText(in.y[i], in.decimals)});
        if (++row == RowsPerBlock) {
            row = 0;
            if (++column == BlocksPerPage) {
                column = 0;
                // The next page starts with the next value: none after the last.
                newPage = true;
            }
        }
    }
    return pages;
}

int TablePrintLayout::PageCount(const TablePrintInput &in)
{
    if (in.count <= 0 || !in.x || !in.y)
        return 0;
    constexpr std::int64_t perPage = RowsPerBlock * BlocksPerPage;
    const std::int64_t pages = (TablePrintFirstRow(in.x[0], in.step) + in.count - 1) / perPage + 1;
    return int(std::min<std::int64_t>(pages, std::numeric_limits<int>::max()));
}

void RenderTablePage(QPainter &painter, const TablePrintPage &page, int penWidth)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::black);
    for (const QRect &bar : page.bars)
        painter.drawRect(bar);
    painter.setPen(QPen(Qt::black, penWidth, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.setBrush(Qt::white);
    for (const QRect &block : page.blocks)
        painter.drawRect(block);
    for (const QLine &line : page.lines)
        painter.drawLine(line);
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    for (const TablePrintText &t : page.texts) {
        const QFont font = TablePrintQFont(t.font);
        painter.setFont(font);
        if (t.centred) {
            painter.drawText(t.rect, Qt::AlignCenter | Qt::TextSingleLine, t.text);
        } else {
            // Placed by its top-left corner, as the device API does.
            painter.drawText(QPoint(t.rect.left(), t.rect.top() + QFontMetrics(font, painter.device()).ascent()), t.text);
        }
    }
    painter.restore();
}

int PrintHeader(QPainter &painter, int page, const TablePrintInput &in)
{
    QPaintDevice *device = painter.device();
    const DeviceTablePrintMetrics metrics(device);
    const TablePrintLayout layout(device->width(), device->height(), device->logicalDpiX(), device->logicalDpiY(),
                                  metrics);
    TablePrintPage header;
    header.number = page;
    const int y = layout.Header(header, in);
    RenderTablePage(painter, header, layout.penWidth);
    return y;
}

bool PrintTable(QWidget *owner, const ScaleDocument &doc, QPrinter &printer, const PrintClock &clock)
{
    if (doc.TableCount <= 0)
        return false;
    TablePrintInput in;
    in.x = doc.TableX.data();
    in.y = doc.TableY.data();
    in.count = std::min<std::int64_t>(doc.TableCount, std::int64_t(std::min(doc.TableX.size(), doc.TableY.size())));
    in.step = doc.TableStep;
    in.decimals = doc.TableDecimals();
    in.description = doc.AboutText;
    in.xName = doc.XNameText;
    in.yName = doc.YNameText;
    in.english = English;

    printer.setDocName(TablePrintTitle(doc.YNameText, English));
    printer.setPageOrientation(QPageLayout::Portrait);
    PrintJob::OfferPdfFileName(printer);
    if (!ui::AskPrintJob(owner, printer, [&in](const QPrinter &) { return TablePrintLayout::PageCount(in); }))
        return false;

    // The printer answers its metrics before the job starts, so the pages are
    // laid out first and a range that holds none of them is said so.
    const DeviceTablePrintMetrics metrics(&printer);
    const TablePrintLayout layout(printer.width(), printer.height(), printer.logicalDpiX(), printer.logicalDpiY(),
                                  metrics);
    in.when = clock ? clock() : QDateTime::currentDateTime();
    const std::vector<TablePrintPage> pages = layout.Pages(in);
    const std::vector<int> chosen = ui::PagesToPrint(owner, printer, int(pages.size()));
    if (chosen.empty())
        return false;

    PrintJob job(owner, printer);
    if (!job.Begin())
        return false;
    for (int number : chosen) {
        if (!job.NextPage(number))
            return false;
        RenderTablePage(job.Painter(), pages[std::size_t(number - 1)], layout.penWidth);
    }
    return job.End();
}
