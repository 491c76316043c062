// The designer window's instrument commands against the emulator: the write
// from the menu, the list dialog and the import back into the window.
#include "tests/designer/designer_util.h"
#include "tests/transfer/transfer_test_util.h"

#include "designer/main_views.h"
#include "transfer/scaleimport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTableWidget>
#include <cmath>

namespace {

class TransferWindowTest : public DesignerTest {
protected:
    explicit TransferWindowTest(emu::InstrumentData data = ThreeScales()) : stand(std::move(data))
    {
        ScaleBuffer = {};
        ScaleLoaded = false;
        ScaleList = {};
        PortIndex = 255;
        PortText = stand.Path();
    }
    ~TransferWindowTest() override
    {
        form.reset();
        ScaleLoaded = false;
        PortText.clear();
        PortIndex = 0;
    }

    // A scale with programming points in the window: three points, the
    // check box on, the format entry given.
    void ProgrammedScale(TMainForm &f, int formatEntry)
    {
        Add(0, 1.5);
        Add(10, 2.25);
        Add(20, 7.125);
        f.YNameEdit->setText(QStringLiteral("Win"));
        f.DescriptionEdit->setText(QStringLiteral("mV"));
        f.ScalePwrComboBox->setCurrentIndex(formatEntry);
        f.IntervalsCheckBox->setChecked(true);
    }

    // The next list dialog gets the list read and the scale in row loaded.
    void AnswerLoad(TMainForm &f, int row)
    {
        dialogs.forms.push_back([&f, row](QDialog &d) {
            EXPECT_EQ(&d, f.ScaleListForm);
            f.ScaleListForm->BitBtn1->click();
            f.ScaleListForm->ScaleGrid->setCurrentCell(row, 0);
            f.ScaleListForm->LoadBtn->click();
            return d.result();
        });
    }

    // The next write dialog gets Program pressed, then Exit.
    void AnswerWrite(TMainForm &f, const std::function<void(TPRx54ProgForm &)> &look = {})
    {
        dialogs.forms.push_back([&f, look](QDialog &d) {
            EXPECT_EQ(&d, f.PRx54ProgForm);
            if (look)
                look(*f.PRx54ProgForm);
            f.PRx54ProgForm->BitBtn1->click();
            f.PRx54ProgForm->BitBtn2->click();
            return d.result();
        });
    }

    bool WaitEnd()
    {
        return stand.instrument.WaitReceived(
            [](const emu::Bytes &b) { return !b.empty() && b.back() == CmdDisconnect; },
            std::chrono::milliseconds(2000));
    }

    // Messages other than the connections' measurement-mode prompts.
    QStringList Boxes() const
    {
        QStringList out;
        for (const RecordedMessage &m : dialogs.messages)
            if (m.flags != (ui::MbOkCancel | ui::MbIconInformation))
                out << m.text;
        return out;
    }

    Stand stand;
};

TEST_F(TransferWindowTest, TheWriteCommandRefusesWhatCannotBeWritten)
{
    for (bool english : {false, true}) {
        dialogs.Clear();
        English = false;
        TMainForm &f = Start();
        f.IntervalsCheckBox->setChecked(false); // the last run's setting
        if (english)
            f.English1Click();
        QAction *write = english ? f.MenuItem12 : f.ProgrammItem;
        const QString caption = english ? QStringLiteral("Record the scale to Q5-M8")
                                        : QString::fromUtf8("Запись шкалы в Q5-M8");

        // No points: the item is off, and the command itself does nothing.
        EXPECT_FALSE(write->isEnabled());
        f.RX54ItemClick();
        EXPECT_TRUE(dialogs.messages.empty());

        Add(0, 0);
        Add(10, 5);
        ASSERT_TRUE(write->isEnabled());
        dialogs.Clear();
        write->trigger();
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text,
                  english ? QStringLiteral("To record the scale in the device, you must enable the mode Points for "
                                           "programming!")
                          : QString::fromUtf8("Для записи шкалы в прибор необходимо включить режим Точки для "
                                              "программирования!"));
        EXPECT_EQ(dialogs.messages[0].caption, caption);
        EXPECT_EQ(dialogs.messages[0].flags, ui::MbOk | ui::MbIconError);

        // A value no 16-bit field holds: refused before any connection.
        f.IntervalsCheckBox->setChecked(true);
        ASSERT_GE(f.Document.ProgCount, 2);
        f.ScalePwrComboBox->setCurrentIndex(3); // 5 -> 5000, fine
        Add(70000, 1);
        ASSERT_EQ(f.Document.ProgX[f.Document.ProgCount - 1], 70000.0);
        dialogs.Clear();
        const int forms = dialogs.formCount;
        write->trigger();
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_TRUE(dialogs.messages[0].text.contains(QStringLiteral("70000"))) << dialogs.messages[0].text.toStdString();
        EXPECT_EQ(dialogs.messages[0].caption, caption);
        EXPECT_EQ(dialogs.formCount, forms);
        EXPECT_TRUE(stand.instrument.Received().empty());
        Stop();
    }
    English = false;
}

