// The read from the instrument as the main window runs it: the tree, the
// caption, the device panel and the modified flag afterwards.
#include "results/mainform.h"
#include "tests/results/read_test_util.h"

#include <QComboBox>
#include <QLabel>
#include <QSettings>
#include <QTemporaryDir>
#include <QTreeWidget>

using namespace std::chrono_literals;

namespace {

// A main window with its settings in a directory of its own, reading from the
// emulator at path in the given language.
struct Window {
    Window(const QString &path, bool english)
    {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
        form = std::make_unique<TMainForm>(QStringList{QStringLiteral("Ostrel")});
        English = english;
        form->ApplyLanguage();
        form->ComBox->setEditText(path);
    }
    void Read(RecordingDialogs &dialogs)
    {
        dialogs.forms.push_back([](QDialog &d) { return d.exec(); });
        form->Rx5ItemClick();
    }
    // The texts of the remark root's children (one node per file).
    QStringList FileNodes() const
    {
        QStringList out;
        QTreeWidgetItem *root = form->ResTree->topLevelItem(1);
        for (int i = 0; root && i < root->childCount(); ++i)
            out << root->child(i)->text(0);
        return out;
    }
    QTemporaryDir dir;
    LangGuard lang{false};
    std::unique_ptr<TMainForm> form;
};

class ReadWindow : public ::testing::TestWithParam<bool> {};

} // namespace

TEST_P(ReadWindow, AReadFillsTheTreeAndASecondReadReplacesIt)
{
    const bool english = GetParam();
    Stand stand(SmallData(5));
    RecordingDialogs dialogs;
    Window w(stand.Path(), english);
    w.Read(dialogs);
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.Texts().join(u'|').toStdString();
    EXPECT_EQ(Hex(SentUntilEnd(stand)), Hex(FullReadBytes()));

    TMainForm &f = *w.form;
    EXPECT_EQ(f.windowTitle(), (english ? QStringLiteral("Measurement results - ") : QStringLiteral("Результаты измерений - "))
                                   + QStringLiteral("Q5-M8 v.1.2.15"));
    EXPECT_EQ(f.VerPanel->text(), QStringLiteral("Q5-M8 v.1.2.15"));
    EXPECT_EQ(f.DeviceText, QStringLiteral("Q5-M8 v.1.2.15"));
    EXPECT_EQ(f.CommonRemark, english ? QStringLiteral("Measurement results") : QStringLiteral("Результаты измерений"));
    EXPECT_TRUE(f.Modified);
    EXPECT_EQ(f.FileCount, 99);
    ASSERT_EQ(f.ResTree->topLevelItemCount(), 2);
    EXPECT_EQ(f.ResTree->topLevelItem(0)->text(0), QStringLiteral("Q5-M8 v.1.2.15"));
    EXPECT_EQ(w.FileNodes().size(), 99);
    EXPECT_EQ(f.Files[7].ValuesCount, 5);
    ASSERT_EQ(f.Files[7].ScalesCount, 2);
    EXPECT_EQ(f.Files[7].SCount[0], 3); // Press: records 0, 2, 4

    // The second read, after No to the save question, shows only its own.
    emu::InstrumentData fewer = SmallData(2);
    fewer.files[7].clear();
    stand.instrument.SetData(fewer);
    stand.instrument.ClearEvents();
    dialogs.answers.push_back(ui::IdNo);
    w.Read(dialogs);
    ASSERT_EQ(dialogs.messages.size(), 1u); // the save question
    EXPECT_EQ(ui::IconOf(dialogs.messages[0].flags), ui::MbIconQuestion);
    EXPECT_EQ(f.Files[0].ValuesCount, 2);
    EXPECT_EQ(f.Files[7].ValuesCount, 0);
    EXPECT_EQ(f.Files[7].ScalesCount, 0);
    EXPECT_EQ(f.FileCount, 99);
    EXPECT_TRUE(f.Modified);
}

