#include "scale/scalefile.h"
#include "common/ini.h"
#include "common/lang.h"
#include "common/win1251.h"
#include <algorithm>
#include <utility>

namespace {

const QString FileSection = QStringLiteral("File");
const QString ScaleSection = QStringLiteral("Scale");
const QString PointsSection = QStringLiteral("Points");

// The texts are stored behind a "~" so that leading blanks survive; the
// reader drops the first character whatever it is.
QString ReadText(const IniFile &ini, const QString &key, int maxLength)
{
    return ini.ReadString(ScaleSection, key, QString()).mid(1).left(maxLength);
}

QString PointKey(char axis, int i) { return QLatin1Char(axis) + QString::number(i); }

} // namespace

QString ScaleFileStatus::Text() const
{
    switch (result) {
    case ScaleFileResult::NotFound:
        return Lang("Файл ", "File ") + path + Lang(" не найден !", " not found !");
    case ScaleFileResult::NoData:
        return Lang("Файл ", "File ") + path + Lang(" не содержит данных!", " contains no data");
    case ScaleFileResult::Loaded:
        break;
    }
    return QString();
}

QString ScaleFileStatus::Caption() const { return Loaded() ? QString() : Lang("Открыть", "Open"); }

ScaleFileStatus LoadScaleFile(const QString &path, ScaleDocument &doc)
{
    ScaleFileStatus status;
    status.path = path;
    // A FIFO, socket or device is never opened: it reads as holding no data.
    const IniFile ini(path);
    if (ini.PathKind() == IniPathKind::Missing || ini.PathKind() == IniPathKind::Directory) {
        status.result = ScaleFileResult::NotFound;
        return status;
    }
    if (ini.ReadString(FileSection, QStringLiteral("Handle"), QString()) !=
        QLatin1String(FileHandleSignature)) {
        status.result = ScaleFileResult::NoData;
        return status;
    }

    doc.AboutText = ReadText(ini, QStringLiteral("About"), MaxAboutLength);
    doc.XNameText = ReadText(ini, QStringLiteral("XName"), MaxNameLength);
    doc.YNameText = ReadText(ini, QStringLiteral("YName"), MaxNameLength);
    doc.UnitsText = ReadText(ini, QStringLiteral("Description"), MaxUnitsLength);
    doc.ATypeIndex = ini.ReadInteger(ScaleSection, QStringLiteral("ApproType"), 0);
    doc.PowerIndex = ini.ReadInteger(ScaleSection, QStringLiteral("PolynomDegree"), 0);
    doc.MinText = ini.ReadString(ScaleSection, QStringLiteral("TableMin"), QStringLiteral("1"));
    doc.MaxText = ini.ReadString(ScaleSection, QStringLiteral("TableMax"), QStringLiteral("100"));
    doc.StepText = ini.ReadString(ScaleSection, QStringLiteral("TableStep"), QStringLiteral("1"));
    doc.ScalePwrIndex = ini.ReadInteger(ScaleSection, QStringLiteral("TablePrecision"), 0);
    doc.Intervals = ini.ReadInteger(ScaleSection, QStringLiteral("MakeProgPoints"), 0) != 0;
    doc.MaxErrText = ini.ReadString(ScaleSection, QStringLiteral("ProgMaxError"), QStringLiteral("2"));

    // The magnitude of the count, at most MaxPoints; the one int without a
    // positive counterpart reads as the most.
    const long long count = ini.ReadInteger(PointsSection, QStringLiteral("Count"), 0);
    const int n = int(std::min<long long>(count < 0 ? -count : count, MaxPoints));
    doc.PointCount = n;
    for (int i = 0; i < n; ++i) {
        doc.PointX[i] = ini.ReadFloat(PointsSection, PointKey('X', i), 0);
        doc.PointY[i] = ini.ReadFloat(PointsSection, PointKey('Y', i), 0);
    }
    // A bubble sort moves only strictly greater x: equal x keep file order.
    for (int pass = 0; pass < n; ++pass)
        for (int i = 0; i + 1 < n; ++i)
            if (doc.PointX[i] > doc.PointX[i + 1]) {
                std::swap(doc.PointX[i], doc.PointX[i + 1]);
                std::swap(doc.PointY[i], doc.PointY[i + 1]);
            }
    return status;
}

void SaveScaleFile(const QString &path, const ScaleDocument &doc)
{
    IniFile ini(path);
    ini.BeginUpdate();
    ini.WriteString(FileSection, QStringLiteral("Handle"), QLatin1String(FileHandleSignature));
    const QString tilde = QStringLiteral("~");
    ini.WriteString(ScaleSection, QStringLiteral("About"), tilde + doc.AboutText);
    ini.WriteString(ScaleSection, QStringLiteral("XName"), tilde + doc.XNameText);
    ini.WriteString(ScaleSection, QStringLiteral("YName"), tilde + doc.YNameText);
    ini.WriteString(ScaleSection, QStringLiteral("Description"), tilde + doc.UnitsText);
    ini.WriteInteger(ScaleSection, QStringLiteral("ApproType"), doc.ATypeIndex);
    ini.WriteInteger(ScaleSection, QStringLiteral("PolynomDegree"), doc.PowerIndex);
    ini.WriteString(ScaleSection, QStringLiteral("TableMin"), doc.MinText);
    ini.WriteString(ScaleSection, QStringLiteral("TableMax"), doc.MaxText);
    ini.WriteString(ScaleSection, QStringLiteral("TableStep"), doc.StepText);
    ini.WriteInteger(ScaleSection, QStringLiteral("TablePrecision"), doc.ScalePwrIndex);
    ini.WriteInteger(ScaleSection, QStringLiteral("MakeProgPoints"), doc.Intervals ? 1 : 0);
    ini.WriteString(ScaleSection, QStringLiteral("ProgMaxError"), doc.MaxErrText);
    const int n = std::clamp(doc.PointCount, 0, MaxPoints);
    ini.WriteInteger(PointsSection, QStringLiteral("Count"), n);
    for (int i = 0; i < n; ++i) {
        ini.WriteFloat(PointsSection, PointKey('X', i), doc.PointX[i]);
        ini.WriteFloat(PointsSection, PointKey('Y', i), doc.PointY[i]);
    }
    ini.UpdateFile();
}

bool AcceptableEditText(const QString &text, int maxLength)
{
    for (QChar c : text)
        if (c == u'\r' || c == u'\n' || c == QChar(0))
            return false;
    bool encodes = false;
    const QByteArray bytes = cp1251::Encode(text, &encodes);
    return encodes && bytes.size() <= maxLength;
}