TEST_F(TransferWindowTest, TooFewProgrammingPointsAreRefused)
{
    TMainForm &f = Start();
    Add(5, 5);
    f.IntervalsCheckBox->setChecked(true);
    ASSERT_LT(f.Document.ProgCount, 2);
    dialogs.Clear();
    const int forms = dialogs.formCount;
    f.ProgrammItem->trigger();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QString::fromUtf8("Не достаточное количество точек для программирования !"));
    EXPECT_EQ(dialogs.formCount, forms);
}

TEST_F(TransferWindowTest, TheMenuWritesTheProgrammingPoints)
{
    TMainForm &f = Start();
    ProgrammedScale(f, 2);
    const int n = f.Document.ProgCount;
    ASSERT_GE(n, 2);
    std::vector<std::pair<int, int>> expected;
    for (int i = 0; i < n; ++i)
        // Each as its unsigned 16-bit half (a programming point may lie left of 0).
        expected.emplace_back(static_cast<std::uint16_t>(static_cast<int>(f.Document.ProgX[i])),
                              static_cast<std::uint16_t>(static_cast<int>(SnapTrunc(f.Document.ProgY[i] * 100))));
    const bool modified = f.Document.Modified;
    const int points = f.Document.PointCount;

    AnswerWrite(f, [&](TPRx54ProgForm &w) {
        EXPECT_EQ(w.ScaleNameEdit->text(), QStringLiteral("Win"));
        EXPECT_EQ(w.ScaleDescriptionEdit->text(), QStringLiteral("mV"));
        EXPECT_EQ(w.PowerEdit->text(), QStringLiteral("0,00"));
        EXPECT_EQ(w.PointsGrid->rowCount(), n + 1);
        EXPECT_EQ(CellAt(w.PointsGrid, 1, 1), QString::number(SnapTrunc(f.Document.ProgY[0] * 100)));
    });
    const int forms = dialogs.formCount;
    f.ProgrammItem->trigger();
    ASSERT_EQ(dialogs.formCount, forms + 1);
    ASSERT_TRUE(WaitEnd());
    EXPECT_EQ(Boxes(), QStringList{QString::fromUtf8("Шкала Win     mV   записана в Q5-M8")});

    const auto scales = stand.instrument.Data().scales;
    ASSERT_EQ(scales.size(), 5u);
    const auto &r = scales.back().record;
    EXPECT_EQ(std::string(reinterpret_cast<const char *>(&r[1]), 12), "Win     mV  ");
    EXPECT_EQ(r[15], 2);
    ASSERT_EQ(r[49], n);
    for (int i = 0; i < n; ++i) {
        const int x = r[50 + 4 * i] | r[51 + 4 * i] << 8;
        const int y = r[52 + 4 * i] | r[53 + 4 * i] << 8;
        EXPECT_EQ(std::make_pair(x, y), expected[static_cast<std::size_t>(i)]) << i;
    }
    // The window's scale is as it was.
    EXPECT_EQ(f.Document.PointCount, points);
    EXPECT_EQ(f.Document.Modified, modified);
}

