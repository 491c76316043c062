#include "common/ini.h"
#include "common/filereplace.h"
#include "common/numtext.h"
#include "common/win1251.h"
#include <QFile>
#include <algorithm>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The profile functions see the file as characters: spaces and case are
// those of the characters the Windows-1251 bytes stand for.
struct ByteTables {
    std::array<bool, 256> space{};
    std::array<char16_t, 256> fold{};
    ByteTables()
    {
        for (int b = 0; b < 256; ++b) {
            const QChar c(cp1251::ByteToChar(static_cast<unsigned char>(b)));
            space[size_t(b)] = c.isSpace();
            fold[size_t(b)] = c.toCaseFolded().unicode();
        }
    }
};

const ByteTables &Tables()
{
    static const ByteTables tables;
    return tables;
}

bool IsSpace(char b) { return Tables().space[static_cast<unsigned char>(b)]; }

constexpr size_t HashSeed = 1469598103934665603ull;
constexpr size_t HashStep(size_t h, char16_t folded) { return (h ^ folded) * 1099511628211ull; }

size_t HashText(const QString &name)
{
    size_t h = HashSeed;
    for (QChar c : name)
        h = HashStep(h, c.toCaseFolded().unicode());
    return h;
}

size_t HashBytes(const char *data, quint32 length)
{
    const ByteTables &t = Tables();
    size_t h = HashSeed;
    for (quint32 i = 0; i < length; ++i)
        h = HashStep(h, t.fold[static_cast<unsigned char>(data[i])]);
    return h;
}

bool SameText(const QString &a, const QString &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (a[i] != b[i] && a[i].toCaseFolded() != b[i].toCaseFolded())
            return false;
    return true;
}

bool SameBytes(const char *data, quint32 length, const QString &name)
{
    if (qsizetype(length) != name.size())
        return false;
    const ByteTables &t = Tables();
    for (quint32 i = 0; i < length; ++i) {
        const char16_t c = name[qsizetype(i)].unicode();
        const unsigned char b = static_cast<unsigned char>(data[i]);
        if (cp1251::ByteToChar(b) != c && t.fold[b] != QChar(c).toCaseFolded().unicode())
            return false;
    }
    return true;
}

bool SameBytes(const char *a, quint32 aLength, const char *b, quint32 bLength)
{
    if (aLength != bLength)
        return false;
    const ByteTables &t = Tables();
    for (quint32 i = 0; i < aLength; ++i)
        if (t.fold[static_cast<unsigned char>(a[i])] != t.fold[static_cast<unsigned char>(b[i])])
            return false;
    return true;
}

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

// A line of the file's bytes: CR LF, LF or CR ends it.
struct LineSpan {
    quint32 start, end, next; // text [start, end), the next line at next
};

LineSpan LineAt(const QByteArray &bytes, quint32 pos)
{
    const char *d = bytes.constData();
    const quint32 n = quint32(bytes.size());
    quint32 end = pos;
    while (end < n && d[end] != '\r' && d[end] != '\n')
        ++end;
    quint32 next = end;
    if (next < n)
        next += (d[next] == '\r' && next + 1 < n && d[next + 1] == '\n') ? 2 : 1;
    return {pos, end, next};
}

// The line's text without the spaces around it.
void Trim(const char *d, quint32 &start, quint32 &end)
{
    while (start < end && IsSpace(d[start]))
        ++start;
    while (end > start && IsSpace(d[end - 1]))
        --end;
}

// "[name]" (or "[name" without the bracket): the name, trimmed.
bool HeaderName(const char *d, quint32 start, quint32 end, quint32 &nameStart, quint32 &nameEnd)
{
    Trim(d, start, end);
    if (start == end || d[start] != '[')
        return false;
    nameStart = start + 1;
    nameEnd = nameStart;
    while (nameEnd < end && d[nameEnd] != ']')
        ++nameEnd;
    Trim(d, nameStart, nameEnd);
    return true;
}

