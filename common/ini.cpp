#include "common/ini.h"
#include "common/numtext.h"
#include "common/win1251.h"
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A value in one pair of matching quotes loses them, as the profile functions do.
QString Unquote(const QString &v)
{
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.mid(1, v.size() - 2);
    return v;
}

// CR, LF and NUL would split a line or end it early when read back.
bool Breaks(QChar c) { return c == u'\r' || c == u'\n' || c == QChar(0); }

QString OneLine(const QString &text)
{
    if (std::none_of(text.cbegin(), text.cend(), Breaks))
        return text; // shared, not copied
    QString out = text;
    for (QChar &c : out)
        if (Breaks(c))
            c = u' ';
    return out;
}

bool Blank(const QString &text) { return text.trimmed().isEmpty(); }

// Writes a line of text and its CR LF at out; returns the end.
char *Append(char *out, const QString &text)
{
    for (QChar c : text) {
        unsigned char b;
        if (!cp1251::CharToByte(c.unicode(), b))
            b = '?';
        *out++ = char(b);
    }
    *out++ = '\r';
    *out++ = '\n';
    return out;
}

bool WriteAll(int fd, const char *data, qsizetype size)
{
    while (size > 0) {
        ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
}

// Writes bytes to a temporary file beside path, flushes it and renames it
// over path: the old file stays whole until the new one is complete.
bool ReplaceFile(const QString &path, const QByteArray &bytes)
{
    QFileInfo info(path);
    // A link stays a link: the file it points to is replaced.
    const QString target = info.isSymLink() ? info.symLinkTarget() : info.absoluteFilePath();
    const QFileInfo targetInfo(target);
    const QByteArray dir = QFile::encodeName(targetInfo.absolutePath());
    const QByteArray final = QFile::encodeName(target);
    // Named after the file, short enough for any name the file may have.
    QByteArray temp = dir + "/." + QFile::encodeName(targetInfo.fileName()).left(200) + ".XXXXXX";

    struct stat old;
    const bool exists = ::stat(final.constData(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode))
        return false; // a directory or device where the file should be
    // A read-only file stays as it is, although its folder would let the
    // rename replace it.
    if (exists && ::access(final.constData(), W_OK) != 0)
        return false;
    int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return false;
    mode_t mode;
    if (exists) {
        mode = old.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    bool ok = ::fchmod(fd, mode) == 0 && WriteAll(fd, bytes.constData(), bytes.size()) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok || ::rename(temp.constData(), final.constData()) != 0) {
        ::unlink(temp.constData());
        return false;
    }
    // The rename itself reaches the disk with the directory.
    int dirFd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

} // namespace

size_t IniFile::NameHash::operator()(const QString &name) const noexcept
{
    size_t h = 1469598103934665603ull;
    for (QChar c : name)
        h = (h ^ c.toCaseFolded().unicode()) * 1099511628211ull;
    return h;
}

bool IniFile::NameEqual::operator()(const QString &a, const QString &b) const noexcept
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (a[i] != b[i] && a[i].toCaseFolded() != b[i].toCaseFolded())
            return false;
    return true;
}

int IniFile::Lookup(const NameIndex &index, const QString &name)
{
    auto it = index.find(name);
    return it == index.end() ? -1 : it->second;
}

void IniFile::Section::IndexKeys()
{
    keys.clear();
    // Walked backwards, so the first line of a key is the one that stays.
    for (int i = int(lines.size()) - 1; i >= 0; --i)
        if (!lines[size_t(i)].key.isEmpty())
            keys[lines[size_t(i)].key] = i;
}

void IniFile::Content::IndexSections()
{
    index.clear();
    for (int s = int(sections.size()) - 1; s >= 1; --s)
        index[sections[size_t(s)].name] = s;
}

void IniFile::AddLine(const QString &text)
{
    std::vector<Section> &sections = content_.sections;
    QString t = text.trimmed();
    if (t.startsWith('[')) {
        qsizetype close = t.indexOf(']');
        Section s;
        s.name = (close < 0 ? t.mid(1) : t.mid(1, close - 1)).trimmed();
        s.header = text;
        content_.index.emplace(s.name, int(sections.size())); // the first one stays
        sections.push_back(std::move(s));
        return;
    }
    Section &s = sections.back();
    Line line;
    line.text = text;
    qsizetype eq = t.indexOf('=');
    if (!t.startsWith(';') && eq > 0) {
        line.key = t.left(eq).trimmed();
        line.value = t.mid(eq + 1).trimmed();
        s.keys.emplace(line.key, int(s.lines.size()));
    }
    s.lines.push_back(std::move(line));
}

