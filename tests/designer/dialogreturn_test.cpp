// Return on a focused button in the designer's dialogs: the axis dialog, the
// point dialog, the write and the scale-list dialogs, About and the message
// boxes.
#include "common/aboutform.h"
#include "designer/epoint.h"
#include "designer/graphxy.h"
#include "tests/support/dialog_return.h"
#include "transfer/prx54.h"
#include "transfer/scalelist.h"

namespace {

QString AxisDialog(RecordingDialogs &)
{
    TNetSizeForm form;
    double xMin = 0, xMax = 100, yMin = 0, yMax = 100;
    const bool ok = form.Execute(xMin, xMax, yMin, yMax);
    return (ok ? QStringLiteral("applied, x from %1") : QStringLiteral("cancelled, x from %1")).arg(xMin);
}

QString PointDialog(RecordingDialogs &)
{
    TEditPointForm form;
    double x = 1, y = 2;
    const bool ok = form.Execute(QString::fromUtf8("Изменить точку"), x, y);
    return (ok ? QStringLiteral("applied, x %1") : QStringLiteral("cancelled, x %1")).arg(x);
}

// Program on the empty port box would start a write and say why it fails.
QString WriteDialog(RecordingDialogs &dialogs)
{
    TPRx54ProgForm form;
    ScaleWriteData data;
    data.xTitle = QStringLiteral("U");
    data.name = QStringLiteral("Press");
    data.units = QStringLiteral("kPa");
    data.x = {0, 100};
    data.y = {0, 250};
    return Closed(form.Execute(data), dialogs);
}

QString ScaleListDialog(RecordingDialogs &dialogs)
{
    TScaleListForm form;
    ScaleLoaded = false;
    const int result = form.Execute();
    return Closed(result, dialogs) + (ScaleLoaded ? QStringLiteral(", loaded") : QString());
}

QString AboutDialog(RecordingDialogs &dialogs)
{
    TAboutForm form(TarvikAboutTexts());
    return Closed(form.Execute(), dialogs);
}

// The save prompt of a clear, an open or an exit.
QString SavePrompt(RecordingDialogs &)
{
    QtDialogs real;
    switch (real.Message(nullptr, QString::fromUtf8("Сохранить изменения ?"), QStringLiteral("Scale"),
                         ui::MbYesNoCancel | ui::MbIconQuestion)) {
    case ui::IdYes: return QStringLiteral("yes");
    case ui::IdNo: return QStringLiteral("no");
    case ui::IdCancel: return QStringLiteral("cancelled");
    default: return QStringLiteral("?");
    }
}

void Type30(QWidget *modal, const char *edit) { TypeInto(modal, edit, QStringLiteral("30")); }

const DialogCase Cases[] = {
    {"AxisDialogCancel", QStringLiteral("BitBtn2"), [](QWidget *m) { Type30(m, "MinXEdit"); }, AxisDialog,
     "cancelled, x from 0"},
    {"AxisDialogOk", QStringLiteral("OkButton"), [](QWidget *m) { Type30(m, "MinXEdit"); }, AxisDialog,
     "applied, x from 30"},
    {"PointDialogCancel", QStringLiteral("Button2"), [](QWidget *m) { Type30(m, "XValueEdit"); }, PointDialog,
     "cancelled, x 1"},
    {"PointDialogOk", QStringLiteral("Button1"), [](QWidget *m) { Type30(m, "XValueEdit"); }, PointDialog,
     "applied, x 30"},
    {"WriteDialogExit", QStringLiteral("BitBtn2"), {}, WriteDialog, "closed"},
    {"ScaleListExit", QStringLiteral("BitBtn2"), {}, ScaleListDialog, "closed"},
    {"About", QStringLiteral("Button1"), {}, AboutDialog, "accepted"},
    {"SavePromptCancel", QString::fromUtf8("Отмена"), {}, SavePrompt, "cancelled"},
    {"SavePromptNo", QString::fromUtf8("Нет"), {}, SavePrompt, "no"},
};

} // namespace

INSTANTIATE_TEST_SUITE_P(Designer, DialogReturn, ::testing::ValuesIn(Cases),
                         [](const auto &info) { return std::string(info.param.name); });
