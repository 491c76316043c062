#include "designer/epoint.h"
#include "common/dialogbuttons.h"
#include "common/dialogs.h"
#include "common/exceptiondisplay.h"
#include "common/lang.h"
#include "common/numtext.h"
#include "common/windowplace.h"
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TEditPointForm::TEditPointForm(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("EditPointForm"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setFixedSize(300, 148);
    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameShape(QFrame::Box);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setGeometry(8, 8, 284, 92);
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(16, 16, 268, 18);
    XValueEdit = new QLineEdit(this);
    XValueEdit->setObjectName(QStringLiteral("XValueEdit"));
    XValueEdit->setGeometry(16, 34, 268, 22);
    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(16, 58, 268, 18);
    YValueEdit = new QLineEdit(this);
    YValueEdit->setObjectName(QStringLiteral("YValueEdit"));
    YValueEdit->setGeometry(16, 76, 268, 22);
    Label1->setBuddy(XValueEdit);
    Label2->setBuddy(YValueEdit);
    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(64, 110, 80, 28);
    Button2 = new QPushButton(this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(156, 110, 80, 28);
    SetDialogButtons(*this, Button1);
    connect(Button1, &QPushButton::clicked, this, [this] { Guarded(this, [&] { Button1Click(); }); });
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
}

bool TEditPointForm::Execute(const QString &caption, double &x, double &y)
{
    Label1->setText(Lang("Истинное значение", "Real value"));
    Label2->setText(Lang("Аппроксимационное значение", "Approximation value"));
    Button1->setText(QStringLiteral("OK"));
    Button2->setText(Lang("Отмена", "Cancel"));
    setWindowTitle(caption);
    XValueEdit->setText(numtext::FloatToStr(x));
    YValueEdit->setText(numtext::FloatToStr(y));
    XValueEdit->setFocus();
    XValueEdit->selectAll();
    CentreOnDesktop(*this);
    if (ui::Current().ExecForm(*this) != QDialog::Accepted)
        return false;
    double nx = 0, ny = 0;
    // Button1Click let the dialog close only with both values valid.
    if (!numtext::TryStrToFloat(XValueEdit->text(), nx) || !numtext::TryStrToFloat(YValueEdit->text(), ny))
        return false;
    x = nx;
    y = ny;
    return true;
}

void TEditPointForm::Button1Click()
{
    double v = 0;
    if (!numtext::TryStrToFloat(XValueEdit->text(), v)) {
        ui::Message(this, Lang("Недопустимое значение истинного значения !", "Wrong real value!"), windowTitle(),
                    ui::MbOk | ui::MbIconError);
        XValueEdit->setFocus();
        return;
    }
    if (!numtext::TryStrToFloat(YValueEdit->text(), v)) {
        ui::Message(this, Lang("Недопустимое значение аппроксимационного значения !", "Wrong approximation value!"),
                    windowTitle(), ui::MbOk | ui::MbIconError);
        YValueEdit->setFocus();
        return;
    }
    accept();
}
