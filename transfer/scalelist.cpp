#include "transfer/scalelist.h"

#include "common/portbox.h"
#include "common/dialogbuttons.h"
#include "common/dialogs.h"
#include "common/exceptiondisplay.h"
#include "common/lang.h"
#include "common/windowplace.h"
#include "transfer/gridcells.h"
#include "transfer/prx54.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

ScaleListData ScaleList;
TScaleListForm *ScaleListForm = nullptr;

namespace {

// A confirmation box said No or Cancel: the command ends quietly.
struct CommandDeclined {};

} // namespace

TScaleListForm::TScaleListForm(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ScaleListForm"));
    setFixedSize(420, 440);
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setGeometry(8, 8, 404, 20);
    DeviceLabel = new QLabel(this);
    DeviceLabel->setObjectName(QStringLiteral("DeviceLabel"));
    DeviceLabel->setAlignment(Qt::AlignCenter);
    DeviceLabel->setGeometry(8, 30, 404, 20);
    PortGroupBox = new QGroupBox(this);
    PortGroupBox->setObjectName(QStringLiteral("PortGroupBox"));
    PortGroupBox->setGeometry(8, 56, 404, 58);
    PortCom = NewPortBox(PortGroupBox, "PortCom");
    PortCom->setGeometry(10, 24, 384, 26);
    ScaleGrid = new QTableWidget(this);
    ScaleGrid->setObjectName(QStringLiteral("ScaleGrid"));
    ScaleGrid->setGeometry(8, 122, 404, 230);
    SetUpGrid(ScaleGrid, 4, 96);
    auto button = [this](const char *name, int x, int y) {
        auto *b = new QPushButton(this);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(x, y, 196, 30);
        return b;
    };
    BitBtn1 = button("BitBtn1", 8, 360);
    LoadBtn = button("LoadBtn", 216, 360);
    DelBtn = button("DelBtn", 8, 398);
    BitBtn2 = button("BitBtn2", 216, 398);
    SetDialogButtons(*this, nullptr);
    DelBtn->setEnabled(false);
    LoadBtn->setEnabled(false);
    connect(BitBtn1, &QPushButton::clicked, this, &TScaleListForm::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TScaleListForm::BitBtn2Click);
    connect(DelBtn, &QPushButton::clicked, this, &TScaleListForm::DelBtnClick);
    connect(LoadBtn, &QPushButton::clicked, this, &TScaleListForm::LoadBtnClick);
}

void TScaleListForm::CreatCOMPortList() { ::CreatCOMPortList(PortCom); }

void TScaleListForm::ResetGrid()
{
    ScaleGrid->clearContents();
    ScaleGrid->setRowCount(2);
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 4; ++c)
            SetCell(ScaleGrid, r, c, QString());
}

void TScaleListForm::DropList()
{
    ScaleList = ScaleListData{};
    ResetGrid();
    LoadBtn->setEnabled(false);
    DelBtn->setEnabled(false);
}

int TScaleListForm::Execute()
{
    setWindowTitle(Lang("Список шкал", "Lsit scale"));
    Label1->setText(Lang("Для получения списка шкал необходимо", "Update list scale,"));
    DeviceLabel->setText(Lang("необходимо обновить список", "please"));
    LoadBtn->setText(Lang("Загрузить шкалу", "Load scale"));
    BitBtn1->setText(Lang("Обновить список", "Update list"));
    DelBtn->setText(Lang("Удалить шкалу", "Delete scale"));
    BitBtn2->setText(Lang("Выход", "Exit"));
    PortGroupBox->setTitle(Lang("Выберите порт", "Choose port"));
    CreatCOMPortList();
    ResetGrid();
    LoadBtn->setEnabled(false);
    DelBtn->setEnabled(false);
    CentreOnDesktop(*this);
    return ui::Current().ExecForm(*this);
}

