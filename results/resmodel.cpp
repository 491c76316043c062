#include "results/resmodel.h"
#include "common/numtext.h"
#include <algorithm>
#include <cmath>
#include <cstdio>

int DeviceKind = DeviceKindNormal;

void TResFile::Clear()
{
    const int index = Index;
    *this = TResFile();
    Index = index;
}

double TResFile::Stat(Statistic s, int g) const { return const_cast<TResFile *>(this)->Stat(s, g); }

double &TResFile::Stat(Statistic s, int g)
{
    switch (s) {
    case Statistic::Min: return SMin[g];
    case Statistic::Max: return SMax[g];
    case Statistic::Mean: break;
    }
    return SMx[g];
}

void StatisticReport::Add(const StatisticReport &other)
{
    if (nonNumeric == 0)
        firstText = other.firstText;
    nonNumeric += other.nonNumeric;
}

QString StatisticReport::Message() const
{
    if (Clean())
        return QString();
    return QStringLiteral("'%1' is not a valid floating point value").arg(firstText);
}

bool TryValueToNumber(const QString &text, double &value)
{
    return numtext::TryStrToFloat(text, value);
}

StatisticReport StatisticList(TResFile &file)
{
    StatisticReport report;
    const int count = std::clamp(file.ValuesCount, 0, MaxValues);
    // Group of each value, -1 for none.
    int groupOf[MaxValues];
    int groups = 0;
    for (int k = 0; k < count; ++k) {
        const QString &scale = file.Values[k].Scale;
        int g = 0;
        while (g < groups && file.Scales[g] != scale)
            ++g;
        if (g == groups) {
            if (groups == MaxGroups) {
                groupOf[k] = -1;
                continue;
            }
            file.Scales[groups++] = scale;
        }
        groupOf[k] = g;
    }
    file.ScalesCount = groups;

    // The sum runs in long double so that readings near the double limit
    // still have a finite mean.
    long double sum[MaxGroups] = {};
    int numeric[MaxGroups] = {};
    for (int g = 0; g < groups; ++g) {
        file.SCount[g] = 0;
        file.SMin[g] = file.SMax[g] = file.SMx[g] = 0.0;
    }
    for (int k = 0; k < count; ++k) {
        const int g = groupOf[k];
        if (g < 0)
            continue;
        ++file.SCount[g];
        double v;
        if (!TryValueToNumber(file.Values[k].Str, v)) {
            if (report.nonNumeric++ == 0)
                report.firstText = file.Values[k].Str;
            continue;
        }
        if (numeric[g] == 0) {
            file.SMin[g] = file.SMax[g] = v;
        } else {
            file.SMin[g] = std::min(file.SMin[g], v);
            file.SMax[g] = std::max(file.SMax[g], v);
        }
        sum[g] += v;
        ++numeric[g];
    }
    for (int g = 0; g < groups; ++g) {
        // A group of readings none of which is a number has a count and no
        // minimum, maximum or mean.
        const NoNumberText text = numeric[g] > 0 ? NoNumberText() : NoNumberText(QString());
        for (NoNumberText(&stat)[MaxGroups] : file.SText)
            stat[g] = text;
        if (numeric[g] > 0)
            file.SMx[g] = double(sum[g] / numeric[g]);
    }
    return report;
}

namespace {

// Mantissa and exponent with a decimal comma, for magnitudes the digit form
// cannot hold: 4 significant digits.
QString ExponentText(double x)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.3E", x);
    QString text = QString::fromLatin1(buf);
    text.replace(QLatin1Char('.'), QLatin1Char(','));
    // "9,000E+99" -> "9,000E99", "1,000E-05" -> "1,000E-5"
    const qsizetype e = text.indexOf(QLatin1Char('E'));
    QString mantissa = text.left(e);
    QString exponent = text.mid(e + 1);
    const bool negative = exponent.startsWith(QLatin1Char('-'));
    exponent.remove(0, 1);
    while (exponent.size() > 1 && exponent.startsWith(QLatin1Char('0')))
        exponent.remove(0, 1);
    return mantissa + QLatin1Char('E') + (negative ? QStringLiteral("-") : QString()) + exponent;
}

} // namespace

QString FormatValue(double x)
{
    if (std::isnan(x))
        return QStringLiteral("NAN");
    if (std::isinf(x))
        return x < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    // Beyond 15 digits the integer digits would be noise of the double.
    constexpr double DigitLimit = 1e15;
    int d = 0;
    double n = std::floor(std::fabs(x) + 0.5);
    if (n >= DigitLimit)
        return ExponentText(x);
    while (n < 1000 && d < 3) {
        x = x * 10;
        ++d;
        n = std::floor(std::fabs(x) + 0.5);
    }
    QString t = QString::number(static_cast<long long>(n));
    if (d > 0) {
        while (t.size() <= d)
            t.prepend(QLatin1Char('0'));
        t.insert(t.size() - d, QLatin1Char(','));
    }
    if (x < 0)
        t.prepend(QLatin1Char('-'));
    return t;
}

ResultsData::ResultsData() : Files(MaxResultFiles)
{
    for (int i = 0; i < MaxResultFiles; ++i)
        Files[i].Index = i;
}

StatisticReport ResultsData::TakeRead(const std::vector<std::vector<TValue>> &files)
{
    StatisticReport report;
    FileCount = int(std::min<size_t>(files.size(), ResultFileCount));
    for (int i = 0; i < FileCount; ++i) {
        TResFile &f = Files[i];
        f.Clear();
        const auto &values = files[i];
        f.ValuesCount = int(std::min<size_t>(values.size(), MaxValues));
        for (int k = 0; k < f.ValuesCount; ++k) {
            f.Values[k].Str = values[k].Str;
            f.Values[k].Scale = values[k].Scale;
        }
        report.Add(StatisticList(f));
    }
    return report;
}
