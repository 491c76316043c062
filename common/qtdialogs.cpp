#include "common/qtdialogs.h"
#include "common/lang.h"
#include <QApplication>
#include <QDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QWidget>

namespace {

QWidget *Window(QObject *owner)
{
    QWidget *w = qobject_cast<QWidget *>(owner);
    return w ? w->window() : QApplication::activeWindow();
}

// An empty caption is the application title, as the class library's boxes have.
QString Caption(const QString &caption)
{
    return caption.isEmpty() ? QApplication::applicationDisplayName() : caption;
}

} // namespace

int QtDialogs::Message(QObject *owner, const QString &text, const QString &caption, unsigned flags)
{
    QMessageBox box(Window(owner));
    box.setWindowTitle(Caption(caption));
    box.setText(text);
    switch (ui::IconOf(flags)) {
    case ui::MbIconError: box.setIcon(QMessageBox::Critical); break;
    case ui::MbIconQuestion: box.setIcon(QMessageBox::Question); break;
    case ui::MbIconWarning: box.setIcon(QMessageBox::Warning); break;
    case ui::MbIconInformation: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon(QMessageBox::NoIcon); break;
    }
    struct Button {
        const char *ru, *en;
        QMessageBox::ButtonRole role;
        int result;
    };
    std::vector<Button> buttons;
    const Button ok{"OK", "OK", QMessageBox::AcceptRole, ui::IdOk};
    const Button yes{"Да", "Yes", QMessageBox::YesRole, ui::IdYes};
    const Button no{"Нет", "No", QMessageBox::NoRole, ui::IdNo};
    const Button cancel{"Отмена", "Cancel", QMessageBox::RejectRole, ui::IdCancel};
    switch (ui::ButtonsOf(flags)) {
    case ui::MbOkCancel: buttons = {ok, cancel}; break;
    case ui::MbYesNoCancel: buttons = {yes, no, cancel}; break;
    case ui::MbYesNo: buttons = {yes, no}; break;
    default: buttons = {ok}; break;
    }
    std::vector<std::pair<QAbstractButton *, int>> made;
    for (const Button &b : buttons)
        made.push_back({box.addButton(Lang(b.ru, b.en), b.role), b.result});
    box.setDefaultButton(static_cast<QPushButton *>(made.front().first));
    // Escape answers Cancel where there is one, else the only or last button.
    box.setEscapeButton(made.back().first);
    box.exec();
    for (const auto &m : made)
        if (box.clickedButton() == m.first)
            return m.second;
    return made.back().second;
}

bool QtDialogs::InputQuery(QObject *owner, const QString &caption, const QString &prompt, QString &value)
{
    QInputDialog dlg(Window(owner));
    dlg.setWindowTitle(Caption(caption));
    dlg.setLabelText(prompt);
    dlg.setTextValue(value);
    dlg.setOkButtonText(QStringLiteral("OK"));
    dlg.setCancelButtonText(Lang("Отмена", "Cancel"));
    if (dlg.exec() != QDialog::Accepted)
        return false;
    value = dlg.textValue();
    return true;
}

static bool RunFileDialog(QObject *owner, const ui::FileRequest &r, QString &path, bool save)
{
    QFileDialog dlg(Window(owner), r.title, r.initialPath, r.filter);
    dlg.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dlg.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dlg.setDefaultSuffix(r.defaultSuffix);
    dlg.setOption(QFileDialog::DontUseNativeDialog, true);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return false;
    path = dlg.selectedFiles().front();
    return true;
}

bool QtDialogs::OpenFileName(QObject *owner, const ui::FileRequest &request, QString &path)
{
    return RunFileDialog(owner, request, path, false);
}

bool QtDialogs::SaveFileName(QObject *owner, const ui::FileRequest &request, QString &path)
{
    return RunFileDialog(owner, request, path, true);
}

bool QtDialogs::PrintSetup(QObject *owner, QPrinter &printer)
{
    QPrintDialog dlg(&printer, Window(owner));
    return dlg.exec() == QDialog::Accepted;
}

int QtDialogs::ExecForm(QDialog &form)
{
    return form.exec();
}
