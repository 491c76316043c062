#include "common/dialogs.h"
#include "common/lang.h"
#include <QFileInfo>

namespace ui {
namespace {

// Used when no program or test has installed a seam: never blocks, and never
// agrees to anything (No or Cancel where the box offers them).
class DefaultDialogs : public Dialogs {
public:
    int Message(QObject *, const QString &, const QString &, unsigned flags) override
    {
        switch (ButtonsOf(flags)) {
        case MbYesNo: return IdNo;
        case MbYesNoCancel:
        case MbOkCancel: return IdCancel;
        default: return IdOk;
        }
    }
    bool InputQuery(QObject *, const QString &, const QString &, QString &) override { return false; }
    bool OpenFileName(QObject *, const FileRequest &, QString &) override { return false; }
    bool SaveFileName(QObject *, const FileRequest &, QString &) override { return false; }
    bool PrintSetup(QObject *, QPrinter &, const PageCounter &) override { return false; }
    int ExecForm(QDialog &) override { return 0; } // QDialog::Rejected
};

DefaultDialogs defaultDialogs;
Dialogs *current = &defaultDialogs;

} // namespace

Dialogs &Current() { return *current; }

Dialogs *Install(Dialogs *d)
{
    Dialogs *previous = current == &defaultDialogs ? nullptr : current;
    current = d ? d : &defaultDialogs;
    return previous;
}

bool SaveFileNameCreating(QObject *owner, FileRequest request, QString &path)
{
    for (;;) {
        if (!Current().SaveFileName(owner, request, path))
            return false;
        if (!request.defaultSuffix.isEmpty() && QFileInfo(path).suffix().isEmpty())
            path += u'.' + request.defaultSuffix;
        // The dialog asks before replacing a file; before creating one we ask.
        if (QFileInfo::exists(path))
            return true;
        const QString text = path + Lang("\nЭтот файл не существует.\nСоздать файл?",
                                         "\nThis file does not exist.\nCreate the file?");
        const QString caption = request.title.isEmpty() ? Lang("Сохранить как", "Save As") : request.title;
        if (Message(owner, text, caption, MbYesNo | MbIconWarning) == IdYes)
            return true;
        request.initialPath = path;
    }
}

} // namespace ui
