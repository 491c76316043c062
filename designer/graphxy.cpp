#include "designer/graphxy.h"
#include "common/dialogbuttons.h"
#include "common/dialogs.h"
#include "common/lang.h"
#include "common/numtext.h"
#include "graph/net.h"
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cmath>

namespace {

// The x messages write the axis letter as the Cyrillic capital Х.
constexpr LangText FieldMessage[] = {
    {"Недопустимое минимальное значение по оси \u0425 !", "Wrong minimum axis X value!"},
    {"Недопустимое максимальное значение по оси \u0425 !", "Wrong maximum axis X value!"},
    {"Недопустимое минимальное значение по оси Y !", "Wrong minimum axis Y value!"},
    {"Недопустимое максимальное значение по оси Y !", "Wrong maximum axis Y value!"},
};
constexpr LangText Caption = {"Размер графика", "Graph size"};

QLabel *MakeLabel(QWidget *parent, const char *name, int y)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(20, y, 220, 21);
    return label;
}

QLineEdit *MakeEdit(QWidget *parent, const char *name, int y)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setGeometry(248, y - 2, 120, 25);
    return edit;
}

} // namespace

TNetSizeForm::TNetSizeForm(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("NetSizeForm"));
    setFixedSize(392, 200);
    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameShape(QFrame::Box);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setGeometry(8, 8, 376, 140);
    Label2 = MakeLabel(this, "Label2", 22);
    MinXEdit = MakeEdit(this, "MinXEdit", 22);
    Label1 = MakeLabel(this, "Label1", 52);
    MaxXEdit = MakeEdit(this, "MaxXEdit", 52);
    Label4 = MakeLabel(this, "Label4", 82);
    MinYEdit = MakeEdit(this, "MinYEdit", 82);
    Label3 = MakeLabel(this, "Label3", 112);
    MaxYEdit = MakeEdit(this, "MaxYEdit", 112);
    OkButton = new QPushButton(QStringLiteral("OK"), this);
    OkButton->setObjectName(QStringLiteral("OkButton"));
    OkButton->setGeometry(196, 160, 88, 30);
    BitBtn2 = new QPushButton(this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setGeometry(292, 160, 88, 30);
    SetDialogButtons(*this, OkButton);
    connect(OkButton, &QPushButton::clicked, this, &TNetSizeForm::OkButtonClick);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
}

QLineEdit *TNetSizeForm::Edit(int field) const
{
    QLineEdit *const edits[Fields] = {MinXEdit, MaxXEdit, MinYEdit, MaxYEdit};
    return edits[field];
}

bool TNetSizeForm::Convert(int field, double &value) const
{
    const QString text = Edit(field)->text();
    // The text shows the value rounded to three decimals; taken back as it
    // stands it would collapse a finely zoomed range.
    if (text == shownText_[field]) {
        value = shownValue_[field];
        return true;
    }
    return numtext::TryStrToFloat(text, value) && std::isfinite(value);
}

namespace {

// The graph's own rule for the bounds of one axis, on copies: the rule
// widens equal bounds in place.
bool Drawable(double lo, double hi) { return TNet::UsableRange(lo, hi); }

} // namespace

int TNetSizeForm::FieldAtFault(double (&v)[Fields]) const
{
    for (int lo = MinX; lo < Fields; lo += 2) {
        const int hi = lo + 1;
        // The axis as shown is one the graph draws (it is the graph's range);
        // a bound that cannot go with the other one as shown is the one at
        // fault. Two that each could, but not together: the one farther
        // from zero (the extreme value), the minimum when they are as far.
        const bool standing = Drawable(shownValue_[lo], shownValue_[hi]);
        if (!Convert(lo, v[lo]) || (standing && !Drawable(v[lo], shownValue_[hi])))
            return lo;
        if (!Convert(hi, v[hi]) || (standing && !Drawable(shownValue_[lo], v[hi])))
            return hi;
        if (!Drawable(v[lo], v[hi]))
            return std::fabs(v[hi]) > std::fabs(v[lo]) ? hi : lo;
    }
    return Fields;
}

void TNetSizeForm::OkButtonClick()
{
    double v[Fields];
    const int field = FieldAtFault(v);
    if (field != Fields) {
        ui::Message(this, FieldMessage[field].Text(), Caption.Text(), ui::MbOk | ui::MbIconError);
        return;
    }
    for (int f = 0; f < Fields; ++f)
        value_[f] = v[f];
    accept();
}

bool TNetSizeForm::Execute(double &xMin, double &xMax, double &yMin, double &yMax)
{
    setWindowTitle(Caption.Text());
    Label2->setText(Lang("Минимальное значение оси X", "Minimum axis X value"));
    Label1->setText(Lang("Максимальное значение оси X", "Maximum axis X value"));
    Label4->setText(Lang("Минимальное значение оси Y", "Minimum axis Y value"));
    Label3->setText(Lang("Максимальное значение оси Y", "Maximum axis Y value"));
    BitBtn2->setText(Lang("Отмена", "Cancel"));
    OkButton->setText(QStringLiteral("OK"));
    double *const values[Fields] = {&xMin, &xMax, &yMin, &yMax};
    for (int f = 0; f < Fields; ++f) {
        shownValue_[f] = *values[f];
        shownText_[f] = numtext::FormatFloat(QStringLiteral("0.###"), *values[f]);
        Edit(f)->setText(shownText_[f]);
    }
    setResult(QDialog::Rejected);
    if (ui::Current().ExecForm(*this) != QDialog::Accepted)
        return false;
    for (int f = 0; f < Fields; ++f)
        *values[f] = value_[f];
    return true;
}