// "key=value" not behind a ';': the key and the value, each trimmed.
bool KeyLine(const char *d, quint32 start, quint32 end, quint32 &keyStart, quint32 &keyEnd, quint32 *valueStart,
             quint32 *valueEnd)
{
    Trim(d, start, end);
    if (start == end || d[start] == ';' || d[start] == '[')
        return false;
    quint32 eq = start;
    while (eq < end && d[eq] != '=')
        ++eq;
    if (eq == end || eq == start)
        return false;
    keyStart = start;
    keyEnd = eq;
    Trim(d, keyStart, keyEnd);
    if (valueStart) {
        *valueStart = eq + 1;
        *valueEnd = end;
        Trim(d, *valueStart, *valueEnd);
    }
    return true;
}

bool BlankBytes(const char *d, quint32 start, quint32 end)
{
    Trim(d, start, end);
    return start == end;
}

// Whether the last line in [start, end) (whole lines) is blank.
bool LastRawLineBlank(const QByteArray &bytes, quint32 start, quint32 end)
{
    const char *d = bytes.constData();
    quint32 p = end;
    if (p > start && d[p - 1] == '\n') {
        --p;
        if (p > start && d[p - 1] == '\r')
            --p;
    } else if (p > start && d[p - 1] == '\r') {
        --p;
    }
    quint32 q = p;
    while (q > start && d[q - 1] != '\r' && d[q - 1] != '\n')
        --q;
    return BlankBytes(d, q, p);
}

void AppendEncoded(QByteArray &out, const QString &text)
{
    const qsizetype at = out.size();
    out.resize(at + text.size());
    char *p = out.data() + at;
    for (QChar c : text) {
        unsigned char b;
        if (!cp1251::CharToByte(c.unicode(), b))
            b = '?';
        *p++ = char(b);
    }
    out.append("\r\n", 2);
}

// Copies whole lines of the file, each ended by CR LF.
void AppendLines(QByteArray &out, const QByteArray &bytes, quint32 start, quint32 end)
{
    const char *d = bytes.constData();
    quint32 run = start; // lines already ended by CR LF are copied at once
    quint32 p = start;
    while (p < end) {
        if (d[p] != '\r' && d[p] != '\n') {
            ++p;
            continue;
        }
        if (d[p] == '\r' && p + 1 < end && d[p + 1] == '\n') {
            p += 2;
            continue;
        }
        out.append(d + run, qsizetype(p - run));
        out.append("\r\n", 2);
        run = ++p;
    }
    out.append(d + run, qsizetype(end - run));
    if (end > start && d[end - 1] != '\n' && d[end - 1] != '\r')
        out.append("\r\n", 2); // the file's last line had no line break
}

} // namespace

template <typename Same> int IniFile::NameTable::Find(size_t hash, Same same) const
{
    if (slots_.empty())
        return -1;
    const size_t mask = slots_.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const qint32 id = slots_[i];
        if (id < 0)
            return -1;
        if (same(id))
            return id;
    }
}

void IniFile::NameTable::Place(size_t hash, int id)
{
    const size_t mask = slots_.size() - 1;
    size_t i = hash & mask;
    while (slots_[i] >= 0)
        i = (i + 1) & mask;
    slots_[i] = id;
}

template <typename HashOf> void IniFile::NameTable::Insert(size_t hash, int id, HashOf hashOf)
{
    // At most half full, so that a miss ends soon.
    if ((count_ + 1) * 2 > slots_.size()) {
        std::vector<qint32> old = std::move(slots_);
        slots_.assign(std::max<size_t>(8, old.size() * 2), -1);
        for (qint32 other : old)
            if (other >= 0)
                Place(hashOf(other), other);
    }
    Place(hash, id);
    ++count_;
}

