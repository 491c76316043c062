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
            // A group without numbers writes its statistics empty, so that
            // it reads back without a made-up 0.
            if (f.SNumeric[g]) {
                ini.WriteFloat(section, QStringLiteral("SMin") + j, f.SMin[g]);
                ini.WriteFloat(section, QStringLiteral("SMax") + j, f.SMax[g]);
                ini.WriteFloat(section, QStringLiteral("SMx") + j, f.SMx[g]);
            } else {
                ini.WriteString(section, QStringLiteral("SMin") + j, QString());
                ini.WriteString(section, QStringLiteral("SMax") + j, QString());
                ini.WriteString(section, QStringLiteral("SMx") + j, QString());
            }
        }
        for (int k = 0; k < values; ++k) {
            const TValue &v = f.Values[k];
            const QString p = ValuePrefix(k + 1);
            const int numbers = std::clamp(v.Count, 0, 2);
            WriteText(ini, section, p + QStringLiteral("_Str"), v.Str);
            ini.WriteInteger(section, p + QStringLiteral("_Count"), numbers);
            for (int n = 0; n < numbers; ++n)
                ini.WriteFloat(section, p + QStringLiteral("_Value") + QString::number(n + 1), v.Value[n]);
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
            f.SCount[g] = std::clamp(ini.ReadInteger(section, QStringLiteral("SCount") + j, 0), 0, MaxValues);
            const QString minKey = QStringLiteral("SMin") + j;
            f.SNumeric[g] = !(ini.ValueExists(section, minKey) && ini.ReadString(section, minKey, QString()).isEmpty());
            f.SMin[g] = ini.ReadFloat(section, minKey, 0.0);
            f.SMax[g] = ini.ReadFloat(section, QStringLiteral("SMax") + j, 0.0);
            f.SMx[g] = ini.ReadFloat(section, QStringLiteral("SMx") + j, 0.0);
        }
        for (int k = 0; k < f.ValuesCount; ++k) {
            TValue &v = f.Values[k];
            const QString p = ValuePrefix(k + 1);
            v.Str = ini.ReadString(section, p + QStringLiteral("_Str"), QStringLiteral("0"));
            v.Count = std::clamp(ini.ReadInteger(section, p + QStringLiteral("_Count"), 0), 0, 2);
            for (int n = 0; n < v.Count; ++n)
                v.Value[n] = ini.ReadFloat(section, p + QStringLiteral("_Value") + QString::number(n + 1), 0.0);
            v.Scale = ini.ReadString(section, p + QStringLiteral("_Scale"), QStringLiteral("0"));
        }
    }
    return kind;
}
