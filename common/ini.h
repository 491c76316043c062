#pragma once
// INI files as the Win32 private-profile functions treat them: section and
// key names compare without regard to case, values are trimmed, and every
// write updates the file on disk key by key, leaving the other lines alone.
// The file is Windows-1251 with CR LF line ends.
#include <QString>
#include <QStringList>
#include <stdexcept>
#include <vector>

class EIniFileException : public std::runtime_error {
public:
    explicit EIniFileException(const std::string &message) : std::runtime_error(message) {}
};

class IniFile {
public:
    // Reads the file if it exists; a missing file is an empty one.
    explicit IniFile(const QString &path);

    const QString &FileName() const { return path_; }

    bool SectionExists(const QString &section) const;
    bool ValueExists(const QString &section, const QString &key) const;
    // Keys of a section in file order.
    QStringList ReadSection(const QString &section) const;

    QString ReadString(const QString &section, const QString &key, const QString &def) const;
    int ReadInteger(const QString &section, const QString &key, int def) const;
    double ReadFloat(const QString &section, const QString &key, double def) const;
    bool ReadBool(const QString &section, const QString &key, bool def) const;

    // Each write goes to disk at once; a failure throws
    // EIniFileException("Unable to write to <path>") and leaves the file as it was.
    void WriteString(const QString &section, const QString &key, const QString &value);
    void WriteInteger(const QString &section, const QString &key, int value);
    void WriteFloat(const QString &section, const QString &key, double value);
    void WriteBool(const QString &section, const QString &key, bool value);

    void EraseSection(const QString &section);
    void DeleteKey(const QString &section, const QString &key);

    // A batch: after BeginUpdate the writes change only the copy in memory;
    // UpdateFile then replaces the file once (a temporary beside it, renamed
    // over it), keeping every line the batch did not write. A failure throws
    // EIniFileException and leaves the old file byte for byte. A batch never
    // committed writes nothing.
    void BeginUpdate();
    void UpdateFile();
    bool Updating() const { return batch_; }

private:
    struct Line {
        QString text;    // the whole line as it stands in the file
        QString section; // set on a section header line
        QString key;     // set on a key line
        QString value;
    };
    int FindSection(const QString &section) const;
    int FindKey(int sectionLine, const QString &key) const;
    int SectionEnd(int sectionLine) const;
    void Save(const std::vector<Line> &lines) const;
    // Saves lines (unless in a batch) and takes them as the current content.
    void Commit(std::vector<Line> &&lines);
    static Line Parse(const QString &text);

    QString path_;
    std::vector<Line> lines_;
    bool batch_ = false;
};
