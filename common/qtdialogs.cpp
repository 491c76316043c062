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
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QPageLayout>
#include <QPageRanges>
#include <QPageSize>
#include <QRadioButton>
#include <QSpinBox>
#include <algorithm>
#include <optional>

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

namespace {

// The paper that the print dialog's properties show, as a page layout; none
// when they have not been opened. Qt hands the paper picked there to the
// printer only when the print dialog itself is accepted, so it is read from
// the properties' own fields (their object names in Qt's dialog).
std::optional<QPageLayout> ShownPageLayout(const QPrintDialog &dlg)
{
    for (const QDialog *properties : dlg.findChildren<QDialog *>()) {
        const auto *sizes = properties->findChild<QComboBox *>(QStringLiteral("pageSizeCombo"));
        const auto *units = properties->findChild<QComboBox *>(QStringLiteral("unitCombo"));
        const auto spin = [&](const char *name) {
            const auto *box = properties->findChild<QDoubleSpinBox *>(QLatin1String(name));
            return box ? box->value() : -1.0;
        };
        if (!sizes || !units || !units->currentData().canConvert<int>())
            continue;
        const auto unit = QPageLayout::Unit(units->currentData().toInt());
        QPageSize size = sizes->currentData().value<QPageSize>();
        if (!size.isValid()) // a custom size: its width and height
            size = QPageSize(QSizeF(spin("pageWidth"), spin("pageHeight")), QPageSize::Unit(unit));
        const QMarginsF margins(spin("leftMargin"), spin("topMargin"), spin("rightMargin"), spin("bottomMargin"));
        if (!size.isValid() || margins.left() < 0 || margins.top() < 0 || margins.right() < 0 || margins.bottom() < 0)
            continue;
        const auto *landscape = properties->findChild<QRadioButton *>(QStringLiteral("landscape"));
        const auto *reversed = properties->findChild<QRadioButton *>(QStringLiteral("reverseLandscape"));
        const bool across = (landscape && landscape->isChecked()) || (reversed && reversed->isChecked());
        return QPageLayout(size, across ? QPageLayout::Landscape : QPageLayout::Portrait, margins, unit);
    }
    return std::nullopt;
}

// While "All" is chosen, the range that the dialog shows follows the paper
// picked under its properties: the job's pages are counted again on a
// scratch printer with that paper and the printer's resolution.
void OfferRangeOfShownPaper(QPrintDialog &dlg, const QPrinter &printer, const ui::PageCounter &pages)
{
    auto *properties = dlg.findChild<QPushButton *>(QStringLiteral("properties"));
    auto *all = dlg.findChild<QRadioButton *>(QStringLiteral("printAll"));
    auto *from = dlg.findChild<QSpinBox *>(QStringLiteral("from"));
    auto *to = dlg.findChild<QSpinBox *>(QStringLiteral("to"));
    if (!properties || !all || !from || !to)
        return;
    // Connected after the dialog's own handler, so this runs once the
    // properties have closed.
    QObject::connect(properties, &QPushButton::clicked, &dlg, [&dlg, &printer, pages, all, from, to] {
        const std::optional<QPageLayout> layout = ShownPageLayout(dlg);
        if (!layout || !all->isChecked())
            return;
        QPrinter scratch(QPrinter::HighResolution);
        scratch.setOutputFormat(QPrinter::PdfFormat);
        scratch.setResolution(printer.resolution());
        scratch.setFullPage(printer.fullPage());
        scratch.setPageLayout(*layout);
        const int count = std::max(1, pages(scratch));
        from->setValue(1);
        to->setValue(count);
    });
}

} // namespace

bool QtDialogs::PrintSetup(QObject *owner, QPrinter &printer, const ui::PageCounter &pages)
{
    QPrintDialog dlg(&printer, Window(owner));
    if (pages)
        OfferRangeOfShownPaper(dlg, printer, pages);
    return dlg.exec() == QDialog::Accepted;
}

int QtDialogs::ExecForm(QDialog &form)
{
    return form.exec();
}

namespace ui {

bool AskPrintJob(QObject *owner, QPrinter &printer, const PageCounter &pages)
{
    printer.setPrintRange(QPrinter::AllPages);
    printer.setFromTo(1, std::max(1, pages ? pages(printer) : 1));
    return Current().PrintSetup(owner, printer, pages);
}

std::vector<int> ChosenPages(const QPrinter &printer, int count)
{
    const QPageRanges ranges = printer.pageRanges();
    const bool all = printer.printRange() != QPrinter::PageRange || ranges.isEmpty();
    std::vector<int> chosen;
    for (int page = 1; page <= count; ++page)
        if (all || ranges.contains(page))
            chosen.push_back(page);
    return chosen;
}

std::vector<int> PagesToPrint(QObject *owner, const QPrinter &printer, int count)
{
    std::vector<int> chosen = ChosenPages(printer, count);
    if (chosen.empty())
        Message(owner, NoPagesText(count), QCoreApplication::applicationName(), MbOk | MbIconError);
    return chosen;
}

QString NoPagesText(int count)
{
    return Lang("В выбранном диапазоне нет страниц: в задании печати страницы с 1 по %1.",
                "The chosen range holds no page: the print has pages 1 to %1.")
        .arg(count);
}

} // namespace ui
