#include "transfer/scaleimport.h"

#include "common/numtext.h"
#include "common/win1251.h"
#include "scale/scaledocument.h"
#include "transfer/prx54.h"

#include <algorithm>

bool ImportScaleRecord(ScaleDocument &doc, const ScaleRecord &record)
{
    const int count = record[scalerec::PointCount];
    if (count < 1 || count > std::min(MaxPoints, ScaleRecordMaxPoints))
        return false;
    const int d = record[scalerec::Decimals];
    const int entry = d >= 1 && d <= 3 ? d : 0;
    const double f = entry == 1 ? 10.0 : entry == 2 ? 100.0 : entry == 3 ? 1000.0 : 1.0;

    doc.PointCount = count;
    for (int i = 0; i < count; ++i) {
        doc.PointX[i] = RecordPointX(record, i);
        doc.PointY[i] = RecordPointY(record, i) / f;
    }
    doc.ATypeIndex = 0;
    doc.XNameText = QStringLiteral("U");
    doc.YNameText = FieldText(&record[scalerec::Name], scalerec::NameWidth);
    doc.UnitsText = FieldText(&record[scalerec::Units], scalerec::UnitsWidth);
    // Smaller first: a falling scale keeps its first and last point in the table.
    const double first = doc.PointY[0], last = doc.PointY[count - 1];
    doc.MinText = numtext::FloatToStr(std::min(first, last));
    doc.MaxText = numtext::FloatToStr(std::max(first, last));
    doc.StepText = QStringLiteral("1");
    doc.Intervals = false;
    doc.MaxErrText = numtext::FloatToStr(1.0 / f);
    doc.ScalePwrIndex = entry;
    return true;
}

bool ImportLoadedScale(ScaleDocument &doc, const ImportSteps &steps)
{
    struct ClearLoaded {
        ~ClearLoaded() { ScaleLoaded = false; }
    } clearLoaded;
    if (!ScaleLoaded)
        return false;
    if (steps.tryClearAll && !steps.tryClearAll())
        return false;
    if (!ImportScaleRecord(doc, ScaleBuffer))
        return false;
    if (steps.showDocument)
        steps.showDocument();
    if (steps.recalculate)
        steps.recalculate();
    if (steps.fitGraph)
        steps.fitGraph();
    doc.Modified = true;
    return true;
}
