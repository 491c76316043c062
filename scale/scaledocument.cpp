#include "scale/scaledocument.h"
#include "common/cformat.h"
#include "common/filereplace.h"
#include "common/lang.h"
#include "common/numeric.h"
#include "common/numtext.h"
#include "scale/progpoints.h"
#include <QDir>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <new>

ScaleDocument::ScaleDocument() = default;

int ScaleDocument::SelectedDegree() const
{
    return (PowerIndex >= 0 && PowerIndex < MaxDegree) ? PowerIndex + 1 : 0;
}

int ScaleDocument::TableDecimals() const
{
    return (ScalePwrIndex >= 1 && ScalePwrIndex <= 3) ? ScalePwrIndex : 0;
}

double ScaleDocument::Approximate(double x) const
{
    if (Polynomial())
        return Fit.Value(x);
    const int n = std::clamp(PointCount, 0, MaxPoints);
    if (n < 2)
        return n == 1 ? PointY[0] : 0.0;
    int i = 1;
    while (i < n - 1 && x >= PointX[i])
        ++i;
    const double dx = PointX[i] - PointX[i - 1];
    const double dy = PointY[i] - PointY[i - 1];
    if (dx == 0)
        return dy > 0 ? TableMax : TableMin;
    return (x - PointX[i - 1]) * (dy / dx) + PointY[i - 1];
}

void ScaleDocument::ClearTable()
{
    TableCount = 0;
    TableX.clear();
    TableX.shrink_to_fit();
    TableY.clear();
    TableY.shrink_to_fit();
    ProgCount = 0;
}

int ScaleDocument::AddPoint(double x, double y)
{
    if (PointCount < 0 || PointCount >= MaxPoints)
        return -1;
    const int i = PointCount++;
    PointX[i] = x;
    PointY[i] = y;
    Modified = true;
    return MovePointDown(i);
}

int ScaleDocument::MovePointDown(int i)
{
    while (i > 0 && PointX[i - 1] > PointX[i]) {
        std::swap(PointX[i - 1], PointX[i]);
        std::swap(PointY[i - 1], PointY[i]);
        --i;
    }
    return i;
}

int ScaleDocument::ChangePoint(int row, double x, double y)
{
    if (row < 0 || row >= std::min(PointCount, MaxPoints))
        return -1;
    PointX[row] = x;
    PointY[row] = y;
    int i = MovePointDown(row);
    while (i < PointCount - 1 && PointX[i + 1] < PointX[i]) {
        std::swap(PointX[i + 1], PointX[i]);
        std::swap(PointY[i + 1], PointY[i]);
        ++i;
    }
    Modified = true;
    return i;
}

bool ScaleDocument::DeletePoint(int row)
{
    if (row < 0 || row >= std::min(PointCount, MaxPoints))
        return false;
    std::copy(PointX + row + 1, PointX + PointCount, PointX + row);
    std::copy(PointY + row + 1, PointY + PointCount, PointY + row);
    --PointCount;
    PointX[PointCount] = PointY[PointCount] = 0.0;
    Modified = true;
    return true;
}

void ScaleDocument::Reset()
{
    PointCount = 0;
    ClearTable();
    AboutText.clear();
    XNameText.clear();
    YNameText.clear();
    Modified = false;
}

std::string CoefFileText(int degree, const double *coef)
{
    const int m = std::clamp(degree, 0, MaxDegree);
    std::string text = CFormat("%d\n", m);
    for (int k = 0; k <= m; ++k) {
        std::string line = CFormat("%20.10lf\n", coef[k]);
        // A tiny negative rounding error is no reason to print "-0.0000000000".
        if (std::signbit(coef[k]) && line.find_first_of("123456789") == std::string::npos)
            line = CFormat("%20.10lf\n", 0.0);
        text += line;
    }
    return text;
}

QString WriteCoefFile(const QString &directory, const QString &fallback, const std::string &text)
{
    const QString name = QString::fromLatin1(CoefFileName);
    const QByteArray bytes = QByteArray::fromStdString(text);
    if (!directory.isEmpty() && ReplaceFile(QDir(directory).filePath(name), bytes))
        return QDir(directory).filePath(name);
    if (!fallback.isEmpty() && QDir().mkpath(fallback) && ReplaceFile(QDir(fallback).filePath(name), bytes))
        return QDir(fallback).filePath(name);
    return QString();
}

