#pragma once
// The printed table of a scale: x and y side by side in five column blocks of
// 50 rows per page, each page under a header (the description right-aligned
// in up to two lines, two black bars, the date line with the page number).
//
// TablePrintLayout computes every page as plain data (rectangles, lines and
// texts in printer pixels), so it can be checked without a printer; the
// renderer only draws that data on a printer's painter.
#include <QDateTime>
#include <QLine>
#include <QRect>
#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

class QFont;
class QPaintDevice;
class QPainter;
class QPrinter;
class QWidget;
class ScaleDocument;

// The three fonts of the page.
enum class TablePrintFont {
    Header, // the description: "Arial" 14, italic
    Date,   // the date line: "Times New Roman" 10, bold italic
    Table,  // heads and values: "Courier New" 10 (monospaced)
};

// Text metrics in printer pixels, as the layout asks for them.
class TablePrintMetrics {
public:
    virtual ~TablePrintMetrics() = default;
    virtual int TextWidth(TablePrintFont font, const QString &text) const = 0;
    // The line height of the font (the same for every text, empty included).
    virtual int TextHeight(TablePrintFont font) const = 0;
};

// The fonts' own metrics on a paint device (the printer).
class DeviceTablePrintMetrics : public TablePrintMetrics {
public:
    explicit DeviceTablePrintMetrics(QPaintDevice *device) : device_(device) {}
    int TextWidth(TablePrintFont font, const QString &text) const override;
    int TextHeight(TablePrintFont font) const override;

private:
    QPaintDevice *device_;
};

// The printed page's font for each role: the metric-compatible families with
// Cyrillic that the build installs, with style hints.
QFont TablePrintQFont(TablePrintFont font);

using PrintClock = std::function<QDateTime()>;

// The page header's date line: "dd.mm.yyyy,  hh:nn:ss,  page N" in English,
// "dd.mm.yyyy,  hh:nn:ss,  стр. №N" in Russian (two blanks after each comma).
QString TablePrintDateLine(const QDateTime &when, int page, bool english);

// The row (0..49) of the first value in its block of 50 steps: the quotient
// x / step rounded to the nearest whole step (the first x is a whole number
// of steps), floor modulo 50, so negative x place too.
int TablePrintFirstRow(double firstX, double step);

// The x column's text: the magnitude by its pattern ("0.###" below 1, "#0.##"
// below 10, "#0.#" below 100, "#0" above) with the process decimal separator,
// and a minus sign for a negative value that does not print as zero.
QString TablePrintXText(double x);
// The y column's text: printf-style with 0, 1 or 2 decimals ('.' always).
QString TablePrintYText(double y, int decimals);

// The description split as the header prints it: first line (maybe empty) and
// the rest. Split only when the whole is wider than page width - 25 mm; the
// first line then takes whole words (leading blanks and the word) while they
// fit in page width - 30 mm, or, when not even one word fits, single characters.
struct HeaderLines {
    QString first;
    QString rest;
};
HeaderLines SplitDescription(const QString &description, int pageWidth, double kx,
                             const TablePrintMetrics &metrics);

struct TablePrintText {
    TablePrintFont font;
    QRect rect;         // centred texts: the cell; others: top-left at rect.topLeft()
    bool centred;       // centred in the cell on one line, clipped to it
    QString text;
};

struct TablePrintPage {
    int number = 0;                   // 1-based
    std::vector<TablePrintText> texts;
    std::vector<QRect> bars;          // filled black (header bars)
    std::vector<QRect> blocks;        // framed with the pen width, filled white
    std::vector<QLine> lines;         // the head line under the column heads
};

struct TablePrintInput {
    const double *x = nullptr;
    const double *y = nullptr;
    std::int64_t count = 0;
    double step = 1.0;
    int decimals = 0;
    QString description; // the header (ScaleEdit)
    QString xName;       // the column heads (XNameEdit, YNameEdit)
    QString yName;
    bool english = false;
    QDateTime when;      // printed in every page's date line
};

class TablePrintLayout {
public:
    static constexpr int RowsPerBlock = 50;
    static constexpr int BlocksPerPage = 5;
    static constexpr int BlockRows = 53; // 2 head rows, head line and half a row, 50 values, half a row

    // pageWidth x pageHeight: the printable page in printer pixels;
    // dpiX, dpiY: the printer's resolution across and down.
    TablePrintLayout(int pageWidth, int pageHeight, double dpiX, double dpiY, const TablePrintMetrics &metrics);

    // Pixels per millimetre across and down.
    double kx, ky;
    int pageWidth, pageHeight;
    int penWidth;
    int leftMargin;
    int columnWidth;
    int halfColumn;

    // The header of one page, from y = 0; returns the first free line below it.
    int Header(TablePrintPage &page, const TablePrintInput &in) const;
    // Row height: 1.2 x the table font's line height, but never more than
    // the space below the header allows for the 53 rows of a block.
    int RowHeight(int headerBottom) const;

    // Every page of the table (none for an empty table).
    std::vector<TablePrintPage> Pages(const TablePrintInput &in) const;
    // How many pages Pages gives, on any paper (every page holds 250 values).
    static int PageCount(const TablePrintInput &in);

private:
    const TablePrintMetrics &metrics_;
};

// The job title: "Шкала " / "Scale " + the y scale's name.
QString TablePrintTitle(const QString &yName, bool english);

// Draws one laid-out page with the painter (pen, brush and fonts as printed).
void RenderTablePage(QPainter &painter, const TablePrintPage &page, int penWidth);

// Prints the header of page number `page` on the painter's device (its size
// and resolution) and returns the first free line below it.
int PrintHeader(QPainter &painter, int page, const TablePrintInput &in);

// Prints the document's table: nothing for an empty table; else the print
// dialog (through the dialog seam) with the job title set first and all the
// table's pages offered, then the pages the user asked for (a choice that
// holds none of them is said so). A print that cannot start or go on to a page
// shows an error box; returns true when the job was printed. clock gives the
// date of the date line (the current time when empty).
bool PrintTable(QWidget *owner, const ScaleDocument &doc, QPrinter &printer, const PrintClock &clock = {});
