#include "results/resstattext.h"

QString StatisticText(const TResFile &file, int g, Statistic which)
{
    if (g < 0 || g >= MaxGroups)
        return QString();
    // A group of overload readings, or a file's key that held no number,
    // has nothing to show but dashes.
    if (!file.HasNumber(which, g))
        return QStringLiteral("---");
    return FormatValue(file.Stat(which, g));
}