void IniFile::Parse(QByteArray bytes)
{
    Content c;
    c.bytes = std::move(bytes);
    content_ = std::move(c);
    const char *d = content_.bytes.constData();
    const quint32 n = quint32(content_.bytes.size());
    std::vector<Section> &sections = content_.sections;
    // Room for as many sections as there may be, taken up only where used.
    sections.reserve(size_t(std::count(d, d + n, '[')) + 1);
    sections.push_back(Section{0, 0, 0, -1}); // the lead-in is all kept unread
    bool open = false; // the last section's body runs on
    for (quint32 pos = 0; pos < n;) {
        const LineSpan line = LineAt(content_.bytes, pos);
        quint32 nameStart, nameEnd;
        if (HeaderName(d, line.start, line.end, nameStart, nameEnd)) {
            if (open)
                sections.back().bodyEnd = pos;
            open = false;
            const quint32 length = nameEnd - nameStart;
            const size_t hash = HashBytes(d + nameStart, length);
            const bool known = content_.index.Find(hash, [&](int s) {
                const Section &other = sections[size_t(s)];
                return SameBytes(d + other.nameStart, other.nameLength, d + nameStart, length);
            }) >= 0;
            // A later section of a known name is never read: it stays with
            // the lines of the section before it.
            if (!known) {
                const int s = int(sections.size());
                sections.push_back(Section{nameStart, length, line.next, -1});
                content_.index.Insert(hash, s, [&](int other) { return SectionHash(other); });
                open = true;
            }
        }
        pos = line.next;
    }
    if (open)
        sections.back().bodyEnd = n;
}

IniFile::IniFile(const QString &path) : path_(path)
{
    Parse(QByteArray());
    const QByteArray name = QFile::encodeName(path);
    struct stat st;
    if (name.isEmpty() || ::stat(name.constData(), &st) != 0)
        return;
    // Only a regular file is opened: opening a FIFO waits for a writer, and
    // opening a device may act on it.
    auto refuse = [this](mode_t mode) {
        kind_ = S_ISDIR(mode) ? IniPathKind::Directory : IniPathKind::Special;
        unreadable_ = true;
    };
    if (!S_ISREG(st.st_mode)) {
        refuse(st.st_mode);
        return;
    }
    kind_ = IniPathKind::File;
    // Without waiting, should the name have become a FIFO meanwhile.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            kind_ = IniPathKind::Missing;
        else
            unreadable_ = true; // writes alone would replace what could not be read
        return;
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        refuse(st.st_mode);
        return;
    }
    // Sized by the file, so a small file costs no large buffer; a growing
    // file is read on up to the cap.
    QByteArray bytes;
    bytes.resize(qsizetype(std::min<qint64>(std::max<qint64>(st.st_size, 0), MaxFileSize) + 1));
    qsizetype got = 0;
    for (;;) {
        if (got == bytes.size()) {
            if (got > MaxFileSize)
                break;
            bytes.resize(std::min<qsizetype>(std::max<qsizetype>(got * 2, 1 << 16), MaxFileSize + 1));
        }
        const ssize_t r = ::read(fd, bytes.data() + got, size_t(bytes.size() - got));
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0)
            unreadable_ = true;
        if (r <= 0)
            break;
        got += r;
    }
    ::close(fd);
    bytes.truncate(got);
    if (bytes.size() > MaxFileSize) {
        truncated_ = true;
        bytes.truncate(MaxFileSize);
        // A cut line is no line of the file.
        qsizetype end = bytes.lastIndexOf('\n');
        bytes.truncate(end < 0 ? 0 : end + 1);
    }
    Parse(std::move(bytes));
}

bool IniFile::Fresh(const Section &sec) const
{
    return sec.detail >= 0 && content_.details[size_t(sec.detail)].fresh;
}

quint32 IniFile::BodyStart(const Section &sec) const
{
    if (&sec == &content_.sections.front() || Fresh(sec))
        return sec.bodyEnd;
    return LineAt(content_.bytes, sec.nameStart).next;
}

