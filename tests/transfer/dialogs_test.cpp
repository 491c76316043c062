// The write dialog and the scale-list dialog as the user drives them.
#include "tests/transfer/transfer_test_util.h"

#include "scale/scaledocument.h"
#include "transfer/scaleimport.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

namespace {

// With Q5M8_SCREENSHOTS set to a folder, each looked-at dialog is saved there.
void Shot(QWidget &w, const QString &name)
{
    const QString dir = qEnvironmentVariable("Q5M8_SCREENSHOTS");
    if (dir.isEmpty())
        return;
    w.show();
    QCoreApplication::processEvents();
    w.grab().save(QDir(dir).filePath(name + QStringLiteral(".png")));
    w.hide();
}

ScaleDocument ProgrammedScale(int pwrIndex)
{
    ScaleDocument doc;
    doc.PointCount = 3;
    doc.Intervals = true;
    doc.XNameText = QStringLiteral("Ux");
    doc.YNameText = QString::fromUtf8("Темп");
    doc.UnitsText = QStringLiteral("C");
    doc.ScalePwrIndex = pwrIndex;
    const double pts[][2] = {{0, 1.5}, {10, 2.25}, {20, 7.125}};
    for (const auto &p : pts) {
        doc.ProgX[doc.ProgCount] = p[0];
        doc.ProgY[doc.ProgCount] = p[1];
        ++doc.ProgCount;
    }
    return doc;
}

TEST(WriteDialog, ShowsThePointsAndWritesThemThroughATypedPort)
{
    for (bool english : {false, true}) {
        TransferBench b;
        English = english;
        PortText.clear();
        PortIndex = 0;
        TPRx54ProgForm form;
        const ScaleDocument doc = ProgrammedScale(3);
        bool driven = false;
        b.dialogs.forms.push_back([&](QDialog &dlg) {
            driven = true;
            EXPECT_EQ(&dlg, &form);
            EXPECT_EQ(dlg.windowTitle(), english ? QStringLiteral("Write scale Q5-M8")
                                                 : QString::fromUtf8("Запись шкалы Q5-M8"));
            auto label = [&](const char *name) { return dlg.findChild<QLabel *>(QString::fromLatin1(name))->text(); };
            EXPECT_EQ(label("Label1"), english ? QStringLiteral("Scale name") : QString::fromUtf8("Название шкалы"));
            EXPECT_EQ(label("Label4"), english ? QStringLiteral("Units") : QString::fromUtf8("Единицы"));
            EXPECT_EQ(label("Label2"),
                      english ? QStringLiteral("Decimal point") : QString::fromUtf8("Число знаков после запятой"));
            EXPECT_EQ(label("Label3"), english ? QStringLiteral("Points for programming")
                                               : QString::fromUtf8("Точки  для программирования"));
            EXPECT_EQ(dlg.findChild<QGroupBox *>(QStringLiteral("PortGroupBox"))->title(),
                      english ? QStringLiteral("Choose port") : QString::fromUtf8("Выберите порт"));
            auto *program = dlg.findChild<QPushButton *>(QStringLiteral("BitBtn1"));
            auto *exit = dlg.findChild<QPushButton *>(QStringLiteral("BitBtn2"));
            EXPECT_EQ(program->text(), english ? QStringLiteral("Program") : QString::fromUtf8("Программировать"));
            EXPECT_EQ(exit->text(), english ? QStringLiteral("Exit") : QString::fromUtf8("Выход"));
            EXPECT_EQ(dlg.findChild<QLineEdit *>(QStringLiteral("ScaleNameEdit"))->text(), QString::fromUtf8("Темп"));
            EXPECT_EQ(dlg.findChild<QLineEdit *>(QStringLiteral("ScaleDescriptionEdit"))->text(), QStringLiteral("C"));
            EXPECT_EQ(dlg.findChild<QLineEdit *>(QStringLiteral("PowerEdit"))->text(), QStringLiteral("0,000"));
            auto *grid = dlg.findChild<QTableWidget *>(QStringLiteral("PointsGrid"));
            EXPECT_EQ(grid->rowCount(), 4);
            EXPECT_EQ(grid->columnCount(), 2);
            EXPECT_EQ(grid->columnWidth(0), 102);
            EXPECT_EQ(CellAt(grid, 0, 0), QStringLiteral("Ux"));
            EXPECT_EQ(CellAt(grid, 0, 1), QString::fromUtf8("Темп"));
            EXPECT_EQ(CellAt(grid, 1, 1), QStringLiteral("1500"));
            EXPECT_EQ(CellAt(grid, 2, 1), QStringLiteral("2250"));
            EXPECT_EQ(CellAt(grid, 3, 0), QStringLiteral("20"));
            EXPECT_EQ(CellAt(grid, 3, 1), QStringLiteral("7125"));
            EXPECT_EQ(form.ScaleName, QString::fromUtf8("Темп      "));
            EXPECT_EQ(form.ScaleUnits, QStringLiteral("C     "));
            EXPECT_EQ(form.IntCount, 3);
            EXPECT_EQ(form.Decimals, 3);
            Shot(dlg, english ? QStringLiteral("write_en") : QStringLiteral("write_ru"));

            auto *port = dlg.findChild<QComboBox *>(QStringLiteral("PortComboBox"));
            EXPECT_TRUE(port->isEditable());
            port->setCurrentIndex(-1);
            port->setEditText(b.stand.Path());
            program->click();
            exit->click();
            return dlg.result();
        });
        ScaleWriteCommand(nullptr, doc, form);
        ASSERT_TRUE(driven);
        EXPECT_EQ(form.result(), QDialog::Rejected);
        ASSERT_EQ(b.dialogs.messages.size(), 2u);
        EXPECT_EQ(b.dialogs.messages[1].flags, ui::MbOk | ui::MbIconInformation);
        const auto scales = b.stand.instrument.Data().scales;
        ASSERT_EQ(scales.size(), 5u);
        EXPECT_EQ(scales.back().record[15], 3);
        EXPECT_EQ(PortIndex, 255) << "no entry selected";
        EXPECT_EQ(PortText, b.stand.Path());

        // The list dialog opens on the same typed port.
        TScaleListForm list;
        b.dialogs.forms.push_back([&](QDialog &) {
            EXPECT_EQ(list.PortCom->currentText(), b.stand.Path());
            return 0;
        });
        list.Execute();
    }
}

TEST(ScaleListDialog, ListsLoadsAndStartsEachShowingDisabled)
{
    for (bool english : {false, true}) {
        TransferBench b;
        English = english;
        TScaleListForm form;
        b.dialogs.forms.push_back([&](QDialog &dlg) {
            EXPECT_EQ(dlg.windowTitle(), english ? QStringLiteral("Lsit scale") : QString::fromUtf8("Список шкал"));
            EXPECT_EQ(form.Label1->text(), english ? QStringLiteral("Update list scale,")
                                                   : QString::fromUtf8("Для получения списка шкал необходимо"));
            EXPECT_EQ(form.DeviceLabel->text(),
                      english ? QStringLiteral("please") : QString::fromUtf8("необходимо обновить список"));
            EXPECT_EQ(form.LoadBtn->text(), english ? QStringLiteral("Load scale") : QString::fromUtf8("Загрузить шкалу"));
            EXPECT_EQ(form.BitBtn1->text(), english ? QStringLiteral("Update list") : QString::fromUtf8("Обновить список"));
            EXPECT_EQ(form.DelBtn->text(), english ? QStringLiteral("Delete scale") : QString::fromUtf8("Удалить шкалу"));
            EXPECT_EQ(form.BitBtn2->text(), english ? QStringLiteral("Exit") : QString::fromUtf8("Выход"));
            EXPECT_EQ(form.PortGroupBox->title(), english ? QStringLiteral("Choose port") : QString::fromUtf8("Выберите порт"));
            EXPECT_EQ(form.PortCom->currentText(), b.stand.Path());
            EXPECT_FALSE(form.LoadBtn->isEnabled());
            EXPECT_FALSE(form.DelBtn->isEnabled());
            EXPECT_EQ(form.ScaleGrid->rowCount(), 2);
            EXPECT_EQ(form.ScaleGrid->columnCount(), 4);
            Shot(dlg, english ? QStringLiteral("list_empty_en") : QStringLiteral("list_empty_ru"));

            form.BitBtn1->click();
            EXPECT_TRUE(form.LoadBtn->isEnabled());
            EXPECT_TRUE(form.DelBtn->isEnabled());
            EXPECT_EQ(form.ScaleGrid->rowCount(), 5);
            const QStringList header{CellAt(form.ScaleGrid, 0, 0), CellAt(form.ScaleGrid, 0, 1),
                                     CellAt(form.ScaleGrid, 0, 2), CellAt(form.ScaleGrid, 0, 3)};
            EXPECT_EQ(header, english ? QStringList({"N", "Name", "Units", "Adress"})
                                      : QStringList({QString::fromUtf8("№"), QString::fromUtf8("Имя"),
                                                     QString::fromUtf8("Единицы"), QString::fromUtf8("Адрес")}));
            const QStringList row1{CellAt(form.ScaleGrid, 1, 0), CellAt(form.ScaleGrid, 1, 1),
                                   CellAt(form.ScaleGrid, 1, 2), CellAt(form.ScaleGrid, 1, 3)};
            EXPECT_EQ(row1, QStringList({QStringLiteral("1"),
                                         english ? QStringLiteral("Udefault") : QString::fromUtf8("Uбазовая"),
                                         QStringLiteral("    "), QStringLiteral("---")}));
            EXPECT_EQ(CellAt(form.ScaleGrid, 2, 1), QStringLiteral("Temp    "));
            EXPECT_EQ(CellAt(form.ScaleGrid, 2, 2), QString::fromUtf8("°C  "));
            EXPECT_EQ(CellAt(form.ScaleGrid, 4, 0), QStringLiteral("4"));
            EXPECT_EQ(CellAt(form.ScaleGrid, 4, 3), QStringLiteral("4"));
            form.ScaleGrid->setCurrentCell(2, 0);
            Shot(dlg, english ? QStringLiteral("list_en") : QStringLiteral("list_ru"));
            form.LoadBtn->click();
            return dlg.result();
        });
        form.Execute();
        EXPECT_EQ(form.result(), QDialog::Accepted);
        EXPECT_TRUE(ScaleLoaded);
        EXPECT_EQ(ScaleBuffer[1], 'T');

        // The next showing starts with Load and Delete off again.
        b.dialogs.forms.push_back([&](QDialog &) {
            EXPECT_FALSE(form.LoadBtn->isEnabled());
            EXPECT_FALSE(form.DelBtn->isEnabled());
            EXPECT_EQ(form.ScaleGrid->rowCount(), 2);
            EXPECT_EQ(CellAt(form.ScaleGrid, 1, 1), QString());
            return 0;
        });
        form.Execute();
        EXPECT_EQ(b.dialogs.formCount, 2);
    }
}

TEST(ScaleListDialog, AFailedUpdateLeavesNothingToActOn)
{
    TransferBench b;
    TScaleListForm form;
    form.CreatCOMPortList();
    form.BitBtn1Click();
    ASSERT_EQ(form.ScaleGrid->rowCount(), 5);
    b.Fault("87@2:patch:e3");
    form.BitBtn1Click();
    EXPECT_EQ(b.Last()->text, QString::fromUtf8("Вышло время ожидания команды"));
    EXPECT_EQ(form.ScaleGrid->rowCount(), 2);
    EXPECT_EQ(CellAt(form.ScaleGrid, 1, 1), QString());
    EXPECT_FALSE(form.LoadBtn->isEnabled());
    EXPECT_FALSE(form.DelBtn->isEnabled());
    EXPECT_EQ(ScaleList.count, 0);
    EXPECT_EQ(form.DeviceLabel->text(), QStringLiteral("Q5-M8 v.1.2.15")) << "what was read before stays";
}

TEST(ScaleListDialog, DeleteRefusesTheHeaderAndTheDefaultBeforeOpening)
{
    TransferBench b;
    QCoreApplication::setApplicationName(QStringLiteral("Scale"));
    TScaleListForm form;
    form.CreatCOMPortList();
    form.BitBtn1Click();
    ASSERT_TRUE(b.WaitEnd());
    b.stand.instrument.ClearEvents();
    for (bool english : {false, true}) {
        English = english;
        b.dialogs.Clear();
        form.ScaleGrid->setCurrentCell(1, 0);
        form.DelBtnClick();
        ASSERT_EQ(b.dialogs.messages.size(), 4u);
        EXPECT_EQ(b.dialogs.messages[3].text, QString::fromUtf8("Выбереите другую шкалу!"));
        EXPECT_EQ(b.dialogs.messages[3].caption, QStringLiteral("Scale"));
        EXPECT_EQ(b.dialogs.messages[3].flags, ui::MbOk | ui::MbIconError);
    }
    English = false;
    // No at the question, or Cancel at the prompt: nothing either.
    form.ScaleGrid->setCurrentCell(3, 0);
    b.dialogs.answers = {ui::IdOk, ui::IdNo, ui::IdNo};
    form.DelBtnClick();
    b.dialogs.answers = {ui::IdCancel};
    form.DelBtnClick();
    // A No at the first confirmation only keeps its text.
    b.dialogs.Clear();
    b.dialogs.answers = {ui::IdOk, ui::IdNo, ui::IdYes};
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(b.FromPc().empty());
    form.DelBtnClick();
    ASSERT_GE(b.dialogs.messages.size(), 3u);
    EXPECT_EQ(b.dialogs.messages[2].text, QString::fromUtf8("Вы хотите удалить шкалу"));
    EXPECT_EQ(b.dialogs.messages[2].flags, ui::MbYesNo | ui::MbIconQuestion);
    ASSERT_TRUE(b.WaitEnd());
    EXPECT_EQ(b.stand.instrument.Data().scales.size(), 3u);
    English = false;
}

TEST(ScaleListDialog, TheMenuCommandImportsTheLoadedScale)
{
    TransferBench b;
    TScaleListForm form;
    ScaleDocument doc;
    doc.PointCount = 1;
    doc.AboutText = QStringLiteral("old");
    b.dialogs.forms.push_back([&](QDialog &) {
        form.BitBtn1->click();
        form.ScaleGrid->setCurrentCell(3, 0); // "Давление", two decimals
        form.LoadBtn->click();
        return form.result();
    });
    std::vector<std::string> calls;
    ImportSteps steps;
    steps.tryClearAll = [&] {
        calls.push_back("clear");
        doc = ScaleDocument();
        return true;
    };
    steps.showDocument = [&] { calls.push_back("show"); };
    steps.recalculate = [&] {
        calls.push_back("calc");
        EXPECT_FALSE(doc.Recalculate().Failed());
    };
    steps.fitGraph = [&] { calls.push_back("fit"); };
    EXPECT_TRUE(ScaleListCommand(form, doc, steps));
    EXPECT_EQ(calls, (std::vector<std::string>{"clear", "show", "calc", "fit"}));
    EXPECT_FALSE(ScaleLoaded);
    EXPECT_TRUE(doc.Modified);
    EXPECT_EQ(doc.AboutText, QString());
    ASSERT_EQ(doc.PointCount, 2);
    EXPECT_EQ(doc.PointX[1], 20.0);
    EXPECT_EQ(doc.PointY[1], 23.45);
    EXPECT_EQ(doc.YNameText, QString::fromUtf8("Давление"));
    EXPECT_EQ(doc.UnitsText, QString::fromUtf8("кПа "));
    EXPECT_EQ(doc.MinText, QStringLiteral("12,34"));
    EXPECT_EQ(doc.ScalePwrIndex, 2);
    EXPECT_GT(doc.TableCount, 0);

    // Closed without a load: nothing happens after the dialog.
    calls.clear();
    b.dialogs.forms.push_back([&](QDialog &) { return 0; });
    EXPECT_FALSE(ScaleListCommand(form, doc, steps));
    EXPECT_TRUE(calls.empty());
}

} // namespace