TEST_F(TransferWindowTest, ALoadedScaleReplacesTheWindowsScale)
{
    TMainForm &f = Start();
    f.show();
    Add(1, 100);
    Add(2, 300);
    Add(3, 200);
    f.ATypeRadioGroup->SetItemIndex(1);
    f.IntervalsCheckBox->setChecked(true);
    f.ScalePwrComboBox->setCurrentIndex(0);
    f.XNameEdit->setText(QStringLiteral("old"));
    f.Document.Modified = false; // no save prompt

    // Count the recalculations of each step of the import.
    int resets = 0;
    QObject::connect(f.TableMemoModel, &QAbstractItemModel::modelReset, [&] { ++resets; });
    std::vector<int> perStep;
    ImportSteps steps = f.ScaleImportSteps();
    auto counted = [&](std::function<void()> step) {
        return [&perStep, &resets, step] {
            const int before = resets;
            step();
            perStep.push_back(resets - before);
        };
    };
    steps.showDocument = counted(steps.showDocument);
    steps.recalculate = counted(steps.recalculate);
    steps.fitGraph = counted(steps.fitGraph);

    dialogs.Clear();
    AnswerLoad(f, 3); // "Давление", two decimals, (10, 12.34) (20, 23.45)
    ASSERT_TRUE(ScaleListCommand(*f.ScaleListForm, f.Document, steps));
    EXPECT_EQ(perStep, (std::vector<int>{0, 1, 0})) << "one recalculation, by the recalculate step";
    EXPECT_EQ(Boxes(), QStringList()) << "no message about the old scale's settings";
    EXPECT_FALSE(ScaleLoaded);

    EXPECT_EQ(f.ATypeRadioGroup->ItemIndex(), 0);
    EXPECT_EQ(f.XNameEdit->text(), QStringLiteral("U"));
    EXPECT_EQ(f.YNameEdit->text(), QString::fromUtf8("Давление"));
    EXPECT_EQ(f.DescriptionEdit->text(), QString::fromUtf8("кПа "));
    EXPECT_EQ(f.MinEdit->text(), QStringLiteral("12,34"));
    EXPECT_EQ(f.MaxEdit->text(), QStringLiteral("23,45"));
    EXPECT_EQ(f.StepEdit->text(), QStringLiteral("1"));
    EXPECT_FALSE(f.IntervalsCheckBox->isChecked());
    EXPECT_EQ(f.MaxErrEdit->text(), QStringLiteral("0,01"));
    EXPECT_EQ(f.ScalePwrComboBox->currentIndex(), 2);
    EXPECT_EQ(f.ScaleEdit->text(), QString());
    EXPECT_EQ(f.windowTitle(), QString::fromUtf8("Шкала"));
    EXPECT_TRUE(f.Document.Modified);
    EXPECT_EQ(DocPoints(), (std::vector<std::pair<double, double>>{{10, 12.34}, {20, 23.45}}));
    EXPECT_EQ(f.PointsGrid->RowCount(), 2);
    EXPECT_EQ(f.PointsGrid->Row(), 1);
    EXPECT_EQ(f.RowScrollBar->maximum(), 1);
    EXPECT_EQ(f.RowScrollBar->value(), 1);
    // The table runs over the first and last point's y with two decimals (the
    // memo's y column is printf's).
    ASSERT_GT(f.TableMemoModel->rowCount(), 0);
    EXPECT_EQ(f.Document.TableCount, f.TableMemoModel->rowCount());
    EXPECT_TRUE(f.TableMemoModel->RowText(0).contains(QStringLiteral("12.34"))) << f.TableMemoModel->RowText(0).toStdString();
}

TEST_F(TransferWindowTest, TheMenuCommandImportsAndFitsTheGraph)
{
    TMainForm &f = Start();
    f.show();
    QCoreApplication::processEvents();
    Add(1, 100);
    Add(2, 300);
    f.Document.Modified = false;
    f.ProgrammItem->setEnabled(false);
    f.setWindowTitle(QString::fromUtf8("Шкала - /tmp/old.scl3")); // as after an open
    AnswerLoad(f, 2); // "Temp", one decimal, (0, 0) (100, 25) (4000, 100)
    const int forms = dialogs.formCount;
    f.Scalelist->trigger();
    ASSERT_EQ(dialogs.formCount, forms + 1);
    EXPECT_FALSE(ScaleLoaded);
    EXPECT_EQ(DocPoints(), (std::vector<std::pair<double, double>>{{0, 0}, {100, 25}, {4000, 100}}));
    EXPECT_EQ(f.MinEdit->text(), QStringLiteral("0"));
    EXPECT_EQ(f.MaxEdit->text(), QStringLiteral("100"));
    EXPECT_EQ(f.MaxErrEdit->text(), QStringLiteral("0,1"));
    EXPECT_EQ(f.ScalePwrComboBox->currentIndex(), 1);
    EXPECT_EQ(f.PointsGrid->Row(), 2);
    EXPECT_EQ(f.RowScrollBar->value(), 2);
    EXPECT_TRUE(f.Document.Modified);
    EXPECT_EQ(f.windowTitle(), QString::fromUtf8("Шкала"));
    EXPECT_TRUE(f.ProgrammItem->isEnabled()) << "an imported scale can be written back";
    EXPECT_TRUE(f.MenuItem12->isEnabled());
    ASSERT_GT(f.Document.TableCount, 0);

    // The graph range is fitted to the new table, a tenth of it to each side.
    const ScaleDocument &d = f.Document;
    const double dx = d.TableXMax - d.TableXMin, dy = d.TableYMax - d.TableYMin;
    EXPECT_DOUBLE_EQ(d.GraphXMin, d.TableXMin - 0.1 * dx);
    EXPECT_DOUBLE_EQ(d.GraphXMax, d.TableXMax + 0.1 * dx);
    EXPECT_DOUBLE_EQ(d.GraphYMin, d.TableYMin - 0.1 * dy);
    EXPECT_DOUBLE_EQ(d.GraphYMax, d.TableYMax + 0.1 * dy);
}