quint32 IniFile::KeyStart(const Entry &e) const
{
    const char *d = content_.bytes.constData();
    quint32 p = e.start;
    while (p < e.end && IsSpace(d[p]))
        ++p;
    return p;
}

size_t IniFile::SectionHash(int s) const
{
    const Section &sec = content_.sections[size_t(s)];
    if (Fresh(sec))
        return HashText(content_.details[size_t(sec.detail)].name);
    return HashBytes(content_.bytes.constData() + sec.nameStart, sec.nameLength);
}

bool IniFile::SectionIs(int s, const QString &name) const
{
    const Section &sec = content_.sections[size_t(s)];
    if (Fresh(sec))
        return SameText(content_.details[size_t(sec.detail)].name, name);
    return SameBytes(content_.bytes.constData() + sec.nameStart, sec.nameLength, name);
}

int IniFile::FindSection(const QString &section) const
{
    return content_.index.Find(HashText(section), [&](int s) { return SectionIs(s, section); });
}

IniFile::Detail &IniFile::Expand(int s) const
{
    Section &sec = content_.sections[size_t(s)];
    if (sec.detail >= 0)
        return content_.details[size_t(sec.detail)];
    const char *d = content_.bytes.constData();
    const quint32 bodyStart = BodyStart(sec);
    Detail detail;
    detail.insertAt = bodyStart;
    // Room for as many keys as there may be, taken up only where used.
    detail.entries.reserve(size_t(std::count(d + bodyStart, d + sec.bodyEnd, '=')));
    for (quint32 pos = bodyStart; pos < sec.bodyEnd;) {
        const LineSpan line = LineAt(content_.bytes, pos);
        quint32 keyStart, keyEnd;
        if (KeyLine(d, line.start, line.end, keyStart, keyEnd, nullptr, nullptr)) {
            const quint32 length = keyEnd - keyStart;
            const size_t hash = HashBytes(d + keyStart, length);
            // Only the first line of a key is ever read or written.
            const bool known = detail.keys.Find(hash, [&](int k) {
                const Entry &e = detail.entries[size_t(k)];
                return SameBytes(d + KeyStart(e), e.keyLength, d + keyStart, length);
            }) >= 0;
            if (!known) {
                const int k = int(detail.entries.size());
                detail.entries.push_back(Entry{line.start, line.next, length, -1});
                detail.keys.Insert(hash, k, [&](int other) {
                    const Entry &e = detail.entries[size_t(other)];
                    return HashBytes(d + KeyStart(e), e.keyLength);
                });
            }
        }
        if (!BlankBytes(d, line.start, line.end))
            detail.insertAt = line.next;
        pos = line.next;
    }
    sec.detail = int(content_.details.size());
    content_.details.push_back(std::move(detail));
    return content_.details.back();
}

QString IniFile::EntryKey(const Detail &d, const Entry &e) const
{
    if (e.owned >= 0)
        return d.owned[size_t(e.owned)].key;
    return cp1251::Decode(content_.bytes.constData() + KeyStart(e), e.keyLength);
}

int IniFile::FindKey(const Detail &d, const QString &key) const
{
    const char *bytes = content_.bytes.constData();
    return d.keys.Find(HashText(key), [&](int id) {
        const Entry &e = d.entries[size_t(id)];
        if (e.owned >= 0)
            return SameText(d.owned[size_t(e.owned)].key, key);
        return SameBytes(bytes + KeyStart(e), e.keyLength, key);
    });
}

const IniFile::Entry *IniFile::Find(const QString &section, const QString &key, const Detail **detail) const
{
    const int s = FindSection(section);
    if (s < 0)
        return nullptr;
    const Detail &d = Expand(s);
    const int k = FindKey(d, key);
    if (k < 0)
        return nullptr;
    if (detail)
        *detail = &d;
    return &d.entries[size_t(k)];
}

