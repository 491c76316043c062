#pragma once
// A scale loaded from the instrument, taken into the scale document.
#include "link/scalerecord.h"

#include <functional>

class QObject;
class ScaleDocument;

// The document's points, texts and table inputs from record: the points as
// unsigned halves (y divided by 10^decimals) in the record's order,
// piecewise-linear, x name "U", the name and units, the table range over the
// first and last point's y (smaller first; where the x ascend, each exactly
// as the table computes it there), step 1, maximum deviation one unit of the
// last decimal (a power of ten less where a gentler bend of the points needs
// it, so the reduction gives back the stored points), no programming points,
// the format entry of the decimals. False (document untouched) for a point
// count outside 1..50.
bool ImportScaleRecord(ScaleDocument &doc, const ScaleRecord &record);

// Whether the document's points lie in ascending x (equal x allowed), as the
// table needs them. A negative x written to the instrument comes back as
// 65536 + x, out of order.
bool PointsAscend(const ScaleDocument &doc);

// What the designer window does around the import.
struct ImportSteps {
    QObject *owner = nullptr;           // of the import's message
    std::function<bool()> tryClearAll;  // save prompt and clear; false: the user cancelled
    std::function<void()> showDocument; // controls from the document, their change handlers quiet
    std::function<void()> recalculate;  // the one recalculation and redraw
    std::function<void()> fitGraph;     // the graph range to the new table
};

// After the scale-list dialog: when a scale was loaded, clears the document
// (with its save prompt), imports ScaleBuffer, recalculates, fits the graph
// and marks the document modified; points that do not ascend are imported
// as they came, and a warning says why the table does not follow them.
// ScaleLoaded is false on every way out, also when a step throws. True when
// a scale was imported.
bool ImportLoadedScale(ScaleDocument &doc, const ImportSteps &steps);