// A scale with a negative x written to the instrument and loaded back: the
// x comes back as 65536 + x, the points out of order. The window shows them
// as they came, the range over the first and last point's y, no table, and
// says why.
TEST_F(TransferWindowTest, AScaleWithANegativeXComesBackOutOfOrderAndTheWindowSaysWhy)
{
    TMainForm &f = Start();
    f.show();
    f.MinEdit->setText(QStringLiteral("20"));
    f.MaxEdit->setText(QStringLiteral("90"));
    f.MaxErrEdit->setText(QStringLiteral("1"));
    Add(-10, 20);
    Add(20, 50);
    Add(100, 90);
    f.YNameEdit->setText(QStringLiteral("Neg"));
    f.ScalePwrComboBox->setCurrentIndex(0);
    f.IntervalsCheckBox->setChecked(true);
    ASSERT_GE(f.Document.ProgCount, 3);
    ASSERT_EQ(f.Document.ProgX[0], -10.0);
    AnswerWrite(f);
    f.ProgrammItem->trigger();
    ASSERT_TRUE(WaitEnd());
    const auto scales = stand.instrument.Data().scales;
    ASSERT_EQ(scales.size(), 5u) << Boxes().join(u'|').toStdString();
    f.Document.Modified = false; // written: no save prompt

    dialogs.Clear();
    AnswerLoad(f, 5);
    f.Scalelist->trigger();
    EXPECT_FALSE(ScaleLoaded);
    ASSERT_GE(f.Document.PointCount, 3);
    EXPECT_EQ(f.Document.PointX[0], 65526.0) << "-10 as the instrument keeps it";
    EXPECT_EQ(f.Document.PointY[0], 20.0);
    EXPECT_EQ(f.Document.PointX[f.Document.PointCount - 1], 100.0);
    EXPECT_EQ(f.MinEdit->text(), QStringLiteral("20")) << "the first point's y";
    EXPECT_EQ(f.MaxEdit->text(), QStringLiteral("90")) << "the last point's y";
    EXPECT_EQ(f.Document.TableCount, 0);
    EXPECT_EQ(f.TableMemoModel->rowCount(), 0);
    const QStringList boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1) << boxes.join(u'|').toStdString();
    EXPECT_TRUE(boxes[0].contains(QString::fromUtf8("не по возрастанию"))) << boxes[0].toStdString();

    // Mending the x of the first point gives the table back.
    f.PointsGrid->SetRow(0);
    AnswerPoint("-10", "20");
    f.EditPointButtonClick();
    EXPECT_EQ(f.Document.PointX[0], -10.0);
    EXPECT_GT(f.Document.TableCount, 0);
}

// A scale stored with three decimals, loaded and written back under a new
// name: the same integers and decimals reach the instrument.
class ThreeDecimalsTest : public TransferWindowTest {
protected:
    static emu::InstrumentData Milli()
    {
        emu::InstrumentData d = emu::DefaultData();
        auto s = emu::MakeScale(QStringLiteral("Milli"), QStringLiteral("A"), 3, {{0, 1234}, {500, 65000}});
        s.address = 2;
        d.scales.push_back(s);
        return d;
    }
    ThreeDecimalsTest() : TransferWindowTest(Milli()) {}
};

