#pragma once
// The programs' side of the dialog seam: real Qt dialogs.
#include "common/dialogs.h"

class QtDialogs : public ui::Dialogs {
public:
    int Message(QObject *owner, const QString &text, const QString &caption, unsigned flags) override;
    bool InputQuery(QObject *owner, const QString &caption, const QString &prompt, QString &value) override;
    bool OpenFileName(QObject *owner, const ui::FileRequest &request, QString &path) override;
    bool SaveFileName(QObject *owner, const ui::FileRequest &request, QString &path) override;
    bool PrintSetup(QObject *owner, QPrinter &printer) override;
    int ExecForm(QDialog &form) override;
};
