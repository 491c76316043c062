#pragma once
// What the tests of the graph in the window share: a window over x 0 .. 100
// with two points, the plot's pixels in client-area coordinates, and the
// range the document holds for the graph.
#include "tests/designer/designer_util.h"
#include "designer/main_views.h"

class GraphWindowTest : public DesignerTest {
protected:
    // A new window over x 0 .. 100 with, when asked, the points (0, 0) and
    // (100, 50) added.
    TMainForm &StartZeroToHundred(bool withPoints = true)
    {
        TMainForm &f = Start();
        f.MinEdit->setText("0");
        f.MaxEdit->setText("100");
        if (withPoints) {
            Add(0, 0);
            Add(100, 50);
        }
        return f;
    }

    // A client position of a plot pixel.
    QPoint OnPlot(int dx, int dy) const
    {
        const TPlotRect &r = form->Graph->PlotRect;
        return {r.left + dx + form->GraphOriginX, r.top + dy + form->GraphOriginY};
    }

    struct Range {
        double xMin, xMax, yMin, yMax;
        bool operator==(const Range &) const = default;
    };
    Range DocRange() const
    {
        const ScaleDocument &d = form->Document;
        return {d.GraphXMin, d.GraphXMax, d.GraphYMin, d.GraphYMax};
    }
};
