#pragma once
// The results file (".osl3"): an INI file in Windows-1251 that holds the
// device text, the common remark and every file with its values and the
// statistics as they were computed after the read.
#include "results/resmodel.h"
#include <QString>

inline constexpr const char *ResultsFileExtension = "osl3";
// The device text a file without a "Device" key reads as.
inline constexpr const char *UnknownDevice = "$$$__unknown__$$$";
// A common remark that is blank in the file shows as this.
inline constexpr const char *BlankRemark = "--------------------";

// Writes the results in one replace of the file; keys of an earlier, larger
// content stay where the reader never looks. Throws EIniFileException
// ("Unable to write to <path>") and leaves the old file as it was.
void SaveResultsFile(const ResultsData &data, const QString &path);

// Reads a results file into data and returns the device kind it names
// (DeviceKindKvr20 for "KVR-20" / "КВР-20" devices). The counts that size
// what is read are clamped (a group's SCount is only shown and is taken as
// it stands), missing keys take their defaults, and a float key that holds
// no number keeps its text for the next save. A file without a "Device" key
// gives UnknownDevice and no files, and leaves the common remark as it was. A
// path that is no regular file (missing, a directory, a FIFO) changes nothing.
int LoadResultsFile(ResultsData &data, const QString &path);

// The value text of a key as it must stand in the file to read back the
// same: CR, LF and NUL become blanks; a text with blanks at either end or
// with a quote at either end is put in quotes (the reader strips one pair).
QString FileValueText(const QString &text);