quint32 IniFile::NextStart(size_t s) const
{
    const std::vector<Section> &sections = content_.sections;
    if (s + 1 >= sections.size())
        return quint32(content_.bytes.size());
    const Section &next = sections[s + 1];
    if (Fresh(next))
        return next.bodyEnd;
    // The start of the header line that holds the name.
    const char *d = content_.bytes.constData();
    quint32 p = next.nameStart;
    while (p > 0 && d[p - 1] != '\r' && d[p - 1] != '\n')
        --p;
    return p;
}

bool IniFile::LastLineBlank() const
{
    const size_t s = content_.sections.size() - 1;
    const Section &sec = content_.sections[s];
    const quint32 end = NextStart(s);
    if (sec.bodyEnd < end)
        return LastRawLineBlank(content_.bytes, sec.bodyEnd, end);
    quint32 rawFrom = BodyStart(sec);
    if (sec.detail >= 0) {
        const Detail &d = content_.details[size_t(sec.detail)];
        if (!d.entries.empty())
            rawFrom = d.entries.back().end;
        if (rawFrom == sec.bodyEnd)
            return false; // a key line or the header
    }
    if (rawFrom < sec.bodyEnd)
        return LastRawLineBlank(content_.bytes, rawFrom, sec.bodyEnd);
    return false; // the header
}

QByteArray IniFile::Serialize(int skipSection, const Entry *skipEntry) const
{
    const QByteArray &bytes = content_.bytes;
    QByteArray out;
    out.reserve(bytes.size() + bytes.size() / 8 + 1024);
    quint32 headerStart = 0; // of a header line in the file's bytes
    for (size_t s = 0; s < content_.sections.size(); ++s) {
        const Section &sec = content_.sections[s];
        const quint32 tailEnd = NextStart(s);
        const Detail *d = sec.detail >= 0 ? &content_.details[size_t(sec.detail)] : nullptr;
        // The blank line before an added section ends the section before it
        // (or the last one of that section's name after it) and goes with it.
        const bool partedFromSkipped =
            s > 0 && int(s) - 1 == skipSection && content_.sections[s - 1].bodyEnd == quint32(bytes.size());
        if (d && d->fresh && d->parted && !partedFromSkipped)
            out.append("\r\n", 2);
        if (int(s) != skipSection) {
            if (d && d->fresh) {
                AppendEncoded(out, '[' + d->name + ']');
            } else {
                AppendLines(out, bytes, headerStart, BodyStart(sec));
            }
            quint32 cursor = BodyStart(sec);
            if (d) {
                for (const Entry &e : d->entries) {
                    AppendLines(out, bytes, cursor, e.start);
                    cursor = e.end;
                    if (&e == skipEntry)
                        continue;
                    if (e.owned >= 0) {
                        const Owned &o = d->owned[size_t(e.owned)];
                        AppendEncoded(out, o.key + '=' + o.value);
                    } else {
                        AppendLines(out, bytes, e.start, e.end);
                    }
                }
            }
            AppendLines(out, bytes, cursor, sec.bodyEnd);
        }
        AppendLines(out, bytes, sec.bodyEnd, tailEnd);
        headerStart = tailEnd;
    }
    return out;
}

bool IniFile::SectionExists(const QString &section) const { return FindSection(section) >= 0; }

bool IniFile::ValueExists(const QString &section, const QString &key) const
{
    return Find(section, key, nullptr) != nullptr;
}

QStringList IniFile::ReadSection(const QString &section) const
{
    QStringList keys;
    const int s = FindSection(section);
    if (s < 0)
        return keys;
    const Section &sec = content_.sections[size_t(s)];
    const Detail &d = Expand(s);
    const char *bytes = content_.bytes.constData();
    // Every key line, the later ones of a name too.
    auto rawKeys = [&](quint32 from, quint32 to) {
        for (quint32 pos = from; pos < to;) {
            const LineSpan line = LineAt(content_.bytes, pos);
            quint32 keyStart, keyEnd;
            if (KeyLine(bytes, line.start, line.end, keyStart, keyEnd, nullptr, nullptr))
                keys << cp1251::Decode(bytes + keyStart, keyEnd - keyStart);
            pos = line.next;
        }
    };
    quint32 cursor = BodyStart(sec);
    for (const Entry &e : d.entries) {
        rawKeys(cursor, e.start);
        keys << EntryKey(d, e);
        cursor = e.end;
    }
    rawKeys(cursor, sec.bodyEnd);
    return keys;
}