IniFile::IniFile(const QString &path) : path_(path)
{
    content_.sections.emplace_back();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        // A file that is there but cannot be read would be replaced by the
        // writes alone.
        unreadable_ = QFileInfo::exists(path);
        return;
    }
    // Sized by the file, so a small file costs no large buffer; a stream or a
    // growing file is read on in pieces up to the cap.
    QByteArray bytes = f.read(std::min(f.size(), MaxFileSize + 1));
    while (bytes.size() <= MaxFileSize) {
        const QByteArray more = f.read(std::min<qint64>(1 << 16, MaxFileSize + 1 - bytes.size()));
        if (more.isEmpty())
            break;
        bytes += more;
    }
    if (f.error() != QFileDevice::NoError)
        unreadable_ = true;
    if (bytes.size() > MaxFileSize) {
        truncated_ = true;
        bytes.truncate(MaxFileSize);
        // A cut line is no line of the file.
        qsizetype end = bytes.lastIndexOf('\n');
        bytes.truncate(end < 0 ? 0 : end + 1);
    }
    // CR LF, LF or CR ends a line.
    const char *const data = bytes.constData();
    const qsizetype n = bytes.size();
    qsizetype start = 0;
    while (start < n) {
        qsizetype end = start;
        while (end < n && data[end] != '\r' && data[end] != '\n')
            ++end;
        AddLine(cp1251::Decode(data + start, end - start));
        if (end + 1 < n && data[end] == '\r' && data[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
}

int IniFile::FindSection(const QString &section) const
{
    return Lookup(content_.index, section);
}

const IniFile::Line *IniFile::Find(const QString &section, const QString &key) const
{
    int s = FindSection(section);
    if (s < 0)
        return nullptr;
    const Section &sec = content_.sections[size_t(s)];
    int k = Lookup(sec.keys, key);
    return k < 0 ? nullptr : &sec.lines[size_t(k)];
}

bool IniFile::SectionExists(const QString &section) const { return FindSection(section) >= 0; }

bool IniFile::ValueExists(const QString &section, const QString &key) const
{
    return Find(section, key) != nullptr;
}

QStringList IniFile::ReadSection(const QString &section) const
{
    QStringList keys;
    int s = FindSection(section);
    if (s < 0)
        return keys;
    for (const Line &l : content_.sections[size_t(s)].lines)
        if (!l.key.isEmpty())
            keys << l.key;
    return keys;
}

QString IniFile::ReadString(const QString &section, const QString &key, const QString &def) const
{
    const Line *l = Find(section, key);
    if (!l)
        return def;
    qsizetype nul = l->value.indexOf(QChar(0));
    return Unquote(nul < 0 ? l->value : l->value.left(nul).trimmed());
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

void IniFile::Save() const
{
    QByteArray bytes;
    qsizetype size = 0;
    for (const Section &s : content_.sections) {
        size += s.header.size() + 2;
        for (const Line &l : s.lines)
            size += l.text.size() + 2;
    }
    bytes.resize(size); // one byte per character
    char *out = bytes.data();
    for (const Section &s : content_.sections) {
        if (&s != &content_.sections.front())
            out = Append(out, s.header);
        for (const Line &l : s.lines)
            out = Append(out, l.text);
    }
    bytes.truncate(out - bytes.constData());
    // A file read only in part, or not at all, would lose what was not read.
    if (truncated_ || unreadable_ || !ReplaceFile(path_, bytes))
        throw EIniFileException("Unable to write to " + path_.toStdString());
}

template <typename Change> void IniFile::Apply(Change change)
{
    if (batch_) {
        change();
        return;
    }
    Content before = content_; // shares the texts; cheap beside the file write
    change();
    try {
        Save();
    } catch (...) {
        content_ = std::move(before);
        throw;
    }
}

void IniFile::WriteString(const QString &sectionName, const QString &keyName, const QString &text)
{
    const QString section = OneLine(sectionName);
    const QString key = OneLine(keyName).trimmed();
    const QString value = OneLine(text);
    Apply([&] {
        std::vector<Section> &sections = content_.sections;
        int s = FindSection(section);
        if (s < 0) {
            // A blank line parts the new section from the last line of the file.
            const Section &last = sections.back();
            const QString &lastLine = last.lines.empty() ? last.header : last.lines.back().text;
            if (sections.size() > 1 || !last.lines.empty())
                if (!Blank(lastLine))
                    sections.back().lines.push_back(Line());
            Section fresh;
            fresh.name = section;
            fresh.header = '[' + section + ']';
            s = int(sections.size());
            sections.push_back(std::move(fresh));
            content_.index.emplace(section, s);
        }
        Section &sec = sections[size_t(s)];
        int k = Lookup(sec.keys, key);
        if (k >= 0) {
            Line &l = sec.lines[size_t(k)];
            l.text = l.key + '=' + value; // keeps the key's spelling
            l.value = value.trimmed();
            return;
        }
        Line entry;
        entry.text = key + '=' + value;
        entry.key = key;
        entry.value = value.trimmed();
        // After the section's last line, before blank lines that part it
        // from the next section.
        size_t pos = sec.lines.size();
        while (pos > 0 && sec.lines[pos - 1].key.isEmpty() && Blank(sec.lines[pos - 1].text))
            --pos;
        sec.lines.insert(sec.lines.begin() + qsizetype(pos), std::move(entry));
        sec.keys.emplace(key, int(pos));
    });
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
    Apply([&] {
        content_.sections.erase(content_.sections.begin() + s);
        content_.IndexSections();
    });
}

void IniFile::DeleteKey(const QString &section, const QString &key)
{
    int s = FindSection(section);
    if (s < 0)
        return;
    int k = Lookup(content_.sections[size_t(s)].keys, key);
    if (k < 0)
        return;
    Apply([&] {
        Section &sec = content_.sections[size_t(s)];
        sec.lines.erase(sec.lines.begin() + k);
        sec.IndexKeys();
    });
}

void IniFile::BeginUpdate() { batch_ = true; }

void IniFile::UpdateFile()
{
    batch_ = false;
    Save();
}
