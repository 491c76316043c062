// The printed graph: direct mode on a PDF printer, checked by rendering the
// page back with pdftoppm.
#include "common/numtext.h"
#include "graph/net.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

bool Dark(QRgb c)
{
    return qGray(c) < 96;
}

TEST(PrintTest, DirectModeOnAPdfPageDrawsTheFrame)
{
    numtext::SetDecimalSeparator(',');
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString pdf = dir.filePath("graph.pdf");

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setFullPage(true);
    const int dpi = printer.resolution();

    TPlotRect plot;
    QRect page;
    {
        QPainter painter(&printer);
        ASSERT_TRUE(painter.isActive());
        page = painter.viewport();
        const int side = std::min(page.width() * 3 / 4, page.height() * 3 / 4);
        const int left = (page.width() - side) / 2, top = (page.height() - side) / 2;
        TNet net(&painter, QString::fromUtf8("Шкала / scale"), side, side, 0, 100, 0, 100, 0, 0, 0xFFFFFF, false,
                 true);
        net.PaintTo(&painter, left, top, side, side);
        plot = net.PlotRect;
        const double k = dpi * 0.03937007874015748;
        const double xs[] = {10, 50, 90}, ys[] = {20, 60, 30};
        net.DrawPoints(3, xs, ys, int(0.5 * k), 0, true, 0);
        net.DrawPolyline(3, xs, ys, 0, true, int(0.75 * k), 0, true);
        EXPECT_TRUE(net.Messages.isEmpty());
        // Margins come from the label font sized at the printer's resolution
        // (8 points), not at the screen's: four half lines are some 4 mm.
        EXPECT_GT(plot.top - top, 3 * dpi / 25.4);
        EXPECT_GT(plot.left, left);
        EXPECT_LT(plot.right, left + side);
    }
    ASSERT_TRUE(QFile::exists(pdf));

    const int renderDpi = 100;
    QProcess tool;
    tool.start("pdftoppm", {"-r", QString::number(renderDpi), "-png", "-singlefile", pdf, dir.filePath("page")});
    ASSERT_TRUE(tool.waitForFinished(20000));
    ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    QImage img(dir.filePath("page.png"));
    ASSERT_FALSE(img.isNull());

    auto toImage = [&](int device) { return int(double(device) * renderDpi / dpi); };
    const int l = toImage(plot.left), r = toImage(plot.right), t = toImage(plot.top), b = toImage(plot.bottom);
    auto darkNear = [&](int x, int y, bool horizontal) {
        for (int d = -2; d <= 2; ++d) {
            const int px = horizontal ? x : x + d, py = horizontal ? y + d : y;
            if (px >= 0 && py >= 0 && px < img.width() && py < img.height() && Dark(img.pixel(px, py)))
                return true;
        }
        return false;
    };
    const int mx = (l + r) / 2, my = (t + b) / 2;
    EXPECT_TRUE(darkNear(l, my + 3, false)) << "left edge";
    EXPECT_TRUE(darkNear(r, my + 3, false)) << "right edge";
    EXPECT_TRUE(darkNear(mx + 3, t, true)) << "top edge";
    EXPECT_TRUE(darkNear(mx + 3, b, true)) << "bottom edge";
    // White paper around the frame and in an empty cell of the grid.
    EXPECT_EQ(img.pixel(5, 5), qRgb(255, 255, 255));
    const int cell = (r - l) / 10;
    EXPECT_EQ(img.pixel(l + cell * 8 + cell / 2, t + cell / 2 - 1), qRgb(255, 255, 255));
    numtext::SetDecimalSeparator('.');
}

} // namespace
