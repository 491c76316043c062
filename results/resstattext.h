#pragma once
// Texts of the results as the clipboard and the printout give them.
#include "results/resmodel.h"
#include <QString>

// The minimum, maximum or mean `value` of group g of file: FormatValue's text,
// or dashes for a group without a numeric reading.
QString StatisticText(const TResFile &file, int g, double value);

// A NUL would cut the text short for whoever reads it as a C string (the
// clipboard's readers, the printer's text calls); it stands as a blank.
QString WithoutNul(QString text);