QString IniFile::ReadString(const QString &section, const QString &key, const QString &def) const
{
    const Detail *d = nullptr;
    const Entry *e = Find(section, key, &d);
    if (!e)
        return def;
    QString value;
    if (e->owned >= 0) {
        value = d->owned[size_t(e->owned)].value.trimmed();
    } else {
        const char *bytes = content_.bytes.constData();
        const LineSpan line = LineAt(content_.bytes, e->start);
        quint32 keyStart, keyEnd, valueStart = 0, valueEnd = 0;
        KeyLine(bytes, line.start, line.end, keyStart, keyEnd, &valueStart, &valueEnd);
        value = cp1251::Decode(bytes + valueStart, valueEnd - valueStart);
    }
    const qsizetype nul = value.indexOf(QChar(0));
    return Unquote(nul < 0 ? value : value.left(nul).trimmed());
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
    // A file read only in part, or not at all, would lose what was not read.
    if (truncated_ || unreadable_ || !ReplaceFile(path_, Serialize()))
        throw EIniFileException("Unable to write to " + path_.toStdString());
}

template <typename Change> void IniFile::Apply(Change change)
{
    if (batch_) {
        change();
        return;
    }
    Content before = content_; // shares the bytes; cheap beside the file write
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
        int s = FindSection(section);
        if (s < 0) {
            Detail fresh;
            fresh.fresh = true;
            fresh.name = section;
            // A blank line parts the new section from the last line of the file.
            fresh.parted = (content_.sections.size() > 1 || !content_.bytes.isEmpty()) && !LastLineBlank();
            const quint32 end = quint32(content_.bytes.size());
            fresh.insertAt = end;
            s = int(content_.sections.size());
            content_.sections.push_back(Section{end, 0, end, int(content_.details.size())});
            content_.details.push_back(std::move(fresh));
            content_.index.Insert(HashText(section), s, [&](int other) { return SectionHash(other); });
        }
        Detail &d = Expand(s);
        const int found = FindKey(d, key);
        if (found >= 0) {
            Entry &e = d.entries[size_t(found)];
            if (e.owned >= 0) {
                d.owned[size_t(e.owned)].value = value;
            } else {
                // Keeps the key's spelling.
                d.owned.push_back(Owned{EntryKey(d, e), value});
                e.owned = int(d.owned.size()) - 1;
            }
            return;
        }
        // After the section's last line, before blank lines that part it
        // from the next section.
        const int k = int(d.entries.size());
        d.entries.push_back(Entry{d.insertAt, d.insertAt, 0, int(d.owned.size())});
        d.owned.push_back(Owned{key, value});
        d.keys.Insert(HashText(key), k, [&](int other) { return HashText(EntryKey(d, d.entries[size_t(other)])); });
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

// Erasing brings a later section or key of the same name forward: the
// content is parsed again as the file would read.
void IniFile::EraseSection(const QString &section)
{
    const int s = FindSection(section);
    if (s < 0)
        return;
    Apply([&] { Parse(Serialize(s)); });
}

void IniFile::DeleteKey(const QString &section, const QString &key)
{
    const Entry *e = Find(section, key, nullptr);
    if (!e)
        return;
    Apply([&] { Parse(Serialize(-1, e)); });
}

void IniFile::BeginUpdate() { batch_ = true; }

void IniFile::UpdateFile()
{
    batch_ = false;
    Save();
}
