#pragma once
// The results the reader holds: the instrument's result files with their
// values, the per-scale statistics of each file, and the short number text
// the tree, the printout and the clipboard show statistics with.
#include <QString>
#include <optional>
#include <vector>

constexpr int MaxValues = 100;       // values a result file holds
constexpr int MaxGroups = 25;        // scale groups a result file holds
constexpr int ResultFileCount = 99;  // files a read gives, at most a results file holds
constexpr int MaxResultFiles = 100;  // records the main window keeps (the last is never filled)

// The global device mode: 0 normally, 8 while a results file of the other
// instrument ("KVR-20") is loaded (no value list, no popup menu).
constexpr int DeviceKindNormal = 0;
constexpr int DeviceKindKvr20 = 8;
extern int DeviceKind;

// A number of a results file that is no number: the key's text where it
// does not convert (blank, a typo, beyond the double range). The number
// beside it then holds 0, and the text is what a save writes back.
using NoNumberText = std::optional<QString>;

// One value: the reading as the instrument showed it and the scale it was
// measured with. Count and Value are numbers a results file may carry along;
// a read leaves them empty.
struct TValue {
    QString Str;
    QString Scale;
    int Count = 0;        // 0..2 numbers of Value in use
    double Value[2] = {0.0, 0.0};
};

// The three statistics of a group, in the order they are shown.
enum class Statistic { Min, Max, Mean };

// One result file of the instrument.
struct TResFile {
    int Index = 0;        // own position in the list of files
    QString Remark;
    int ValuesCount = 0;  // 0..MaxValues
    TValue Values[MaxValues];
    // Where a value's stored number k held no number in the file, its text.
    NoNumberText ValueText[MaxValues][2];
    int ScalesCount = 0;  // 0..MaxGroups
    QString Scales[MaxGroups];
    // Values of the group, numeric or not; from a results file, whatever it
    // holds (only shown, never used to count anything out).
    int SCount[MaxGroups] = {};
    double SMin[MaxGroups] = {};
    double SMax[MaxGroups] = {};
    double SMx[MaxGroups] = {};   // mean of the numeric values
    // Each statistic that holds no number, on its own (indexed by
    // Statistic): an empty text for a group none of whose readings is a
    // number (an overload shows dashes), or the text a results file held
    // there. Such a statistic shows as dashes and its double holds 0.
    NoNumberText SText[3][MaxGroups];

    double Stat(Statistic s, int g) const;
    double &Stat(Statistic s, int g);
    const NoNumberText &StatText(Statistic s, int g) const { return SText[int(s)][g]; }
    bool HasNumber(Statistic s, int g) const { return !StatText(s, g).has_value(); }

    // Back to a new record (Index kept).
    void Clear();
};

// What StatisticList found: readings that are not numbers stay in their
// group's count and out of its minimum, maximum and mean.
struct StatisticReport {
    int nonNumeric = 0;   // grouped values whose text is not a number
    QString firstText;    // the first of them

    bool Clean() const { return nonNumeric == 0; }
    void Add(const StatisticReport &other);
    // "'<text>' is not a valid floating point value" for the first bad text;
    // empty when all converted.
    QString Message() const;
};

// Groups the file's values by scale name (exact comparison, first
// occurrence order, at most MaxGroups groups; values of later names join no
// group) and computes count, minimum, maximum and mean of each group. The
// texts convert with the process-wide decimal separator.
StatisticReport StatisticList(TResFile &file);

// Value text to number by the reader's grammar: spaces around, optional sign,
// digits with at most one decimal separator, optional exponent.
bool TryValueToNumber(const QString &text, double &value);

// The short statistics text: at most three decimals, at least four digits
// where the number allows, always a decimal comma: 5 -> "5,000",
// 12.3456 -> "12,35", 999.6 -> "1000", -0.0004 -> "-0,000". Total: integers
// beyond 15 digits are written as mantissa and exponent ("-9,000E99"),
// infinities as "INF"/"-INF", NaN as "NAN".
QString FormatValue(double x);

// The results the main window holds besides its tree.
struct ResultsData {
    ResultsData();

    QString DeviceText;
    QString CommonRemark;
    int FileCount = 0;             // 0..ResultFileCount
    std::vector<TResFile> Files;   // MaxResultFiles records, Files[i].Index == i

    // Takes the files of a read: at most ResultFileCount of them, each with at
    // most MaxValues values (only Str and Scale are taken; remark, stored
    // numbers and groups start afresh), and computes their statistics.
    // DeviceText and CommonRemark are the caller's.
    StatisticReport TakeRead(const std::vector<std::vector<TValue>> &files);
};

// Tree node numbers: i + 1 for the nodes of file i, (i + 1) + 100 * (g + 1)
// for group g of file i and its four lines, 0 for the roots and file nodes.
inline int NodeData(int file, int group = -1) { return (file + 1) + 100 * (group + 1); }
// File position of a node number, -1 for roots and file nodes.
inline int NodeFile(int data) { return data % 100 - 1; }
// Group of a node number, -1 for the whole file.
inline int NodeGroup(int data) { return data / 100 - 1; }
