#include "results/resstattext.h"

QString StatisticText(const TResFile &file, int g, double value)
{
    // A group of overload readings only has a count and no number to show.
    if (g >= 0 && g < MaxGroups && !file.SNumeric[g])
        return QStringLiteral("---");
    return FormatValue(value);
}