TEST_P(ReadWindow, AFailedReadLeavesTheResultsClearedWithTheVersionShown)
{
    const bool english = GetParam();
    Stand stand(SmallData(5));
    stand.instrument.InjectFault(0x8C, FaultOf(emu::Fault::Silence, 2));
    RecordingDialogs dialogs;
    Window w(stand.Path(), english);
    w.Read(dialogs);
    EXPECT_EQ(dialogs.Texts(),
              english ? (QStringList{QStringLiteral("Error at receiving data!"), QStringLiteral("Read data error!")})
                      : (QStringList{QStringLiteral("Ошибка при приеме данных!"),
                                     QStringLiteral("Ошибка при приеме данных от прибора, или прибор не реагирует на команды")}));
    TMainForm &f = *w.form;
    EXPECT_EQ(SentUntilEnd(stand).back(), 0x84);
    EXPECT_EQ(f.FileCount, 0);
    EXPECT_EQ(f.ResTree->topLevelItemCount(), 0);
    EXPECT_FALSE(f.Modified);
    EXPECT_EQ(f.VerPanel->text(), QStringLiteral("Q5-M8 v.1.2.15"));
    EXPECT_EQ(f.windowTitle(), english ? QStringLiteral("Measurement results") : QStringLiteral("Результаты измерений"));
}

TEST_P(ReadWindow, ReadingsThatAreNotNumbersAndDroppedValuesAreSaidAfterTheRead)
{
    const bool english = GetParam();
    emu::InstrumentData d = SmallData(3);
    d.files[0][1] = emu::MakeMeasurement(QStringLiteral("-----"), QStringLiteral("Temp"));
    for (int i = 0; i < 120; ++i)
        d.files[9].push_back(emu::MakeMeasurement(QStringLiteral("1"), QStringLiteral("Many")));
    Stand stand(d);
    RecordingDialogs dialogs;
    Window w(stand.Path(), english);
    w.Read(dialogs);
    TMainForm &f = *w.form;
    ASSERT_EQ(dialogs.messages.size(), 2u) << dialogs.Texts().join(u'|').toStdString();
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("'-----' is not a valid floating point value"));
    EXPECT_EQ(dialogs.messages[1].text,
              english ? QStringLiteral("The device sent more than 100 values in a file; the first 100 are kept, "
                                       "dropped: file 10 - 23.")
                      : QStringLiteral("Прибор передал больше 100 значений в файле; сохранены первые 100, "
                                       "отброшено: файл 10 - 23."));
    for (const auto &m : dialogs.messages)
        EXPECT_EQ(m.caption, english ? QStringLiteral("Q5-M8 results") : QStringLiteral("Результаты Q5-M8"));
    EXPECT_EQ(f.FileCount, 99);
    EXPECT_TRUE(f.Modified);
    EXPECT_EQ(f.Files[0].Values[1].Str, QStringLiteral("-----"));
    EXPECT_EQ(f.Files[9].ValuesCount, 100);
    EXPECT_EQ(w.FileNodes().size(), 99);
}

TEST_P(ReadWindow, CancelAtTheSaveQuestionReadsNothing)
{
    Stand stand(SmallData(1));
    RecordingDialogs dialogs;
    Window w(stand.Path(), GetParam());
    w.form->Modified = true;
    dialogs.answers.push_back(ui::IdCancel);
    w.form->Rx5ItemClick();
    EXPECT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.formCount, 0);
    EXPECT_TRUE(w.form->Modified);
    EXPECT_TRUE(stand.instrument.Received().empty());
}

TEST_P(ReadWindow, AnEmptyPortBoxFailsInOpenWithNothingSent)
{
    const bool english = GetParam();
    Stand stand(SmallData(1));
    RecordingDialogs dialogs;
    Window w(QString(), english);
    w.form->Rx5ItemClick();
    EXPECT_EQ(dialogs.Texts(), QStringList{english ? QStringLiteral("The port does not exist!")
                                                   : QStringLiteral("Порт не существует !")});
    EXPECT_EQ(dialogs.formCount, 0);
    EXPECT_FALSE(w.form->Modified);
    EXPECT_EQ(w.form->FileCount, 0);
    EXPECT_TRUE(stand.instrument.Received().empty());
}

INSTANTIATE_TEST_SUITE_P(Languages, ReadWindow, ::testing::Bool(),
                         [](const auto &info) { return info.param ? "English" : "Russian"; });
