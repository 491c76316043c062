#pragma once
// Texts of the statistics as the tree, the clipboard and the printout show them.
#include "results/resmodel.h"
#include <QString>

// The minimum, maximum or mean of group g of file: FormatValue's text, or
// dashes where that statistic holds no number.
QString StatisticText(const TResFile &file, int g, Statistic which);