void TScaleListForm::GetScaleList(TSerialPort &port)
{
    try {
        ScaleList = ReadScaleList(port);
    } catch (...) {
        DropList();
        throw;
    }
    const int n = ScaleList.count;
    ScaleGrid->clearContents();
    ScaleGrid->setRowCount(n + 1);
    DelBtn->setEnabled(true);
    SetCell(ScaleGrid, 0, 0, Lang("№", "N"));
    SetCell(ScaleGrid, 0, 1, Lang("Имя", "Name"));
    SetCell(ScaleGrid, 0, 2, Lang("Единицы", "Units"));
    SetCell(ScaleGrid, 0, 3, Lang("Адрес", "Adress"));
    SetCell(ScaleGrid, 1, 0, QStringLiteral("1"));
    SetCell(ScaleGrid, 1, 1, Lang("Uбазовая", "Udefault"));
    SetCell(ScaleGrid, 1, 2, QStringLiteral("    "));
    SetCell(ScaleGrid, 1, 3, QStringLiteral("---"));
    for (int r = 2; r <= n; ++r) {
        const ScaleListEntry &e = ScaleList.entries[static_cast<std::size_t>(r - 1)];
        SetCell(ScaleGrid, r, 0, QString::number(r));
        SetCell(ScaleGrid, r, 1, CellText(&e[scaleentry::Name], scalerec::NameWidth));
        SetCell(ScaleGrid, r, 2, CellText(&e[scaleentry::Units], scalerec::UnitsWidth));
        SetCell(ScaleGrid, r, 3, QString::number(ScaleList.address[static_cast<std::size_t>(r - 1)]));
    }
}

void TScaleListForm::BitBtn1Click()
{
    Guarded(this, [&] {
        ConnectionHooks hooks;
        hooks.beforeOpen = [&] { StorePortIndex(PortCom); };
        const ConnectionResult result = RunConnection(
            this, PortCom->currentText(), UpdateListConnection,
            [&](TSerialPort &port) {
                const QString version = ReadVersionLabel(port);
                Label1->setText(Lang("Получен список шкал", "List of scales received"));
                DeviceLabel->setText(version);
                QCoreApplication::processEvents();
                LoadBtn->setEnabled(true);
                DelBtn->setEnabled(true);
                GetScaleList(port);
            },
            hooks);
        if (result == ConnectionResult::Failed)
            DropList();
    });
}

void TScaleListForm::BitBtn2Click() { reject(); }

void TScaleListForm::DelBtnClick()
{
    Guarded(this, [&] {
        int row = 0;
        ConnectionHooks hooks;
        hooks.beforeOpen = [&] {
            QString text = Lang("Вы хотите удалить шкалу", "The scale will be deleted");
            const QString caption = Lang("Подверждение удаления", "Confirm delete");
            if (ui::Message(nullptr, text, caption, ui::MbYesNo | ui::MbIconInformation) == ui::IdYes)
                text = Lang("Удалить выбранную шкалу?", "Delete selected scale?");
            if (ui::Message(nullptr, text, caption, ui::MbYesNo | ui::MbIconQuestion) != ui::IdYes)
                throw CommandDeclined{};
            row = ScaleGrid->currentRow();
            if (row < 2 || row > ScaleList.count)
                throw ELinkError(QString::fromUtf8(transfertext::ChooseOtherForDelete));
        };
        ConnectionResult result = ConnectionResult::Cancelled;
        try {
            result = RunConnection(
                this, PortCom->currentText(), DeleteScaleConnection,
                [&](TSerialPort &port) {
                    DeleteScaleExchange(port,
                                        static_cast<std::uint8_t>(ScaleList.address[static_cast<std::size_t>(row - 1)] - 1));
                    GetScaleList(port);
                },
                hooks);
        } catch (const CommandDeclined &) {
            return;
        }
        // The instrument may or may not have deleted it: no stale addresses.
        if (result == ConnectionResult::Failed)
            DropList();
    });
}

void TScaleListForm::LoadBtnClick()
{
    Guarded(this, [&] {
        const int n = ScaleGrid->currentRow() - 1;
        ConnectionHooks hooks;
        hooks.beforeStart = [&] {
            if (n < 1 || n >= ScaleList.count)
                Raise(transfertext::ChooseOther);
        };
        const ConnectionResult result = RunConnection(
            this, PortCom->currentText(), LoadScaleConnection,
            [&](TSerialPort &port) {
                LoadScaleExchange(port, ScaleList.address[static_cast<std::size_t>(n - 1)], ScaleBuffer);
                ScaleLoaded = true;
            },
            hooks);
        if (result == ConnectionResult::Done && ScaleLoaded)
            accept();
    });
}

bool ScaleListCommand(TScaleListForm &form, ScaleDocument &doc, const ImportSteps &steps)
{
    form.Execute();
    return ImportLoadedScale(doc, steps);
}
