#include "common/ini.h"
#include "common/numtext.h"
#include "common/win1251.h"
#include <QFile>
#include <QSaveFile>

namespace {

bool SameName(const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

// A value in one pair of matching quotes loses them, as the profile functions do.
QString Unquote(const QString &v)
{
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.mid(1, v.size() - 2);
    return v;
}

} // namespace

IniFile::Line IniFile::Parse(const QString &text)
{
    Line line;
    line.text = text;
    QString t = text.trimmed();
    if (t.startsWith('[')) {
        qsizetype close = t.indexOf(']');
        line.section = (close < 0 ? t.mid(1) : t.mid(1, close - 1)).trimmed();
        if (line.section.isEmpty())
            line.section = QStringLiteral("[]"); // never matches a real name lookup of ""
        return line;
    }
    if (t.isEmpty() || t.startsWith(';'))
        return line;
    qsizetype eq = t.indexOf('=');
    if (eq <= 0)
        return line;
    line.key = t.left(eq).trimmed();
    line.value = t.mid(eq + 1).trimmed();
    return line;
}

IniFile::IniFile(const QString &path) : path_(path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return;
    QString text = cp1251::Decode(f.readAll());
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace('\r', '\n');
    QStringList rows = text.split('\n');
    if (!rows.isEmpty() && rows.back().isEmpty())
        rows.removeLast();
    for (const QString &row : rows)
        lines_.push_back(Parse(row));
}

int IniFile::FindSection(const QString &section) const
{
    for (size_t i = 0; i < lines_.size(); ++i)
        if (!lines_[i].section.isEmpty() && SameName(lines_[i].section, section))
            return int(i);
    return -1;
}

int IniFile::SectionEnd(int sectionLine) const
{
    size_t i = size_t(sectionLine) + 1;
    while (i < lines_.size() && lines_[i].section.isEmpty())
        ++i;
    return int(i);
}

int IniFile::FindKey(int sectionLine, const QString &key) const
{
    if (sectionLine < 0)
        return -1;
    int end = SectionEnd(sectionLine);
    for (int i = sectionLine + 1; i < end; ++i)
        if (!lines_[size_t(i)].key.isEmpty() && SameName(lines_[size_t(i)].key, key))
            return i;
    return -1;
}

bool IniFile::SectionExists(const QString &section) const { return FindSection(section) >= 0; }

bool IniFile::ValueExists(const QString &section, const QString &key) const
{
    return FindKey(FindSection(section), key) >= 0;
}

QStringList IniFile::ReadSection(const QString &section) const
{
    QStringList keys;
    int s = FindSection(section);
    if (s < 0)
        return keys;
    int end = SectionEnd(s);
    for (int i = s + 1; i < end; ++i)
        if (!lines_[size_t(i)].key.isEmpty())
            keys << lines_[size_t(i)].key;
    return keys;
}

QString IniFile::ReadString(const QString &section, const QString &key, const QString &def) const
{
    int k = FindKey(FindSection(section), key);
    return k < 0 ? def : Unquote(lines_[size_t(k)].value);
}

int IniFile::ReadInteger(const QString &section, const QString &key, int def) const
{
    int v;
    return numtext::TryStrToInt(ReadString(section, key, QString()), v) ? v : def;
}

double IniFile::ReadFloat(const QString &section, const QString &key, double def) const
{
    double v;
    return numtext::TryStrToFloat(ReadString(section, key, QString()), v) ? v : def;
}

bool IniFile::ReadBool(const QString &section, const QString &key, bool def) const
{
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void IniFile::Save(const std::vector<Line> &lines) const
{
    QByteArray bytes;
    for (const Line &l : lines) {
        bytes += cp1251::Encode(l.text);
        bytes += "\r\n";
    }
    // A whole new file replaces the old one only once it is written, so a
    // full disk never leaves a half file where the user's scale was. The
    // flush is checked on its own: QSaveFile::commit renames even after its
    // buffered write has failed part way.
    QSaveFile f(path_);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.flush() ||
        f.error() != QFileDevice::NoError || !f.commit())
        throw EIniFileException("Unable to write to " + path_.toStdString());
}

void IniFile::WriteString(const QString &section, const QString &key, const QString &value)
{
    std::vector<Line> lines = lines_;
    Line entry = Parse(key + '=' + value);
    entry.text = key + '=' + value;
    entry.key = key;
    entry.value = value.trimmed();
    int s = FindSection(section);
    if (s < 0) {
        if (!lines.empty() && !lines.back().text.trimmed().isEmpty())
            lines.push_back(Parse(QString()));
        lines.push_back(Parse('[' + section + ']'));
        lines.push_back(entry);
    } else {
        int k = FindKey(s, key);
        if (k >= 0) {
            entry.text = lines_[size_t(k)].key + '=' + value; // keeps the key's spelling
            entry.key = lines_[size_t(k)].key;
            lines[size_t(k)] = entry;
        } else {
            // After the section's last key, before blank lines that separate it.
            int pos = SectionEnd(s);
            while (pos - 1 > s && lines_[size_t(pos - 1)].key.isEmpty() && lines_[size_t(pos - 1)].text.trimmed().isEmpty())
                --pos;
            lines.insert(lines.begin() + pos, entry);
        }
    }
    Commit(std::move(lines));
}

void IniFile::WriteInteger(const QString &section, const QString &key, int value)
{
    WriteString(section, key, QString::number(value));
}

void IniFile::WriteFloat(const QString &section, const QString &key, double value)
{
    WriteString(section, key, numtext::FloatToStr(value));
}

void IniFile::WriteBool(const QString &section, const QString &key, bool value)
{
    WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void IniFile::EraseSection(const QString &section)
{
    int s = FindSection(section);
    if (s < 0)
        return;
    std::vector<Line> lines = lines_;
    lines.erase(lines.begin() + s, lines.begin() + SectionEnd(s));
    Commit(std::move(lines));
}

void IniFile::DeleteKey(const QString &section, const QString &key)
{
    int k = FindKey(FindSection(section), key);
    if (k < 0)
        return;
    std::vector<Line> lines = lines_;
    lines.erase(lines.begin() + k);
    Commit(std::move(lines));
}

void IniFile::Commit(std::vector<Line> &&lines)
{
    if (!batch_)
        Save(lines);
    lines_ = std::move(lines);
}

void IniFile::BeginUpdate() { batch_ = true; }

void IniFile::UpdateFile()
{
    Save(lines_);
    batch_ = false;
}