TEST_F(ThreeDecimalsTest, SurvivesALoadAndAWriteBack)
{
    TMainForm &f = Start();
    AnswerLoad(f, 2);
    f.Scalelist->trigger();
    ASSERT_EQ(f.Document.PointCount, 2);
    EXPECT_EQ(f.ScalePwrComboBox->currentIndex(), 3);
    EXPECT_EQ(f.ScalePwrComboBox->currentText(), QStringLiteral("0,000"));
    EXPECT_EQ(f.MinEdit->text(), QStringLiteral("1,234"));
    EXPECT_EQ(f.MaxEdit->text(), QStringLiteral("65"));
    EXPECT_EQ(f.MaxErrEdit->text(), QStringLiteral("0,001"));
    ASSERT_GT(f.TableMemoModel->rowCount(), 0);
    EXPECT_TRUE(f.TableMemoModel->RowText(0).contains(QStringLiteral("1.234"))) << f.TableMemoModel->RowText(0).toStdString();

    // The printed table's y column has the three decimals too.
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("table.pdf"));
    dialogs.printSetups.push_back([&](QPrinter &p) {
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setOutputFileName(pdf);
        return true;
    });
    f.PrintTableItem->trigger();
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(60000));
    const QString printed = QString::fromUtf8(text.readAllStandardOutput());
    EXPECT_TRUE(printed.contains(QStringLiteral("1.234"))) << printed.left(300).toStdString();
    const auto threeDecimals = QRegularExpression(QStringLiteral("\\b\\d+\\.\\d{3}\\b")).globalMatch(printed);
    int rows = 0;
    for (auto it = threeDecimals; it.hasNext(); it.next())
        ++rows;
    EXPECT_GE(rows, 20);

    f.IntervalsCheckBox->setChecked(true);
    f.YNameEdit->setText(QStringLiteral("Milli2"));
    ASSERT_EQ(f.Document.ProgCount, 2);
    AnswerWrite(f, [](TPRx54ProgForm &w) { EXPECT_EQ(w.PowerEdit->text(), QStringLiteral("0,000")); });
    f.ProgrammItem->trigger();
    ASSERT_TRUE(WaitEnd());
    const auto scales = stand.instrument.Data().scales;
    ASSERT_EQ(scales.size(), 3u) << Boxes().join(u'|').toStdString();
    const auto &original = scales[1].record, &back = scales[2].record;
    EXPECT_EQ(back[15], 3);
    EXPECT_TRUE(std::equal(&original[49], &original[250], &back[49])) << "count and points";
    EXPECT_EQ(std::string(reinterpret_cast<const char *>(&back[1]), 12), "Milli2  A   ");
}

TEST_F(TransferWindowTest, CancelAtTheClearDropsTheLoadedScale)
{
    TMainForm &f = Start();
    Add(1, 100);
    Add(2, 300);
    const auto before = DocPoints();

    ImportSteps steps = f.ScaleImportSteps();
    steps.tryClearAll = [] { return false; }; // the user's Cancel
    AnswerLoad(f, 2);
    EXPECT_FALSE(ScaleListCommand(*f.ScaleListForm, f.Document, steps));
    EXPECT_FALSE(ScaleLoaded);
    EXPECT_EQ(DocPoints(), before);
    EXPECT_EQ(f.XNameEdit->text(), QString());

    // Showing the dialog again and closing it imports nothing.
    dialogs.forms.push_back([](QDialog &) { return 0; });
    const int forms = dialogs.formCount;
    f.Scalelist->trigger();
    EXPECT_EQ(dialogs.formCount, forms + 1);
    EXPECT_EQ(DocPoints(), before);
    EXPECT_EQ(f.XNameEdit->text(), QString());
}

// The save prompt before the import: Cancel, or Yes with the save dialog
// cancelled, keeps the scale, and the loaded record is dropped.
TEST_F(TransferWindowTest, ANotDoneSaveKeepsTheScaleAndDropsTheRecord)
{
    for (int answer : {ui::IdCancel, ui::IdYes}) {
        dialogs.Clear();
        TMainForm &f = Start();
        Add(1, 100);
        Add(2, 300);
        f.XNameEdit->setText(QStringLiteral("mine"));
        ASSERT_TRUE(f.Document.Modified);
        const auto before = DocPoints();
        AnswerLoad(f, 2);
        // The update's and the load's prompts, then the save prompt.
        dialogs.answers = {ui::IdOk, ui::IdOk, answer};
        f.Scalelist->trigger();
        EXPECT_FALSE(ScaleLoaded);
        const bool prompted = std::any_of(dialogs.messages.begin(), dialogs.messages.end(),
                                          [](const RecordedMessage &m) { return (m.flags & 0x0F) == ui::MbYesNoCancel; });
        ASSERT_TRUE(prompted) << answer;
        EXPECT_EQ(dialogs.fileRequests.size(), answer == ui::IdYes ? 1u : 0u);
        EXPECT_EQ(DocPoints(), before) << answer;
        EXPECT_EQ(f.XNameEdit->text(), QStringLiteral("mine"));
        EXPECT_TRUE(f.Document.Modified);

        // Nothing left to import at the next showing.
        dialogs.forms.push_back([](QDialog &) { return 0; });
        f.Scalelist->trigger();
        EXPECT_EQ(DocPoints(), before);
        Stop();
    }
}

} // namespace
