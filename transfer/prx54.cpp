#include "transfer/prx54.h"

#include "common/portbox.h"
#include "common/dialogbuttons.h"
#include "common/dialogs.h"
#include "common/exceptiondisplay.h"
#include "common/lang.h"
#include "common/windowplace.h"
#include "link/portlist.h"
#include "transfer/gridcells.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

ScaleRecord ScaleBuffer{};
bool ScaleLoaded = false;
std::uint8_t PortIndex = 0;
QString PortText;
TPRx54ProgForm *PRx54ProgForm = nullptr;

void CreatCOMPortList(QComboBox *box)
{
    FillPortBox(box, SerialPortNames(), PortIndex, PortText);
}

void StorePortIndex(const QComboBox *box)
{
    PortIndex = static_cast<std::uint8_t>(box->currentIndex() & 0xFF);
    PortText = box->currentText();
}

TPRx54ProgForm::TPRx54ProgForm(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("PRx54ProgForm"));
    setFixedSize(272, 520);
    auto label = [this](const char *name, int x, int y, int w) {
        auto *l = new QLabel(this);
        l->setObjectName(QString::fromLatin1(name));
        l->setGeometry(x, y, w, 18);
        return l;
    };
    auto edit = [this](const char *name, int x, int y, int w) {
        auto *e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(name));
        e->setGeometry(x, y, w, 24);
        e->setReadOnly(true);
        return e;
    };
    Label1 = label("Label1", 8, 8, 150);
    ScaleNameEdit = edit("ScaleNameEdit", 8, 28, 150);
    ScaleNameEdit->setFocusPolicy(Qt::NoFocus);
    Label4 = label("Label4", 166, 8, 98);
    ScaleDescriptionEdit = edit("ScaleDescriptionEdit", 166, 28, 98);
    Label2 = label("Label2", 8, 58, 256);
    PowerEdit = edit("PowerEdit", 8, 78, 100);
    PowerEdit->setFocusPolicy(Qt::NoFocus);
    Label3 = label("Label3", 8, 108, 256);
    PointsGrid = new QTableWidget(this);
    PointsGrid->setObjectName(QStringLiteral("PointsGrid"));
    PointsGrid->setGeometry(8, 128, 256, 250);
    SetUpGrid(PointsGrid, 2, 102);
    PortGroupBox = new QGroupBox(this);
    PortGroupBox->setObjectName(QStringLiteral("PortGroupBox"));
    PortGroupBox->setGeometry(8, 386, 256, 60);
    PortComboBox = NewPortBox(PortGroupBox, "PortComboBox");
    PortComboBox->setGeometry(10, 24, 236, 26);
    BitBtn1 = new QPushButton(this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(8, 460, 140, 30);
    BitBtn2 = new QPushButton(this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setGeometry(164, 460, 100, 30);
    SetDialogButtons(*this, BitBtn1);
    connect(BitBtn1, &QPushButton::clicked, this, &TPRx54ProgForm::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
}

void TPRx54ProgForm::CreatCOMPortList() { ::CreatCOMPortList(PortComboBox); }

int TPRx54ProgForm::Execute(const QString &xTitle, const QString &name, const QString &units, int count,
                            const std::int32_t *x, const std::int32_t *y, int decimals)
{
    ScaleWriteData d;
    d.xTitle = xTitle;
    d.name = name;
    d.units = units;
    d.decimals = decimals;
    for (int i = 0; i < count; ++i) {
        d.x.push_back(x[i]);
        d.y.push_back(y[i]);
    }
    return Execute(d);
}

int TPRx54ProgForm::Execute(const ScaleWriteData &data)
{
    setWindowTitle(Lang("Запись шкалы Q5-M8", "Write scale Q5-M8"));
    Label1->setText(Lang("Название шкалы", "Scale name"));
    Label4->setText(Lang("Единицы", "Units"));
    Label2->setText(Lang("Число знаков после запятой", "Decimal point"));
    Label3->setText(Lang("Точки  для программирования", "Points for programming"));
    PortGroupBox->setTitle(Lang("Выберите порт", "Choose port"));
    BitBtn1->setText(Lang("Программировать", "Program"));
    BitBtn2->setText(Lang("Выход", "Exit"));
    CreatCOMPortList();
    ScaleNameEdit->setText(data.name);
    ScaleDescriptionEdit->setText(data.units);

    const int count = data.Count();
    PointsGrid->clearContents();
    PointsGrid->setRowCount(count + 1);
    SetCell(PointsGrid, 0, 0, data.xTitle);
    SetCell(PointsGrid, 0, 1, data.name);
    for (int r = 1; r <= count; ++r) {
        SetCell(PointsGrid, r, 0, QString::number(data.x[static_cast<std::size_t>(r - 1)]));
        SetCell(PointsGrid, r, 1, QString::number(data.y[static_cast<std::size_t>(r - 1)]));
    }
    static const char *const patterns[] = {"0", "0,0", "0,00", "0,000"};
    PowerEdit->setText(QString::fromLatin1(patterns[WriteDecimals(data.decimals)]));

    ScaleName = PaddedName(data.name);
    ScaleUnits = PaddedUnits(data.units);
    IntX = data.x;
    IntY = data.y;
    IntCount = count;
    Decimals = data.decimals;
    data_ = data;
    CentreOnDesktop(*this);
    return ui::Current().ExecForm(*this);
}

void TPRx54ProgForm::BitBtn1Click()
{
    Guarded(this, [&] {
        const QString why = CheckScaleWrite(data_);
        if (!why.isEmpty()) {
            ui::Message(this, why, WriteRefusalCaption.Text(), ui::MbOk | ui::MbIconError);
            return;
        }
        ConnectionHooks hooks;
        hooks.beforeOpen = [&] { StorePortIndex(PortComboBox); };
        WriteScaleToInstrument(this, PortComboBox->currentText(), data_, ScaleBuffer, hooks);
    });
}

void ScaleWriteCommand(QObject *owner, const ScaleDocument &doc, TPRx54ProgForm &form)
{
    const WritePreparation p = PrepareScaleWrite(doc);
    if (p.state == WritePreparation::Refused)
        ui::Message(owner, p.message, WriteRefusalCaption.Text(), ui::MbOk | ui::MbIconError);
    else if (p.state == WritePreparation::Ready)
        form.Execute(p.data);
}
