#pragma once
// INI files as the Win32 private-profile functions treat them: section and
// key names compare without regard to case, values are trimmed, and every
// write updates the file on disk key by key, leaving the other lines alone.
// The file is Windows-1251 with CR LF line ends.
#include <QString>
#include <QStringList>
#include <stdexcept>
#include <deque>
#include <vector>

class EIniFileException : public std::runtime_error {
public:
    explicit EIniFileException(const std::string &message) : std::runtime_error(message) {}
};

// What an IniFile found at its path, links followed.
enum class IniPathKind {
    Missing,   // nothing there (a dangling link too): writes create the file
    File,      // a regular file
    Directory, // never read or written
    Special,   // a FIFO, socket or device: never opened, so nothing waits on it
};

class IniFile {
public:
    // The reader takes in at most this many bytes of a file. A longer file is
    // read up to that point and can no longer be written through this object
    // (its tail would be lost).
    static constexpr qint64 MaxFileSize = 16 * 1024 * 1024;

    // Reads the file if it is a regular one; a missing file is an empty one.
    // Anything else at the path (a directory, FIFO, socket or device) reads
    // as empty without being opened, and, like a file that exists but cannot
    // be read, is never written through this object. The reader holds the
    // file's bytes and little more: lines are parsed when a section is first
    // looked up.
    explicit IniFile(const QString &path);

    const QString &FileName() const { return path_; }
    IniPathKind PathKind() const { return kind_; }
    // The file was longer than MaxFileSize: only its head was read.
    bool Truncated() const { return truncated_; }

    bool SectionExists(const QString &section) const;
    bool ValueExists(const QString &section, const QString &key) const;
    // Keys of a section in file order.
    QStringList ReadSection(const QString &section) const;

    // A value is read up to its first NUL, as a C string would be.
    QString ReadString(const QString &section, const QString &key, const QString &def) const;
    int ReadInteger(const QString &section, const QString &key, int def) const;
    double ReadFloat(const QString &section, const QString &key, double def) const;
    bool ReadBool(const QString &section, const QString &key, bool def) const;

    // Each write goes to disk at once; a failure throws
    // EIniFileException("Unable to write to <path>") and leaves the file and
    // this object as they were. CR, LF and NUL in a name or value would break
    // the line apart: each is written as a blank.
    void WriteString(const QString &section, const QString &key, const QString &value);
    void WriteInteger(const QString &section, const QString &key, int value);
    void WriteFloat(const QString &section, const QString &key, double value);
    void WriteBool(const QString &section, const QString &key, bool value);

    void EraseSection(const QString &section);
    void DeleteKey(const QString &section, const QString &key);

    // A batch: after BeginUpdate the writes change only the copy in memory;
    // UpdateFile then replaces the file once (a temporary beside it, flushed
    // and renamed over it), keeping every line the batch did not write. A
    // failure throws EIniFileException and leaves the old file byte for byte.
    // A batch never committed writes nothing. Either way the batch ends.
    //
    // Through a chain of links the file at its end is replaced and the links
    // stay; a dangling link gets its file created. The temporary is named
    // "." + name + ".saving-XXXXXX" and locked while it is written; a save
    // removes the unlocked ones of its own file, left by a save that was
    // killed. A write beyond the file-size limit fails like any other.
    void BeginUpdate();
    void UpdateFile();
    bool Updating() const { return batch_; }

private:
    // Open-addressing table of ids (sections or keys) looked up by name; the
    // names themselves stay in the file's bytes.
    class NameTable {
    public:
        template <typename Same> int Find(size_t hash, Same same) const;
        template <typename HashOf> void Insert(size_t hash, int id, HashOf hashOf);

    private:
        void Place(size_t hash, int id);
        std::vector<qint32> slots_; // id, or -1 when free
        size_t count_ = 0;
    };

    // A key line written through this object: key "=" value.
    struct Owned {
        QString key;
        QString value; // as written; reads trim it
    };
    // The first line of a key in a section.
    struct Entry {
        quint32 start;     // the line in the file's bytes, its line break included
        quint32 end;       // (start == end for a line added here, which goes there);
        quint32 keyLength; // its key begins at its first character that is no blank
        qint32 owned;      // index into Detail::owned once written, else -1
    };
    // A section's key lines, parsed when it is first looked up.
    struct Detail {
        std::vector<Entry> entries; // in file order
        std::vector<Owned> owned;
        NameTable keys;
        quint32 insertAt = 0; // after the last line that is not blank
        QString name;         // a section added here: its name
        bool fresh = false;   // added here, after the file's bytes
        bool parted = false;  // a blank line goes before its header
    };
    // The body runs from the line after the header to bodyEnd; from there to
    // the next section lie sections of an earlier name, kept unread.
    struct Section {
        quint32 nameStart; // the name in the header line (fresh: where the body goes)
        quint32 nameLength;
        quint32 bodyEnd;
        qint32 detail; // index into details_, or -1 while unparsed
    };
    struct Content {
        QByteArray bytes;              // the file as read, Windows-1251
        std::vector<Section> sections; // [0]: the lines before the first header
        std::deque<Detail> details;
        NameTable index; // name -> first section with it
    };

    void Parse(QByteArray bytes);
    bool Fresh(const Section &sec) const;
    quint32 BodyStart(const Section &sec) const;
    quint32 KeyStart(const Entry &e) const;
    size_t SectionHash(int s) const;
    bool SectionIs(int s, const QString &name) const;
    int FindSection(const QString &section) const;
    Detail &Expand(int s) const;
    int FindKey(const Detail &d, const QString &key) const;
    const Entry *Find(const QString &section, const QString &key, const Detail **detail) const;
    QString EntryKey(const Detail &d, const Entry &e) const;
    quint32 NextStart(size_t s) const;
    bool LastLineBlank() const;
    QByteArray Serialize(int skipSection = -1, const Entry *skipEntry = nullptr) const;
    void Save() const;
    // Applies change to the content; outside a batch the file is saved at
    // once and the content restored when that fails.
    template <typename Change> void Apply(Change change);

    QString path_;
    mutable Content content_; // sections are parsed on first look-up
    IniPathKind kind_ = IniPathKind::Missing;
    bool batch_ = false;
    bool truncated_ = false;
    bool unreadable_ = false;
};
