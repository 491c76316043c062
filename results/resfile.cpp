#include "results/resfile.h"
#include "results/restree.h"
#include "common/ini.h"
#include "common/numtext.h"
#include <algorithm>

namespace {

const QString DataSection = QStringLiteral("OstrelData");

QString FileSection(int n) { return QStringLiteral("File") + QString::number(n); }

// "__1", "_10", "100"
QString ValuePrefix(int k) { return QString::number(k).rightJustified(3, u'_'); }

bool IsQuote(QChar c) { return c == u'"' || c == u'\''; }

// Blank in the sense of the remark rule: spaces and control characters.
bool BlankRemarkText(const QString &text)
{
    for (QChar c : text)
        if (c.unicode() > u' ')
            return false;
    return true;
}

void WriteText(IniFile &ini, const QString &section, const QString &key, const QString &value)
{
    ini.WriteString(section, key, FileValueText(value));
}

// A float key, each on its own: a number, or the text that stood there.
void WriteNumber(IniFile &ini, const QString &section, const QString &key, double value, const NoNumberText &text)
{
    if (text)
        WriteText(ini, section, key, *text);
    else
        ini.WriteFloat(section, key, value);
}

// A missing key reads as 0, as any missing number; a key that does not
// convert reads as 0 too and keeps its text, so that a save writes it back.
void ReadNumber(const IniFile &ini, const QString &section, const QString &key, double &value, NoNumberText &text)
{
    value = 0.0;
    text.reset();
    if (!ini.ValueExists(section, key))
        return;
    const QString read = ini.ReadString(section, key, QString());
    if (!numtext::TryStrToFloat(read, value)) {
        value = 0.0;
        text = read;
    }
}

const QString StatKeys[3] = {QStringLiteral("SMin"), QStringLiteral("SMax"), QStringLiteral("SMx")};
constexpr Statistic Stats[3] = {Statistic::Min, Statistic::Max, Statistic::Mean};

} // namespace

QString FileValueText(const QString &text)
{
    QString t = SingleLineText(text);
    if (t.isEmpty())
        return t;
    if (t.trimmed().size() != t.size() || IsQuote(t.front()) || IsQuote(t.back()))
        return u'"' + t + u'"';
    return t;
}

void SaveResultsFile(const ResultsData &data, const QString &path)
{
    IniFile ini(path);
    ini.BeginUpdate();
    const int fileCount = std::clamp(data.FileCount, 0, ResultFileCount);
    WriteText(ini, DataSection, QStringLiteral("Device"), data.DeviceText);
    WriteText(ini, DataSection, QStringLiteral("Remark"), data.CommonRemark);
    ini.WriteInteger(DataSection, QStringLiteral("FilesCount"), fileCount);
    for (int i = 0; i < fileCount; ++i) {
        const TResFile &f = data.Files[size_t(i)];
        const QString section = FileSection(i + 1);
        const int values = std::clamp(f.ValuesCount, 0, MaxValues);
        const int groups = std::clamp(f.ScalesCount, 0, MaxGroups);
        WriteText(ini, section, QStringLiteral("Remark"), f.Remark);
        ini.WriteInteger(section, QStringLiteral("ValuesCount"), values);
        ini.WriteInteger(section, QStringLiteral("ScalesCount"), groups);
        for (int g = 0; g < groups; ++g) {
            const QString j = QString::number(g + 1);
            WriteText(ini, section, QStringLiteral("Scales") + j, f.Scales[g]);
            ini.WriteInteger(section, QStringLiteral("SCount") + j, f.SCount[g]);
            // A statistic without a number is written as its text (empty for
            // a group without numeric readings), never as a made-up 0.
            for (int s = 0; s < 3; ++s)
                WriteNumber(ini, section, StatKeys[s] + j, f.Stat(Stats[s], g), f.StatText(Stats[s], g));
        }
        for (int k = 0; k < values; ++k) {
            const TValue &v = f.Values[k];
            const QString p = ValuePrefix(k + 1);
            const int numbers = std::clamp(v.Count, 0, 2);
            WriteText(ini, section, p + QStringLiteral("_Str"), v.Str);
            ini.WriteInteger(section, p + QStringLiteral("_Count"), numbers);
            for (int n = 0; n < numbers; ++n) {
                const QString key = p + QStringLiteral("_Value") + QString::number(n + 1);
                WriteNumber(ini, section, key, v.Value[n], f.ValueText[k][n]);
            }
            WriteText(ini, section, p + QStringLiteral("_Scale"), v.Scale);
        }
    }
    ini.UpdateFile();
}

int LoadResultsFile(ResultsData &data, const QString &path)
{
    const IniFile ini(path);
    int kind = DeviceKindNormal;
    if (ini.PathKind() != IniPathKind::File)
        return kind; // nothing but a regular file is read, and data stays as it was
    data.DeviceText = ini.ReadString(DataSection, QStringLiteral("Device"), QString::fromLatin1(UnknownDevice));
    if (data.DeviceText == QLatin1String(UnknownDevice)) {
        data.FileCount = 0;
        return kind;
    }
    data.CommonRemark = ini.ReadString(DataSection, QStringLiteral("Remark"), QString());
    if (BlankRemarkText(data.CommonRemark))
        data.CommonRemark = QString::fromLatin1(BlankRemark);
    const QString model = data.DeviceText.left(6);
    if (model == QString::fromUtf8("КВР-20") || model == QLatin1String("KVR-20"))
        kind = DeviceKindKvr20;
    data.FileCount = std::clamp(ini.ReadInteger(DataSection, QStringLiteral("FilesCount"), 0), 0, ResultFileCount);
    for (int i = 0; i < data.FileCount; ++i) {
        TResFile &f = data.Files[size_t(i)];
        const QString section = FileSection(i + 1);
        f.Remark = ini.ReadString(section, QStringLiteral("Remark"), QString());
        f.ValuesCount = std::clamp(ini.ReadInteger(section, QStringLiteral("ValuesCount"), 0), 0, MaxValues);
        f.ScalesCount = std::clamp(ini.ReadInteger(section, QStringLiteral("ScalesCount"), 0), 0, MaxGroups);
        for (int g = 0; g < f.ScalesCount; ++g) {
            const QString j = QString::number(g + 1);
            f.Scales[g] = ini.ReadString(section, QStringLiteral("Scales") + j, QStringLiteral("mkm"));
            // The count is shown as the file holds it.
            f.SCount[g] = ini.ReadInteger(section, QStringLiteral("SCount") + j, 0);
            for (int s = 0; s < 3; ++s)
                ReadNumber(ini, section, StatKeys[s] + j, f.Stat(Stats[s], g), f.SText[int(Stats[s])][g]);
        }
        for (int k = 0; k < f.ValuesCount; ++k) {
            TValue &v = f.Values[k];
            const QString p = ValuePrefix(k + 1);
            v.Str = ini.ReadString(section, p + QStringLiteral("_Str"), QStringLiteral("0"));
            v.Count = std::clamp(ini.ReadInteger(section, p + QStringLiteral("_Count"), 0), 0, 2);
            for (int n = 0; n < v.Count; ++n) {
                const QString key = p + QStringLiteral("_Value") + QString::number(n + 1);
                ReadNumber(ini, section, key, v.Value[n], f.ValueText[k][n]);
            }
            v.Scale = ini.ReadString(section, p + QStringLiteral("_Scale"), QStringLiteral("0"));
        }
    }
    return kind;
}
