#include "transfer/scaleimport.h"

#include "common/dialogs.h"
#include "common/lang.h"
#include "common/numtext.h"
#include "common/win1251.h"
#include "scale/scaledocument.h"
#include "transfer/prx54.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>

namespace {

// The deviation the reduction is given, in units of the last decimal. One unit
// lets a chord run past a gentle bend (at 0:0 1000:1250 2000:2600 by ten rows,
// to a point the record never held), so writing the scale back would move its
// points. A bend of the stored polyline deviates from the chord that runs one
// row past it by |dy2*dx1 - dy1*dx2| / (dx2 * (dx1 + 1)) units (step 1, anchor
// at the point before); below half the gentlest such bend every bend breaks
// on its own row. The gentlest bend 16-bit points allow is about 1e-9 units,
// still well above the rounding of the table along a straight run. The largest
// power of ten under that (a count of tenths), never more than one unit, keeps
// the edit readable. Points on a straight line through their neighbours are
// no bend: the reduction drops them and the line stays the same.
int ImportDeviationTenths(const ScaleRecord &record, int count)
{
    double gentlest = 0; // none yet
    for (int j = 1; j + 1 < count; ++j) {
        const std::int64_t x0 = RecordPointX(record, j - 1), x1 = RecordPointX(record, j),
                           x2 = RecordPointX(record, j + 1);
        const std::int64_t y0 = RecordPointY(record, j - 1), y1 = RecordPointY(record, j),
                           y2 = RecordPointY(record, j + 1);
        const std::int64_t dx1 = x1 - x0, dx2 = x2 - x1;
        if (dx1 <= 0 || dx2 <= 0)
            continue; // no slope to bend: equal or unordered x
        const std::int64_t turn = std::llabs((y2 - y1) * dx1 - (y1 - y0) * dx2);
        if (turn == 0)
            continue;
        const double bend = static_cast<double>(turn) / (static_cast<double>(dx2) * static_cast<double>(dx1 + 1));
        if (gentlest == 0 || bend < gentlest)
            gentlest = bend;
    }
    int tenths = 0;
    while (gentlest > 0 && std::pow(10.0, -tenths) > gentlest / 2)
        ++tenths;
    return tenths;
}

// Text that reads back as exactly v: the class library's form where its
// fifteen digits suffice (always for a stored y), else up to seventeen.
QString ExactText(double v)
{
    QString text = numtext::FloatToStr(v);
    double back = 0;
    for (int digits = 16; digits <= 17 && !(numtext::TryStrToFloat(text, back) && back == v); ++digits)
        text = QString::number(v, 'g', digits).replace(QLatin1Char('.'), QLatin1Char(numtext::DecimalSeparator()));
    return text;
}

} // namespace

bool PointsAscend(const ScaleDocument &doc)
{
    const int n = std::clamp(doc.PointCount, 0, MaxPoints);
    for (int i = 1; i < n; ++i)
        if (doc.PointX[i] < doc.PointX[i - 1])
            return false;
    return true;
}

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
    // The first and last point's y, smaller first: a falling scale keeps its
    // first and last point in the table.
    // Where the x ascend, the bounds are exactly the table's values at the end
    // points, where the range search stops. The last segment computed at the
    // last point may come out one rounding off its y (at 34281:253
    // 56940:50536, 50536.00000000001): beyond the y, the strict search would
    // cut the last point off; short of it on an end that runs back into the
    // range, it would run on past it. A vertical end segment stands for a
    // bound itself: there the stored y. Where they do not ascend the segments
    // are no curve, and the stored y stand.
    double first = doc.PointY[0], last = doc.PointY[count - 1];
    if (PointsAscend(doc)) {
        const double keepMin = doc.TableMin, keepMax = doc.TableMax;
        doc.TableMin = doc.TableMax = std::numeric_limits<double>::quiet_NaN();
        const auto endValue = [&doc](int i) {
            const double v = doc.Approximate(doc.PointX[i]);
            return std::isnan(v) ? doc.PointY[i] : v;
        };
        first = endValue(0);
        last = endValue(count - 1);
        doc.TableMin = keepMin;
        doc.TableMax = keepMax;
    }
    doc.MinText = ExactText(std::min(first, last));
    doc.MaxText = ExactText(std::max(first, last));
    doc.StepText = QStringLiteral("1");
    doc.Intervals = false;
    doc.MaxErrText = numtext::FloatToStr(1.0 / (f * std::pow(10.0, ImportDeviationTenths(record, count))));
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
    if (!PointsAscend(doc))
        ui::Message(steps.owner,
                    Lang("X точек загруженной шкалы идут не по возрастанию (отрицательное X прибор хранит как "
                         "65536 + X), и таблица по ним пуста или неверна. Исправьте X этих точек.",
                         "The X of the loaded scale's points do not ascend (the instrument keeps a negative X as "
                         "65536 + X), so the table over them is empty or wrong. Correct the X of these points."),
                    QCoreApplication::applicationName(), ui::MbOk | ui::MbIconWarning);
    return true;
}
