#pragma once
// INI files as the Win32 private-profile functions treat them: section and
// key names compare without regard to case, values are trimmed, and every
// write updates the file on disk key by key, leaving the other lines alone.
// The file is Windows-1251 with CR LF line ends.
#include <QString>
#include <QStringList>
#include <stdexcept>
#include <unordered_map>
#include <vector>

class EIniFileException : public std::runtime_error {
public:
    explicit EIniFileException(const std::string &message) : std::runtime_error(message) {}
};

class IniFile {
public:
    // The reader takes in at most this many bytes of a file. A longer file is
    // read up to that point and can no longer be written through this object
    // (its tail would be lost).
    static constexpr qint64 MaxFileSize = 16 * 1024 * 1024;

    // Reads the file if it exists; a missing file is an empty one. A file
    // that exists but cannot be read is never written through this object.
    explicit IniFile(const QString &path);

    const QString &FileName() const { return path_; }
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
    void BeginUpdate();
    void UpdateFile();
    bool Updating() const { return batch_; }

private:
    struct Line {
        QString text;  // the whole line as it stands in the file
        QString key;   // set on a key line
        QString value; // trimmed
    };
    // Names compare without regard to case, looked up without a folded copy.
    struct NameHash {
        size_t operator()(const QString &name) const noexcept;
    };
    struct NameEqual {
        bool operator()(const QString &a, const QString &b) const noexcept;
    };
    using NameIndex = std::unordered_map<QString, int, NameHash, NameEqual>;

    struct Section {
        QString name;      // empty for the lines before the first header
        QString header;    // the header line as it stands; empty for the lead-in
        std::vector<Line> lines;
        NameIndex keys; // key -> first line with it
        void IndexKeys();
    };
    struct Content {
        std::vector<Section> sections; // [0]: the lines before the first header
        NameIndex index;               // name -> first section with it
        void IndexSections();
    };

    static int Lookup(const NameIndex &index, const QString &name);
    const Line *Find(const QString &section, const QString &key) const;
    int FindSection(const QString &section) const;
    void Save() const;
    // Applies change to the content; outside a batch the file is saved at
    // once and the content restored when that fails.
    template <typename Change> void Apply(Change change);
    void AddLine(const QString &text);

    QString path_;
    Content content_;
    bool batch_ = false;
    bool truncated_ = false;
    bool unreadable_ = false;
};
