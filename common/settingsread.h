#pragma once
// Reading the programs' stored settings (QSettings standing for the
// registry): a value that is missing, or that cannot be read as what it
// should be, takes its default, as the registry reads would give it.
#include <QString>

class QSettings;

// An integer stored as a number or as its decimal text (spaces before it and
// a sign allowed). Anything else, text that is not a whole number, a
// number out of the int range, a list, gives fallback, as a missing value does.
int ReadInteger(QSettings &settings, const QString &key, int fallback);

// A text as stored; fallback when missing. A value that the INI syntax splits
// at its commas (written by hand without quotes, "1,5") is read whole again.
QString ReadString(QSettings &settings, const QString &key, const QString &fallback);
