#pragma once
// Texts of the statistics as the tree, the clipboard and the printout show them.
#include "results/resmodel.h"
#include <QString>

// The minimum, maximum or mean `value` of group g of file: FormatValue's text,
// or dashes for a group without a numeric reading.
QString StatisticText(const TResFile &file, int g, double value);
