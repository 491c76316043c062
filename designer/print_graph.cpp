#include "designer/print_graph.h"

#include "common/dialogs.h"
#include "common/exceptiondisplay.h"
#include "common/lang.h"
#include "common/qtdialogs.h"
#include "graph/net.h"
#include "scale/scaledocument.h"

#include <QPainter>
#include <QDir>
#include <QFileInfo>
#include <QPrinter>
#include <QPrinterInfo>
#include <QWidget>
#include <QRect>

PrintJob::PrintJob(QWidget *owner, QPrinter &printer) : owner_(owner), printer_(printer) {}

PrintJob::~PrintJob()
{
    if (painter_ && painter_->isActive())
        painter_->end();
}

void PrintJob::OfferPdfFileName(QPrinter &printer)
{
    if (printer.docName().isEmpty() || !QPrinterInfo::availablePrinterNames().isEmpty())
        return;
    QString folder = QFileInfo(printer.outputFileName()).absolutePath();
    if (printer.outputFileName().isEmpty()) {
        folder = QDir::currentPath();
        if (!folder.startsWith(QDir::homePath()))
            folder = QDir::homePath();
    }
    // A name that cannot be a file name part stays out of the path.
    QString name = printer.docName();
    name.replace(u'/', u'_');
    printer.setOutputFileName(QDir(folder).filePath(name + QStringLiteral(".pdf")));
}

QString PrintJob::BeginErrorText(const QPrinter &printer)
{
    const QString file = printer.outputFileName();
    if (!file.isEmpty())
        return Lang("Не удается начать печать в файл ", "Cannot start printing to the file ") + file;
    return Lang("Не удается начать печать на принтере ", "Cannot start printing on the printer ") +
           printer.printerName();
}

QString PrintJob::PageErrorText(int page)
{
    return Lang("Печать прервана: не удается начать страницу ", "Printing stopped: cannot start page ") +
           QString::number(page);
}

bool PrintJob::Begin()
{
    painter_ = std::make_unique<QPainter>();
    if (!painter_->begin(&printer_)) {
        ShowExceptionMessage(owner_, BeginErrorText(printer_));
        return false;
    }
    return true;
}

bool PrintJob::NextPage(int page)
{
    if (printed_++ > 0 && !printer_.newPage()) {
        ShowExceptionMessage(owner_, PageErrorText(page));
        printer_.abort();
        return false;
    }
    return true;
}

bool PrintJob::End()
{
    const bool ok = painter_ && painter_->end() && printer_.printerState() != QPrinter::Error;
    painter_.reset();
    return ok;
}

QRect GraphPrintSquare(int pageWidth, int pageHeight)
{
    const int side = std::min(int(0.75 * pageWidth), int(0.75 * pageHeight));
    return QRect((pageWidth - side) / 2, (pageHeight - side) / 2, side, side);
}

std::unique_ptr<TNet> DrawGraphPage(QPainter &painter, const ScaleDocument &doc, const QString &title,
                                    bool showProgPoints, int pageWidth, int pageHeight, double dpiX)
{
    const QRect square = GraphPrintSquare(pageWidth, pageHeight);
    auto net = std::make_unique<TNet>(&painter, title, square.width(), square.height(), doc.GraphXMin,
                                      doc.GraphXMax, doc.GraphYMin, doc.GraphYMax, 0, 0, 0xFFFFFF, false, true);
    const double k = dpiX * 0.03937007874015748; // pixels per millimetre
    net->PaintTo(&painter, square.x(), square.y(), square.width(), square.height());
    net->DrawPoints(doc.PointCount, doc.PointX, doc.PointY, int(0.5 * k), 0, true, 0);
    const int tableCount = int(std::min<std::size_t>({std::size_t(std::max(doc.TableCount, 0)), doc.TableX.size(),
                                                      doc.TableY.size()}));
    net->DrawPolyline(tableCount, doc.TableX.data(), doc.TableY.data(), 0, false, 0, 0, false);
    if (showProgPoints)
        net->DrawPolyline(doc.ProgCount, doc.ProgX, doc.ProgY, 0, true, int(0.75 * k), 0, true);
    return net;
}

bool PrintGraph(QWidget *owner, const ScaleDocument &doc, QPrinter &printer, const QString &title,
                bool showProgPoints)
{
    if (!ui::AskPrintJob(owner, printer, [](const QPrinter &) { return 1; }) ||
        ui::PagesToPrint(owner, printer, 1).empty())
        return false;
    std::unique_ptr<TNet> net;
    bool ok = false;
    {
        PrintJob job(owner, printer);
        if (!job.Begin())
            return false;
        job.NextPage(1);
        net = DrawGraphPage(job.Painter(), doc, title, showProgPoints, printer.width(), printer.height(),
                            printer.logicalDpiX());
        ok = job.End();
    }
    ShowNetMessages(*net, owner);
    return ok;
}
