#pragma once
// The one seam through which the logic asks the user: message boxes, input
// queries, file and print dialogs. The programs install the Qt implementation;
// tests install one that records each request and answers from a script.
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class QDialog;
class QPrinter;

namespace ui {

// The number of pages a print job comes to on a printer set up as given
// (its paper, orientation, margins and resolution).
using PageCounter = std::function<int(const QPrinter &)>;

// Flags and results keep the Win32 values the program's logic was written
// against.
enum : unsigned {
    MbOk = 0x00,
    MbOkCancel = 0x01,
    MbYesNoCancel = 0x03,
    MbYesNo = 0x04,
    MbIconError = 0x10,
    MbIconQuestion = 0x20,
    MbIconWarning = 0x30,
    MbIconInformation = 0x40,
};
enum : int { IdOk = 1, IdCancel = 2, IdYes = 6, IdNo = 7 };

constexpr unsigned ButtonsOf(unsigned flags) { return flags & 0x0F; }
constexpr unsigned IconOf(unsigned flags) { return flags & 0xF0; }

struct FileRequest {
    QString title;
    QString filter;      // Qt filter text, e.g. "Scale files (*.scl3)"
    QString defaultSuffix;
    QString initialPath;
};

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // A modal message box; owner may be null. Returns IdOk, IdYes, IdNo, IdCancel.
    virtual int Message(QObject *owner, const QString &text, const QString &caption, unsigned flags) = 0;
    // Asks for one line of text; false when cancelled (value unchanged).
    virtual bool InputQuery(QObject *owner, const QString &caption, const QString &prompt, QString &value) = 0;
    // File dialogs: false when cancelled.
    virtual bool OpenFileName(QObject *owner, const FileRequest &request, QString &path) = 0;
    virtual bool SaveFileName(QObject *owner, const FileRequest &request, QString &path) = 0;
    // The print dialog on printer (printer, paper, page range, file output),
    // as the caller has set it up for the job; false when cancelled. pages
    // counts the job's pages, so that a dialog in which the user picks
    // another paper can offer the range of that paper.
    virtual bool PrintSetup(QObject *owner, QPrinter &printer, const PageCounter &pages) = 0;
    // Runs one of the programs' own modal forms (already filled in by its
    // caller) and returns its QDialog result (QDialog::Accepted or Rejected).
    virtual int ExecForm(QDialog &form) = 0;
};

// The installed implementation. Before any is installed, a default one answers
// No to a Yes/No box, Cancel where there is a Cancel button, OK to a box with
// OK alone, and cancels every query, dialog and form.
Dialogs &Current();
// Installs d (not owned) and returns the previous one; null restores the default.
Dialogs *Install(Dialogs *d);

// The save dialog that asks before creating a file: when the chosen name
// (with the default extension added where it has none) names no file yet, a
// Yes/No box asks "<path>\nThis file does not exist.\nCreate the file?"
// under the dialog's title ("Save As" without one); No shows the dialog
// again at that name. False when the dialog was cancelled.
bool SaveFileNameCreating(QObject *owner, FileRequest request, QString &path);

// Short forms.
inline int Message(QObject *owner, const QString &text, const QString &caption, unsigned flags)
{
    return Current().Message(owner, text, caption, flags);
}

} // namespace ui
