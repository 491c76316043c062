#pragma once
// Printing of the results: one page per result file with its header, its
// per-scale statistics and its numbered values. The layout is plain code over
// a page's size and resolution and a text measurer; the renderer replays it on
// a QPainter, and PrintResults runs the whole command on a QPrinter.
#include "results/resmodel.h"

#include <QDateTime>
#include <QFont>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class QPagedPaintDevice;
class QPaintDevice;
class QPainter;
class QPrinter;
class QWidget;

// The faces of the printout, in both languages.
enum class PrintFace { Sans, Serif, Mono };

struct PrintFont {
    PrintFace face = PrintFace::Sans;
    int points = 12;
    bool italic = false;
    bool operator==(const PrintFont &) const = default;
};

// The font for a device of vertical resolution dpiY: its pixel height is
// points * dpiY / 72, rounded, so layout and drawing agree on every device.
QFont MakePrintFont(const PrintFont &font, int dpiY);

// Size of a text in a font, in device pixels.
class PrintMeasurer {
public:
    virtual ~PrintMeasurer() = default;
    virtual QSize Extent(const PrintFont &font, const QString &text) const = 0;
};

// Measures with the fonts' metrics on a paint device.
class DeviceMeasurer : public PrintMeasurer {
public:
    DeviceMeasurer(const QPaintDevice *device, int dpiY);
    QSize Extent(const PrintFont &font, const QString &text) const override;

private:
    const QPaintDevice *device_;
    int dpiY_;
};

// One drawing step of a page.
struct PrintOp {
    enum Kind {
        Text,      // text with its top-left corner at rect.topLeft()
        CellText,  // text centred on one line in rect, clipped to it
        Frame,     // unfilled rectangle from rect.left/top to right/bottom (exclusive)
        Fill,      // black rectangle covering rect
        Line,      // horizontal line from rect.left to rect.right at rect.top
    };
    Kind kind = Text;
    QRect rect;
    QString text;
    PrintFont font;
    int penWidth = 1;
};

struct PrintPage {
    int file = -1;   // the result file the page belongs to
    std::vector<PrintOp> ops;

    // Texts of the page's Text and CellText steps, in order.
    QStringList Texts() const;
};

// The printable area of a page in device pixels and the device's resolution.
struct PageMetrics {
    int width = 0;
    int height = 0;
    int dpiX = 300;
    int dpiY = 300;
};

using PrintClock = std::function<QDateTime()>;

// "hh:mm, dd.mm.yyyy", the date line of every page.
QString PrintDateText(const QDateTime &when);

// What one result file's layout came to.
struct FileLayout {
    std::vector<PrintPage> pages;
    int valuePoints = 0;   // size of the value list's font (0: no list)
    int rows = 0;          // rows per column (N)
    int columns = 0;       // columns (K)
    int lineHeight = 0;    // pixels from one value line to the next (H)
    int listTop = 0;       // first value line on the first page
};

class ResultsPageLayout {
public:
    // clock null: the current local time.
    ResultsPageLayout(const PageMetrics &page, const PrintMeasurer &measurer, PrintClock clock = {});

    // Millimetres to whole pixels, per axis (truncated).
    int MmX(double mm) const;
    int MmY(double mm) const;
    int Left() const { return left_; }
    int Width() const { return width_; }
    int Top() const { return top_; }
    int Bottom() const { return bottom_; }

    // The pages of result file `file`: the whole file when group < 0, else its
    // statistics row and values of that group only. Normally one page; a
    // statistics table longer than the paper, and a value list that does not
    // fit even at the smallest font, run on over further pages under the same
    // header (the table under its head row again).
    FileLayout LayoutFile(const ResultsData &results, int file, int group) const;

private:
    int TextWidth(const PrintFont &font, const QString &text) const;
    int TextHeight(const PrintFont &font, const QString &text) const;
    int Header(PrintPage &page, const ResultsData &results, const TResFile &file, const QString &date) const;
    int ValuesHeading(PrintPage &page, int y) const;

    PageMetrics page_;
    const PrintMeasurer &measurer_;
    PrintClock clock_;
    double pxX_, pxY_;
    int left_, width_, top_, bottom_;
};

// What a print command on a node covers: files to print (in order) and the
// group of the one file (-1: whole files). No files: nothing to print.
struct PrintChoice {
    std::vector<int> files;
    int group = -1;
};

// onRoot: the device or remark root (every file with values). Otherwise the
// file and group the node's number decodes to; a node of no file prints
// nothing, a file's own remark or count node the whole file.
PrintChoice ChoosePrint(const ResultsData &results, bool onRoot, int nodeData);

// Pages of a whole print, in order.
std::vector<PrintPage> LayoutPrint(const ResultsPageLayout &layout, const ResultsData &results,
                                   const PrintChoice &choice);

// The first line of every page: the device text and the common remark,
// joined by " - " when both are there.
QString DeviceLine(const ResultsData &results);
// The job's title, the same text.
QString PrintDocumentName(const ResultsData &results);

// Draws one laid-out page; dpiY must be the one the layout used.
void RenderPage(QPainter &painter, const PrintPage &page, int dpiY);

PageMetrics PrinterMetrics(const QPrinter &printer);

// Draws the pages numbered (1-based, in order; numbers the pages do not have
// are passed over) on a paged device, one device page each. A device that
// will not start, take the next page or finish is reported in an error box
// naming deviceName; false then.
bool PrintPages(QWidget *owner, QPagedPaintDevice &device, const QString &deviceName,
                const std::vector<PrintPage> &pages, const std::vector<int> &numbers);

// The file a print to PDF is offered under: the whole document name (the
// dialog itself would cut it at its last dot, "Q5-M8 v.1.2.15 - ..." giving
// "Q5-M8 v.1.2.pdf") with ".pdf", in the folder of the last PDF (else the home
// folder). Empty for a document without a name.
QString PdfFileName(const QString &docName, const QString &lastFile);

// The print command: asks with the print dialog through the dialog seam
// (document name set first, all the job's pages offered, counted for the
// paper shown), then prints the chosen pages, counted for the paper chosen;
// a choice that holds none of them is said so. A printer that will not start
// or take the next page is reported in an error box.
void PrintResults(QWidget *owner, const ResultsData &results, bool onRoot, int nodeData, PrintClock clock = {});
// The same on a printer the caller keeps, so that the printer and paper
// chosen in one print are offered again in the next.
void PrintResults(QWidget *owner, QPrinter &printer, const ResultsData &results, bool onRoot, int nodeData,
                  PrintClock clock = {});
