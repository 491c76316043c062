#pragma once
// The printed graph of a scale, and the print job both prints share.
#include <QString>
#include <memory>

class QPainter;
class QPrinter;
class QRect;
class QWidget;
class ScaleDocument;
class TNet;

// One print job on a printer the print dialog has set up: starts the painter,
// moves to each page, and shows a clear error box (the exception display's)
// when the job cannot start or cannot go on to a page. Ends the job when it
// goes.
class PrintJob {
public:
    PrintJob(QWidget *owner, QPrinter &printer);
    ~PrintJob();
    PrintJob(const PrintJob &) = delete;
    PrintJob &operator=(const PrintJob &) = delete;

    // Starts the job; false (after the error box) when it cannot.
    bool Begin();
    // Before each printed page: a new sheet for every page but the first.
    bool NextPage(int page);
    // Finishes the job; false when the printer reports a failure.
    bool End();
    QPainter &Painter() { return *painter_; }

    // With no printer installed the print dialog can only write a PDF file:
    // offer one named after the job (docName), in the folder chosen last time
    // or else the working folder (the home folder when that lies outside it).
    static void OfferPdfFileName(QPrinter &printer);

    // The texts of the error boxes.
    static QString BeginErrorText(const QPrinter &printer);
    static QString PageErrorText(int page);

private:
    QWidget *owner_;
    QPrinter &printer_;
    std::unique_ptr<QPainter> painter_;
    int printed_ = 0;
};

// The graph square on a page: the side is 3/4 of the page's smaller
// dimension, centred (a page 4800 x 6600 gives a square of 3600 at (600, 1500)).
QRect GraphPrintSquare(int pageWidth, int pageHeight);

// Draws the graph of the document in direct mode on the painter (a printer
// page) in black on white: the frame with title, the calibration points as
// discs of 0.5 mm radius, the table curve and, with showProgPoints, the
// programming points joined and marked by discs of 0.75 mm radius. dpiX is
// the printer's horizontal resolution (marker sizes). The graph object is
// returned so that the caller can show its queued messages after the job.
std::unique_ptr<TNet> DrawGraphPage(QPainter &painter, const ScaleDocument &doc, const QString &title,
                                    bool showProgPoints, int pageWidth, int pageHeight, double dpiX);

// Prints the document's graph on one page: the print dialog (through the
// dialog seam, offering the one page), then the page. title is the
// description (ScaleEdit), also the graph's title; showProgPoints follows
// IntervalsCheckBox. A print that cannot start, or a page range that leaves
// the page out, shows an error box; returns true when the page was printed.
bool PrintGraph(QWidget *owner, const ScaleDocument &doc, QPrinter &printer, const QString &title,
                bool showProgPoints);
