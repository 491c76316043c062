#pragma once
// Loaded results for the copy and print tests.
#include "results/resmodel.h"
#include <initializer_list>
#include <utility>

namespace outfix {

// Sets a file's values (value text, scale name) and computes its statistics.
inline void SetValues(TResFile &f, std::initializer_list<std::pair<QString, QString>> values)
{
    f.ValuesCount = 0;
    for (const auto &[str, scale] : values) {
        f.Values[f.ValuesCount].Str = str;
        f.Values[f.ValuesCount].Scale = scale;
        ++f.ValuesCount;
    }
    StatisticList(f);
}

inline QString U(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

// A read of 99 files with values in files 1, 2 and 5 (positions 0, 1, 4);
// file 3 has a remark but no values.
inline ResultsData NinetyNine()
{
    ResultsData r;
    r.DeviceText = U("Q5-M8 №17");
    r.CommonRemark = U("Цех 2");
    r.FileCount = 99;
    SetValues(r.Files[0], {{"1.234", U("ШКАЛА1")}, {"2.5", U("ШКАЛА1")}, {"-0.5", "U2"}});
    r.Files[1].Remark = U("Партия А");
    SetValues(r.Files[1], {{"10", "P"}});
    r.Files[2].Remark = U("пусто");
    SetValues(r.Files[4], {{"0.002", "Q"}, {"-----", "Q"}, {"7", "Q"}});
    return r;
}

} // namespace outfix