QString ScaleDocument::WriteCoefficients() const
{
    return WriteCoefFile(CoefDirectory, CoefUserDirectory, CoefFileText(Degree, Coef));
}

namespace {

struct FieldText {
    LangText message, caption;
};

constexpr FieldText MinEditText = {{"Недопустимое значение начала диапазона !", "Invalid range start value"},
                                   {"Таблица", "Table"}};
constexpr FieldText MaxEditText = {{"Недопустимое значение окончания диапазона !", "Invalid range end value"},
                                   {"Таблица", "Table"}};
constexpr FieldText StepEditText = {{"Недопустимое значение шага таблицы !", "Invalid value of table step"},
                                    {"Таблица", "Table"}};
constexpr FieldText MaxErrEditText = {{"Недопустимое значение максимального отклонения !",
                                       "Invalid value max deviation !"},
                                      {"Интервалы", "Intervals"}};

RecalcReport Refused(ScaleField field, const FieldText &t)
{
    RecalcReport r;
    r.field = field;
    r.fieldMessage = t.message.Text();
    r.fieldCaption = t.caption.Text();
    return r;
}

// Grid indexes beyond this no longer step by whole steps in doubles.
constexpr double MaxGridIndex = 4503599627370496.0; // 2^52

} // namespace

QString TableRowText(double x, double value, int decimals)
{
    // Same digits as printf's "%5.0f  %.Nf" in the C locale (correctly
    // rounded fixed notation), at a fraction of its cost per row.
    char buf[700];
    char *p = buf;
    char head[340];
    auto rx = std::to_chars(head, head + sizeof head, x, std::chars_format::fixed, 0);
    for (std::ptrdiff_t pad = 5 - (rx.ptr - head); pad > 0; --pad)
        *p++ = ' ';
    p = std::copy(head, rx.ptr, p);
    *p++ = ' ';
    *p++ = ' ';
    auto rv = std::to_chars(p, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    return QString::fromLatin1(buf, rv.ptr - buf);
}

bool ScaleDocument::SearchTable(double &w, double &u, std::int64_t &rows) const
{
    const int n = std::clamp(PointCount, 0, MaxPoints);
    const double s = TableStep;
    const double lowGrid = std::floor(PointX[0] / s);
    const double highGrid = std::ceil(PointX[n - 1] / s);
    w = lowGrid * s;
    u = highGrid * s;
    if (!std::isfinite(w) || !std::isfinite(u) || std::fabs(lowGrid) > MaxGridIndex ||
        std::fabs(highGrid) > MaxGridIndex)
        return false;
    // Rows spanned by the points alone; each search can take back at most one.
    if (highGrid - lowGrid - 1 > static_cast<double>(MaxTableRows))
        return false;
    std::int64_t k = TruncToInt64((PointX[n - 1] - PointX[0]) * 10 / s);
    if (k < 0)
        k = 0;
    // A search that passes this many steps makes the table too long anyway.
    const std::int64_t cap = MaxTableRows + 2;
    const bool lowCapped = k > cap, highCapped = k > cap;
    const std::int64_t limit = std::min(k, cap);

    std::int64_t low = 0; // grid steps below lowGrid (negative: above)
    std::int64_t t = 0;
    for (; t < limit; ++t) {
        const double v = Approximate(w);
        if (TableMin < v && v < TableMax) {
            w = w - s;
            ++low;
            continue;
        }
        if (v < TableMin || v > TableMax) {
            w = w + s;
            --low;
        }
        break;
    }
    if (t == limit && lowCapped)
        return false;

    std::int64_t high = 0;
    for (t = 0; t < limit; ++t) {
        const double v = Approximate(u);
        if (TableMin < v && v < TableMax) {
            u = u + s;
            ++high;
            continue;
        }
        if (v < TableMin || v > TableMax) {
            u = u - s;
            --high;
        }
        break;
    }
    if (t == limit && highCapped)
        return false;

    // Counted on the grid, so rounding in the stepped ends cannot lose a row.
    rows = static_cast<std::int64_t>(highGrid - lowGrid) + low + high + 1;
    if (rows < 0)
        rows = 0;
    return rows <= MaxTableRows;
}

bool ScaleDocument::BuildTable(double w, std::int64_t rows)
{
    TableCount = static_cast<int>(rows);
    TableX.assign(TableCount, 0.0);
    TableY.assign(TableCount, 0.0);
    const double s = TableStep;
    // The extremes change only with a whole table: a refused one leaves those
    // of the last table that had rows, never partial or infinite ones.
    double xMin = TableXMin, xMax = TableXMax, yMin = TableYMin, yMax = TableYMax;
    for (int r = 0; r < TableCount; ++r) {
        const double v = Approximate(w);
        TableY[r] = v;
        TableX[r] = w;
        w = w + s;
        if (r == 0) {
            xMin = xMax = TableX[0];
            yMin = yMax = v;
        } else {
            if (TableX[r] < xMin)
                xMin = TableX[r];
            if (TableX[r] > xMax)
                xMax = TableX[r];
            if (v < yMin)
                yMin = v;
            if (v > yMax)
                yMax = v;
        }
        if (!std::isfinite(v))
            return false;
    }
    TableXMin = xMin;
    TableXMax = xMax;
    TableYMin = yMin;
    TableYMax = yMax;
    return true;
}

void ScaleDocument::BuildProgPoints()
{
    ProgCount = 0;
    if (!Intervals || TableCount <= 1)
        return;
    const std::vector<std::int64_t> rows =
        ReduceToProgPoints(TableX.data(), TableY.data(), TableCount, MaxDeviation, MaxProgPoints);
    for (std::int64_t r : rows) {
        ProgX[ProgCount] = TableX[r];
        ProgY[ProgCount] = TableY[r];
        ++ProgCount;
    }
}

RecalcReport ScaleDocument::Recalculate()
{
    ClearTable();
    RecalcReport report;
    const int n = std::clamp(PointCount, 0, MaxPoints);
    if (n < 2)
        return report;

    double v = 0.0;
    if (!numtext::TryStrToFloat(MinText, v))
        return Refused(ScaleField::MinEdit, MinEditText);
    TableMin = v;
    if (!numtext::TryStrToFloat(MaxText, v))
        return Refused(ScaleField::MaxEdit, MaxEditText);
    TableMax = v;
    if (!numtext::TryStrToFloat(StepText, v))
        return Refused(ScaleField::StepEdit, StepEditText);
    TableStep = v;
    if (TableStep < TableStepMinimum)
        return Refused(ScaleField::StepEdit, StepEditText);
    if (!numtext::TryStrToFloat(MaxErrText, v))
        return Refused(ScaleField::MaxErrEdit, MaxErrEditText);
    MaxDeviation = v;
    // A negative deviation can never be met: no chord would fit.
    if (MaxDeviation < 0)
        return Refused(ScaleField::MaxErrEdit, MaxErrEditText);

    if (Polynomial()) {
        Degree = SelectedDegree();
        if (n < Degree)
            return report;
        QString message;
        CentredPolynomial fit;
        if (!LeastSquaresFit(Degree, n, PointX, PointY, Coef, &message, &fit)) {
            report.fitMessages << message
                               << Lang("Ошибка при решении уравнени МНК !", "Error in solving the equation");
            return report;
        }
        Fit = fit;
        std::fill(Fit.coef + Degree + 1, Fit.coef + MatrixCapacity, 0.0);
        report.coefPath = WriteCoefficients();
        report.coefWritten = !report.coefPath.isEmpty();
    }

    double w = 0.0, u = 0.0;
    std::int64_t rows = 0;
    // A table that cannot be tabulated comes from a step unfit for the range.
    auto refuseTable = [&] {
        ClearTable();
        RecalcReport refused = Refused(ScaleField::StepEdit, StepEditText);
        refused.coefWritten = report.coefWritten;
        refused.coefPath = report.coefPath;
        return refused;
    };
    if (!SearchTable(w, u, rows))
        return refuseTable();
    try {
        // An overflowing polynomial far out gives no usable value: no table.
        if (!BuildTable(w, rows))
            return refuseTable();
        BuildProgPoints();
    } catch (const std::bad_alloc &) {
        return refuseTable(); // too large for this machine
    }
    return report;
}
