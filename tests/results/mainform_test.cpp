#include "results/mainform.h"
#include "results/resfile.h"
#include "common/lang.h"
#include "common/numtext.h"
#include "tests/support/recording_dialogs.h"
#include <QAction>
#include <QFile>
#include <QDialog>
#include <QGroupBox>
#include <QGuiApplication>
#include <QScreen>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <algorithm>
#include <functional>
#include <memory>

namespace {

void AddValue(TResFile &f, const char *str, const char *scale)
{
    f.Values[f.ValuesCount].Str = QString::fromUtf8(str);
    f.Values[f.ValuesCount].Scale = QString::fromUtf8(scale);
    ++f.ValuesCount;
}

class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.filePath(QStringLiteral("cfg")));
        English = false;
        DeviceKind = DeviceKindNormal;
    }
    void TearDown() override
    {
        if (form)
            form->Modified = false;
        form.reset();
        English = false;
        DeviceKind = DeviceKindNormal;
    }
    QString Path(const char *name) const { return dir.filePath(QString::fromLatin1(name)); }

    // A results file of files files; file 0 has two groups (one without
    // numbers), the others one value each.
    QString Fixture(int files, const char *device = "Q5-M8 v.1.2.15", const char *name = "fix.osl3")
    {
        numtext::SetDecimalSeparator('.');
        ResultsData d;
        d.DeviceText = QString::fromUtf8(device);
        d.CommonRemark = QStringLiteral("all results");
        d.FileCount = files;
        for (int i = 0; i < files; ++i) {
            TResFile &f = d.Files[size_t(i)];
            if (i == 0) {
                f.Remark = QStringLiteral("first");
                AddValue(f, "1.5", "mkm");
                AddValue(f, "-----", "deg");
                AddValue(f, "2.5", "mkm");
            } else {
                AddValue(f, "7", "mm");
            }
            StatisticList(f);
        }
        const QString path = Path(name);
        SaveResultsFile(d, path);
        return path;
    }

    TMainForm &Open(const QStringList &args = {QStringLiteral("Ostrel")})
    {
        form = std::make_unique<TMainForm>(args);
        return *form;
    }

    QTreeWidgetItem *Root(int i) const { return form->ResTree->topLevelItem(i); }

    void RightClick(QTreeWidgetItem *item)
    {
        form->ResTree->scrollToItem(item);
        const QRect row = form->ResTree->visualItemRect(item);
        form->ResTreeMouseDown(Qt::RightButton, QPoint(row.left() + 4, row.center().y())); // on the label
    }

    QTemporaryDir dir;
    RecordingDialogs dialogs;
    std::unique_ptr<TMainForm> form;
};

QStringList Texts(QTreeWidgetItem *item)
{
    QStringList out;
    for (int i = 0; i < item->childCount(); ++i)
        out << item->child(i)->text(0);
    return out;
}

TEST_F(MainFormTest, StartsEmptyWithDefaults)
{
    TMainForm &f = Open();
    EXPECT_EQ(f.ResTree->topLevelItemCount(), 0);
    EXPECT_EQ(f.FileCount, 0);
    EXPECT_FALSE(f.Modified);
    // The language's caption and the open dialog's file name, none yet.
    EXPECT_EQ(f.windowTitle(), QString::fromUtf8("Результаты измерения "));
    EXPECT_FALSE(f.MainMenu->isHidden());
    EXPECT_TRUE(f.MainMenuEng->isHidden());
    EXPECT_EQ(f.PortGroupBox->title(), QString::fromUtf8(" Порт "));
    // The default size, narrower where the screen is.
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(f.width(), std::min(838, screen.width()));
    EXPECT_EQ(f.height(), 648);
    EXPECT_TRUE(f.ResMemo->isHidden());
    EXPECT_EQ(numtext::DecimalSeparator(), '.');
    EXPECT_EQ(f.Files.size(), size_t(MaxResultFiles));
    EXPECT_EQ(f.Files[99].Index, 99);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(MainFormTest, SettingsRoundTrip)
{
    {
        TMainForm &f = Open();
        f.move(120, 80);
        f.resize(600, 500);
        f.EnglishItemClick();
        form.reset();
    }
    QSettings s(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Ostrel"));
    EXPECT_EQ(s.value(QStringLiteral("Language/Value")).toString(), "English");
    EXPECT_EQ(s.value(QStringLiteral("Window/Left")).toInt(), 120);
    EXPECT_EQ(s.value(QStringLiteral("Window/Top")).toInt(), 80);
    EXPECT_EQ(s.value(QStringLiteral("Window/Width")).toInt(), 600);
    EXPECT_EQ(s.value(QStringLiteral("Window/Height")).toInt(), 500);
    EXPECT_TRUE(s.contains(QStringLiteral("Window/MemWidth")));

    for (const char *value : {"eNgLiSh", "Russian", "", "English "}) {
        s.setValue(QStringLiteral("Language/Value"), QString::fromLatin1(value));
        s.sync();
        English = false;
        TMainForm &f = Open();
        EXPECT_EQ(English, QByteArray(value).toUpper() == "ENGLISH") << value;
        EXPECT_EQ(f.MainMenuEng->isHidden(), !English) << value;
        EXPECT_EQ(f.x(), 120);
        EXPECT_EQ(f.width(), 600);
        form.reset();
    }

    // A position from a monitor that is gone puts the window on a screen.
    s.setValue(QStringLiteral("Window/Left"), -30000);
    s.setValue(QStringLiteral("Window/Top"), 40000);
    s.sync();
    TMainForm &f = Open();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(screen.contains(f.frameGeometry())) << f.x() << "," << f.y();
    EXPECT_EQ(f.width(), 600);
}

TEST_F(MainFormTest, CommandLineLoadsTheFile)
{
    const QString path = Fixture(3);
    TMainForm &f = Open({QStringLiteral("Ostrel"), path});
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(f.FileCount, 3);
    EXPECT_FALSE(f.Modified);
    EXPECT_EQ(f.windowTitle(), QString::fromUtf8("Результаты измерения - ") + path);
    ASSERT_EQ(f.ResTree->topLevelItemCount(), 2);
    EXPECT_EQ(Root(0)->text(0), "Q5-M8 v.1.2.15");
    EXPECT_EQ(Root(1)->text(0), "all results");
    EXPECT_TRUE(Root(1)->isExpanded());
    EXPECT_EQ(Texts(Root(1)), (QStringList{QString::fromUtf8("Файл 1"), QString::fromUtf8("Файл 2"),
                                           QString::fromUtf8("Файл 3")}));
    EXPECT_FALSE(Root(1)->child(0)->isExpanded());
    QTreeWidgetItem *file1 = Root(1)->child(0);
    EXPECT_EQ(Texts(file1), (QStringList{QStringLiteral("first"), QString::fromUtf8("3 результата"),
                                         QString::fromUtf8("Статистика")}));
    QTreeWidgetItem *deg = file1->child(2)->child(1);
    EXPECT_EQ(deg->text(0), "deg");
    EXPECT_EQ(deg->data(0, Qt::UserRole).toInt(), 201);
    // no numbers: a count and dashes, nothing made up
    EXPECT_EQ(Texts(deg), (QStringList{QString::fromUtf8("Измерений 1"), QString::fromUtf8("Минимальное значение ---"),
                                       QString::fromUtf8("Максимальное значение ---"),
                                       QString::fromUtf8("Среднее значение ---")}));
    EXPECT_EQ(Texts(file1->child(2)->child(0)),
              (QStringList{QString::fromUtf8("Измерений 2"), QString::fromUtf8("Минимальное значение 1,500"),
                           QString::fromUtf8("Максимальное значение 2,500"),
                           QString::fromUtf8("Среднее значение 2,000")}));
    EXPECT_EQ(Root(1)->child(2)->child(0)->data(0, Qt::UserRole).toInt(), 3);
    EXPECT_EQ(Root(1)->child(2)->data(0, Qt::UserRole).toInt(), 0);
}

TEST_F(MainFormTest, MissingFileIsReported)
{
    const QString path = Path("none.osl3");
    TMainForm &f = Open({QStringLiteral("Ostrel"), path});
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QString::fromUtf8("Файл ") + path + QString::fromUtf8(" не существует!"));
    EXPECT_EQ(dialogs.messages[0].caption, QString::fromUtf8("Открыть"));
    EXPECT_EQ(dialogs.messages[0].flags, unsigned(ui::MbIconError));
    EXPECT_EQ(f.ResTree->topLevelItemCount(), 0);
    EXPECT_EQ(f.windowTitle(), QString::fromUtf8("Результаты измерения "));
}

TEST_F(MainFormTest, OneFileHangsUnderTheRemarkRoot)
{
    TMainForm &f = Open({QStringLiteral("Ostrel"), Fixture(1)});
    EXPECT_EQ(Texts(Root(1)), (QStringList{QStringLiteral("first"), QString::fromUtf8("3 результата"),
                                           QString::fromUtf8("Статистика")}));
    EXPECT_EQ(f.FileOwnNode(0), Root(1));
}

TEST_F(MainFormTest, ValueListFollowsTheSelection)
{
    TMainForm &f = Open({QStringLiteral("Ostrel"), Fixture(2)});
    QTreeWidgetItem *file1 = Root(1)->child(0);
    f.ResTree->setCurrentItem(file1->child(1)); // the count node: all values
    EXPECT_FALSE(f.ResMemo->isHidden());
    EXPECT_EQ(f.ResMemo->toPlainText(), "  1.  1.5  mkm\n  2.  -----  deg\n  3.  2.5  mkm");
    f.ResTree->setCurrentItem(file1->child(2)->child(0)->child(3)); // mean line of mkm
    EXPECT_EQ(f.ResMemo->toPlainText(), "  1.  1.5  mkm\n  2.  2.5  mkm");
    f.ResTree->setCurrentItem(file1);
    EXPECT_TRUE(f.ResMemo->isHidden());
    f.ResTree->setCurrentItem(Root(0));
    EXPECT_TRUE(f.ResMemo->isHidden());
}

TEST_F(MainFormTest, PopupsOnRootsAndBelowButNotOnFileNodes)
{
    TMainForm &f = Open({QStringLiteral("Ostrel"), Fixture(2)});
    f.show();
    RightClick(Root(1)->child(0));
    EXPECT_EQ(f.SelectedNode, Root(1)->child(0));
    EXPECT_EQ(f.ResTree->currentItem(), Root(1)->child(0));
    EXPECT_FALSE(f.PopupMenu->isVisible());

    RightClick(Root(0));
    EXPECT_TRUE(f.PopupMenu->isVisible());
    EXPECT_FALSE(f.CalcItem->isEnabled());
    f.PopupMenu->hide();

    Root(1)->child(0)->setExpanded(true);
    RightClick(Root(1)->child(0)->child(1));
    EXPECT_TRUE(f.PopupMenu->isVisible());
    EXPECT_TRUE(f.CalcItem->isEnabled());
    f.PopupMenu->hide();

    f.EnglishItemClick();
    RightClick(Root(1));
    EXPECT_TRUE(f.PopupMenuEng->isVisible());
    EXPECT_FALSE(f.PopupMenu->isVisible());
    EXPECT_FALSE(f.MenuItem24->isEnabled());
    f.PopupMenuEng->hide();
}

TEST_F(MainFormTest, OtherInstrumentHasNoValueListAndNoPopup)
{
    TMainForm &f = Open({QStringLiteral("Ostrel"), Fixture(2, "KVR-20 v.1.0.0")});
    EXPECT_EQ(DeviceKind, DeviceKindKvr20);
    f.show();
    QTreeWidgetItem *count = Root(1)->child(0)->child(1);
    Root(1)->child(0)->setExpanded(true);
    f.ResTree->setCurrentItem(count);
    EXPECT_TRUE(f.ResMemo->isHidden());
    RightClick(count);
    EXPECT_EQ(f.SelectedNode, count);
    EXPECT_FALSE(f.PopupMenu->isVisible());
    RightClick(Root(0));
    EXPECT_FALSE(f.PopupMenu->isVisible());
}

TEST_F(MainFormTest, FileCommentRebuildsTheFileSubtree)
{
    TMainForm &f = Open({QStringLiteral("Ostrel"), Fixture(3)});
    f.show();
    QTreeWidgetItem *file2 = Root(1)->child(1);
    file2->setExpanded(true);
    file2->child(1)->setExpanded(true);
    RightClick(file2->child(1)->child(0)); // group node of file 2
    dialogs.inputs = {QStringLiteral("second file")};
    f.RemarkItemClick();
    EXPECT_TRUE(f.Modified);
    EXPECT_EQ(f.Files[1].Remark, "second file");
    ASSERT_EQ(Root(1)->child(1), file2);
    EXPECT_EQ(Texts(file2), (QStringList{QStringLiteral("second file"), QString::fromUtf8("1 результат"),
                                         QString::fromUtf8("Статистика")}));
    EXPECT_TRUE(file2->child(2)->child(0)->isExpanded());
    EXPECT_EQ(f.ResTree->currentItem(), file2->child(0));
    EXPECT_EQ(f.SelectedNode, file2->child(0));
    EXPECT_EQ(f.ResMemo->toPlainText(), "  1.  7  mm");

    // an empty comment removes the remark node; cancel changes nothing
    RightClick(file2->child(0));
    dialogs.inputs = {QString()};
    f.RemarkItemClick();
    EXPECT_EQ(Texts(file2).size(), 2);
    f.Modified = false;
    RightClick(file2->child(0));
    f.RemarkItemClick(); // no input: cancelled
    EXPECT_FALSE(f.Modified);
}

TEST_F(MainFormTest, RootCommentChangesTheRemarkRoot)
{
    TMainForm &f = Open({QStringLiteral("Ostrel"), Fixture(2)});
    f.show();
    RightClick(Root(0));
    dialogs.inputs = {QStringLiteral("  new remark ")};
    f.RemarkItemClick();
    EXPECT_TRUE(f.Modified);
    EXPECT_EQ(f.CommonRemark, "  new remark ");
    EXPECT_EQ(Root(1)->text(0), "  new remark ");
    EXPECT_EQ(Root(0)->text(0), "Q5-M8 v.1.2.15");
    EXPECT_EQ(f.ResTree->currentItem(), Root(1));
    EXPECT_EQ(f.ResTree->topLevelItemCount(), 2);
    EXPECT_EQ(Root(1)->childCount(), 2);
}

TEST_F(MainFormTest, CommentRefusesLineBreaksAndForeignCharacters)
{
    TMainForm &f = Open({QStringLiteral("Ostrel"), Fixture(1)});
    f.show();
    RightClick(Root(1));
    dialogs.inputs = {QStringLiteral("two\nlines"), QString::fromUtf8("snow ☃ and 日"), QString::fromUtf8("nul\0x", 5),
                      QString::fromUtf8("ok №1 ±")};
    f.RemarkItemClick();
    ASSERT_EQ(dialogs.messages.size(), 3u);
    EXPECT_EQ(dialogs.messages[0].text, QString::fromUtf8("Комментарий должен быть одной строкой."));
    EXPECT_EQ(dialogs.messages[1].text,
              QString::fromUtf8("Символы \"☃日\" нельзя сохранить в файле результатов."));
    EXPECT_EQ(dialogs.messages[1].caption, QString::fromUtf8("Комментарий ко всем результатам"));
    EXPECT_EQ(f.CommonRemark, QString::fromUtf8("ok №1 ±"));
}

TEST_F(MainFormTest, LanguageSwitchRebuildsTheTree)
{
    const QString path = Fixture(2);
    TMainForm &f = Open({QStringLiteral("Ostrel"), path});
    QTreeWidgetItem *file1 = Root(1)->child(0);
    file1->setExpanded(true);
    file1->child(2)->setExpanded(true);
    f.ResTree->setCurrentItem(file1->child(2)->child(0));
    f.Modified = true;

    f.EnglishItemClick();
    EXPECT_TRUE(English);
    EXPECT_TRUE(f.Modified);
    // A file named on the command line went through no open dialog.
    EXPECT_EQ(f.windowTitle(), "Measurement results ");
    EXPECT_EQ(f.PortGroupBox->title(), " Serial port ");
    EXPECT_TRUE(f.MainMenu->isHidden());
    EXPECT_FALSE(f.MainMenuEng->isHidden());
    ASSERT_EQ(f.ResTree->topLevelItemCount(), 2);
    QTreeWidgetItem *file1en = Root(1)->child(0);
    EXPECT_EQ(file1en->text(0), "File 1");
    EXPECT_EQ(Texts(file1en), (QStringList{QStringLiteral("first"), QStringLiteral("3 results"),
                                           QStringLiteral("Statistics")}));
    EXPECT_TRUE(file1en->isExpanded());
    EXPECT_TRUE(file1en->child(2)->isExpanded());
    EXPECT_EQ(f.ResTree->currentItem(), file1en->child(2)->child(0));
    EXPECT_EQ(f.SelectedNode, nullptr);
    EXPECT_EQ(f.ResMemo->toPlainText(), "  1.  1.5  mkm\n  2.  2.5  mkm");
    // Qt's own buttons (message boxes, file and print dialogs) follow too.
    auto qtCancel = [] {
        QDialogButtonBox box(QDialogButtonBox::Cancel);
        return box.button(QDialogButtonBox::Cancel)->text();
    };
    EXPECT_EQ(qtCancel(), "Cancel");

    f.RussianItemClick();
    EXPECT_EQ(qtCancel(), QString::fromUtf8("Отмена"));
    EXPECT_EQ(Root(1)->child(1)->text(0), QString::fromUtf8("Файл 2"));
    EXPECT_EQ(f.windowTitle(), QString::fromUtf8("Результаты измерения "));
}

TEST_F(MainFormTest, SaveQuestionFlows)
{
    const QString fixture = Fixture(2);
    struct Case {
        const char *name;
        std::deque<int> answers;
        std::deque<QString> savePaths;
        bool cleared;
        int messages; // the question and what follows it
    };
    const QString bad = Path("no/such/dir/x.osl3");
    // A new file is confirmed first (the second Yes).
    const Case cases[] = {
        {"cancel", {ui::IdCancel}, {}, false, 1},
        {"no", {ui::IdNo}, {}, true, 1},
        {"yes, save cancelled", {ui::IdYes}, {}, false, 1},
        {"yes, save failed", {ui::IdYes, ui::IdYes}, {bad}, false, 3},
        {"yes, no new file, save cancelled", {ui::IdYes, ui::IdNo}, {Path("refused")}, false, 2},
        {"yes, saved", {ui::IdYes, ui::IdYes}, {Path("saved")}, true, 2},
    };
    for (const Case &c : cases) {
        TMainForm &f = Open({QStringLiteral("Ostrel"), fixture});
        f.Modified = true;
        dialogs.Clear();
        dialogs.answers = c.answers;
        dialogs.savePaths = c.savePaths;
        const QString caption = f.windowTitle();
        EXPECT_EQ(f.TryClearResults(), c.cleared) << c.name;
        ASSERT_EQ(int(dialogs.messages.size()), c.messages) << c.name;
        EXPECT_EQ(dialogs.messages[0].text, QString::fromUtf8("Результаты были изменены. Сохранить изменения ?"));
        EXPECT_EQ(dialogs.messages[0].caption, caption);
        EXPECT_EQ(dialogs.messages[0].flags, unsigned(ui::MbYesNoCancel | ui::MbIconQuestion));
        EXPECT_EQ(f.Modified, !c.cleared) << c.name;
        EXPECT_EQ(f.FileCount, c.cleared ? 0 : 2) << c.name;
        EXPECT_EQ(f.ResTree->topLevelItemCount(), c.cleared ? 0 : 2) << c.name;
        if (c.messages >= 2) {
            EXPECT_TRUE(dialogs.messages[1].text.endsWith(QString::fromUtf8("\nЭтот файл не существует.\nСоздать файл?")))
                << c.name;
        }
        if (c.messages == 3) {
            EXPECT_EQ(dialogs.messages[2].text, "Unable to write to " + bad + ".");
            EXPECT_EQ(dialogs.messages[2].flags, unsigned(ui::MbIconError));
        }
        form->Modified = false;
        form.reset();
    }
    // the save added the extension
    EXPECT_TRUE(QFile::exists(Path("saved.osl3")));
    EXPECT_FALSE(QFile::exists(Path("refused.osl3")));
}

// As the designer does: a name that names no file yet is confirmed, under
// the dialog's own title; No shows the dialog again at that name. Replacing
// a file is the dialog's own question.
TEST_F(MainFormTest, SaveAsksBeforeCreatingAFile)
{
    TMainForm &f = Open({QStringLiteral("Ostrel"), Fixture(2)});
    f.Modified = true;
    dialogs.Clear();
    dialogs.savePaths = {Path("new.osl3"), Path("other")};
    dialogs.answers = {ui::IdNo, ui::IdYes};
    f.SaveItemClick();
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0].text, Path("new.osl3") + QString::fromUtf8("\nЭтот файл не существует.\nСоздать файл?"));
    EXPECT_EQ(dialogs.messages[0].caption, QString::fromUtf8("Сохранить результаты"));
    EXPECT_EQ(dialogs.messages[0].flags, unsigned(ui::MbYesNo | ui::MbIconWarning));
    EXPECT_EQ(dialogs.messages[0].owner, &f);
    EXPECT_EQ(dialogs.messages[1].text, Path("other.osl3") + QString::fromUtf8("\nЭтот файл не существует.\nСоздать файл?"));
    ASSERT_EQ(dialogs.fileRequests.size(), 2u);
    EXPECT_EQ(dialogs.fileRequests[1].initialPath, Path("new.osl3"));
    EXPECT_EQ(dialogs.fileRequests[1].title, QString::fromUtf8("Сохранить результаты"));
    EXPECT_FALSE(QFile::exists(Path("new.osl3")));
    EXPECT_TRUE(QFile::exists(Path("other.osl3")));
    EXPECT_FALSE(f.Modified);

    // An existing file: no further question.
    f.Modified = true;
    dialogs.Clear();
    dialogs.savePaths = {Path("other.osl3")};
    f.SaveItemClick();
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.Texts().join('|').toStdString();
    EXPECT_FALSE(f.Modified);

    // In English, and No then a cancelled dialog saves nothing.
    f.EnglishItemClick();
    f.Modified = true;
    dialogs.Clear();
    dialogs.savePaths = {Path("english.osl3")};
    dialogs.answers = {ui::IdNo};
    f.SaveItemClick();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, Path("english.osl3") + "\nThis file does not exist.\nCreate the file?");
    EXPECT_EQ(dialogs.messages[0].caption, "Save file");
    EXPECT_EQ(dialogs.fileRequests.size(), 2u);
    EXPECT_FALSE(QFile::exists(Path("english.osl3")));
    EXPECT_TRUE(f.Modified);
}

// A results file edited by hand, with a blank minimum and counts beyond the
// values: the window shows each key on its own, and a comment and a save
// over the file keep every value it had.
TEST_F(MainFormTest, HandEditedStatisticsSurviveCommentAndSave)
{
    const QString path = Path("hand.osl3");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[OstrelData]\r\nDevice=Q5-M8 v.1.2.15\r\nRemark=bench\r\nFilesCount=1\r\n"
                   "[File1]\r\nRemark=\r\nValuesCount=2\r\nScalesCount=1\r\n"
                   "Scales1=mkm\r\nSCount1=500\r\nSMin1=\r\nSMax1=5\r\nSMx1=3\r\n"
                   "__1_Str=5\r\n__1_Count=0\r\n__1_Scale=mkm\r\n__2_Str=1\r\n__2_Count=0\r\n__2_Scale=mkm\r\n");
    }
    TMainForm &f = Open({QStringLiteral("Ostrel"), path});
    f.show();
    QTreeWidgetItem *mkm = Root(1)->child(1)->child(0);
    ASSERT_EQ(mkm->text(0), "mkm");
    EXPECT_EQ(Texts(mkm), (QStringList{QString::fromUtf8("Измерений 500"), QString::fromUtf8("Минимальное значение ---"),
                                       QString::fromUtf8("Максимальное значение 5,000"),
                                       QString::fromUtf8("Среднее значение 3,000")}));
    f.ResTree->setCurrentItem(mkm);
    EXPECT_EQ(f.ResMemo->toPlainText(), "  1.  5  mkm\n  2.  1  mkm") << "the count lists nothing beyond the values";

    RightClick(Root(1)->child(1)); // the count node of the only file
    dialogs.inputs = {QStringLiteral("checked")};
    f.RemarkItemClick();
    ASSERT_TRUE(f.Modified);
    dialogs.savePaths = {path};
    f.SaveItemClick();
    EXPECT_FALSE(f.Modified);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.contains("[File1]\r\nRemark=checked\r\nValuesCount=2\r\nScalesCount=1\r\n"
                               "Scales1=mkm\r\nSCount1=500\r\nSMin1=\r\nSMax1=5\r\nSMx1=3\r\n"))
        << bytes.constData();
}

TEST_F(MainFormTest, CancelledQuestionStopsClearExitOpenAndKeepsTheMode)
{
    TMainForm &f = Open({QStringLiteral("Ostrel"), Fixture(2, "KVR-20")});
    f.show();
    f.Modified = true;
    dialogs.answers = {ui::IdCancel, ui::IdCancel, ui::IdCancel};
    f.ClearItemClick();
    EXPECT_EQ(DeviceKind, DeviceKindKvr20);
    EXPECT_EQ(f.FileCount, 2);
    f.ExitItemClick();
    EXPECT_TRUE(f.isVisible());
    dialogs.openPaths = {Fixture(1, "Q5-M8", "other.osl3")};
    f.LoadItemClick();
    EXPECT_EQ(f.FileCount, 2);
    EXPECT_EQ(dialogs.fileRequests.size(), 0u);
    EXPECT_EQ(dialogs.messages.size(), 3u);

    dialogs.answers = {ui::IdNo};
    f.ClearItemClick();
    EXPECT_EQ(DeviceKind, DeviceKindNormal);
    EXPECT_EQ(f.FileCount, 0);
    EXPECT_EQ(f.ResTree->topLevelItemCount(), 0);
}

TEST_F(MainFormTest, CloseAsksAndExitDoesNotAskTwice)
{
    TMainForm &f = Open({QStringLiteral("Ostrel"), Fixture(2)});
    f.show();
    f.Modified = true;
    dialogs.answers = {ui::IdCancel};
    EXPECT_FALSE(f.close());
    EXPECT_TRUE(f.isVisible());
    dialogs.answers = {ui::IdNo};
    f.ExitItemClick();
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(dialogs.messages.size(), 2u);
}

TEST_F(MainFormTest, OpenAndSave)
{
    const QString fixture = Fixture(2);
    TMainForm &f = Open();
    // Save with nothing changed shows no dialog
    f.SaveItemClick();
    EXPECT_TRUE(dialogs.fileRequests.empty());

    dialogs.openPaths = {fixture};
    f.LoadItemClick();
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_EQ(dialogs.fileRequests[0].filter, QString::fromUtf8("Файлы с результатами (*.osl3);;Все файлы (*)"));
    EXPECT_EQ(dialogs.fileRequests[0].defaultSuffix, "osl3");
    EXPECT_EQ(f.FileCount, 2);
    EXPECT_FALSE(f.Modified);
    f.SaveItemClick(); // loaded and unchanged: nothing to save
    EXPECT_EQ(dialogs.fileRequests.size(), 1u);

    f.Modified = true;
    f.EnglishItemClick();
    dialogs.savePaths = {Path("copy.osl3")};
    f.SaveItemClick();
    ASSERT_EQ(dialogs.fileRequests.size(), 2u);
    EXPECT_EQ(dialogs.fileRequests[1].title, "Save file");
    EXPECT_EQ(dialogs.fileRequests[1].filter, "Measurement results files (*.osl3);;All files (*)");
    EXPECT_FALSE(f.Modified);
    ResultsData back;
    LoadResultsFile(back, Path("copy.osl3"));
    EXPECT_EQ(back.FileCount, 2);
    EXPECT_EQ(back.Files[0].Remark, "first");

    // a cancelled open leaves the results cleared
    f.LoadItemClick();
    EXPECT_EQ(f.FileCount, 0);
    EXPECT_EQ(f.ResTree->topLevelItemCount(), 0);
    EXPECT_EQ(f.windowTitle(), "Measurement results");
}

// The caption through a session: the language's form names the file last
// chosen in the open dialog, whatever the window shows at the time.
TEST_F(MainFormTest, CaptionAtStartOpenSaveReadClearAndLanguageSwitch)
{
    const QString path = Fixture(2);
    const QString copy = Path("copy.osl3");
    TMainForm &f = Open();
    std::vector<std::vector<TValue>> read(ResultFileCount);
    read[0] = {TValue{QStringLiteral("1.5"), QStringLiteral("mkm"), 0, {}}};
    const std::pair<std::function<void()>, QString> steps[] = {
        {[] {}, QString::fromUtf8("Результаты измерения ")}, // the start, trailing blank included
        {[&] { f.EnglishItemClick(); }, QStringLiteral("Measurement results ")},
        {[&] { dialogs.openPaths = {path}; f.LoadItemClick(); }, QStringLiteral("Measurement results - ") + path},
        {[&] { f.RussianItemClick(); }, QString::fromUtf8("Результаты измерения ") + path},
        {[&] { f.Modified = true; dialogs.savePaths = {copy}; f.SaveItemClick(); },
         QString::fromUtf8("Результаты измерения ") + path}, // a save leaves it
        {[&] { f.ClearItemClick(); }, QString::fromUtf8("Результаты измерений")},
        {[&] { f.EnglishItemClick(); }, QStringLiteral("Measurement results ") + path},
        {[&] { f.InstallReadResults(QStringLiteral("Q5-M8 v.1.2.15"), read); },
         QStringLiteral("Measurement results - Q5-M8 v.1.2.15")},
        {[&] { f.RussianItemClick(); }, QString::fromUtf8("Результаты измерения ") + path},
        {[&] { dialogs.answers = {ui::IdNo}; f.LoadItemClick(); }, QString::fromUtf8("Результаты измерений")},
        {[&] { f.EnglishItemClick(); }, QStringLiteral("Measurement results ") + path}, // kept by the cancel
        {[&] { dialogs.openPaths = {copy}; f.LoadItemClick(); }, QStringLiteral("Measurement results - ") + copy},
        {[&] { f.RussianItemClick(); }, QString::fromUtf8("Результаты измерения ") + copy},
    };
    int n = 0;
    for (const auto &[act, caption] : steps) {
        act();
        EXPECT_EQ(f.windowTitle(), caption) << "step " << n;
        ++n;
    }
    EXPECT_FALSE(f.Modified);
}

TEST_F(MainFormTest, ReadResultsKeepBadReadingsAndSayItOnce)
{
    TMainForm &f = Open();
    std::vector<std::vector<TValue>> files(ResultFileCount);
    files[0] = {TValue{QStringLiteral("1.5"), QStringLiteral("mkm"), 0, {}},
                TValue{QStringLiteral("-----"), QStringLiteral("mkm"), 0, {}}};
    files[5] = {TValue{QStringLiteral("--.--"), QStringLiteral("deg"), 0, {}}};
    const StatisticReport r = f.InstallReadResults(QStringLiteral("Q5-M8 v.1.2.15"), files);
    EXPECT_EQ(r.nonNumeric, 2);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    // The text as the conversion gives it, with no full stop added.
    EXPECT_EQ(dialogs.messages[0].text, "'-----' is not a valid floating point value");
    EXPECT_EQ(dialogs.messages[0].caption, QString::fromUtf8("Результаты Q5-M8"));
    // The read succeeded: information, not an error.
    EXPECT_EQ(dialogs.messages[0].flags, unsigned(ui::MbOk | ui::MbIconInformation));
    EXPECT_TRUE(f.Modified);
    EXPECT_EQ(f.FileCount, ResultFileCount);
    EXPECT_EQ(f.windowTitle(), QString::fromUtf8("Результаты измерений - Q5-M8 v.1.2.15"));
    ASSERT_EQ(Root(1)->childCount(), ResultFileCount);
    EXPECT_EQ(Texts(Root(1)->child(5)->child(1)->child(0)),
              (QStringList{QString::fromUtf8("Измерений 1"), QString::fromUtf8("Минимальное значение ---"),
                           QString::fromUtf8("Максимальное значение ---"), QString::fromUtf8("Среднее значение ---")}));
    f.ResTree->setCurrentItem(Root(1)->child(0)->child(0));
    EXPECT_EQ(f.ResMemo->toPlainText(), "  1.  1.5  mkm\n  2.  -----  mkm");
    f.EnglishItemClick();
    EXPECT_EQ(f.windowTitle(), "Measurement results ");
}

TEST_F(MainFormTest, MenusCarryTheirTexts)
{
    TMainForm &f = Open();
    const std::pair<QAction *, const char *> items[] = {
        {f.N2, "Прочитать из прибора Q5-M8"}, {f.LoadItem, "Открыть"}, {f.SaveItem, "Сохранить"},
        {f.ClearItem, "Очистить"}, {f.ExitItem, "Выход"}, {f.AboutItem, "О программе"},
        {f.EnglishItem, "English"}, {f.RemarkItem, "Комментарий"}, {f.CopyItem, "Копировать"},
        {f.PrintItem, "Печатать"}, {f.CalcItem, "Статистика"},
        {f.MenuItem2, "Read from device Q5-M8"}, {f.MenuItem9, "Open"}, {f.MenuItem10, "Save"},
        {f.MenuItem12, "Clear"}, {f.MenuItem14, "Exit"}, {f.MenuItem17, "About"},
        {f.RussianItem, "Русский"}, {f.MenuItem19, "Comment"}, {f.MenuItem21, "Copy to clipboard"},
        {f.MenuItem22, "Print"}, {f.MenuItem24, "Statistics"},
    };
    for (const auto &[action, text] : items)
        EXPECT_EQ(action->text(), QString::fromUtf8(text)) << text;
    EXPECT_EQ(f.findChild<QAction *>(QStringLiteral("RemarkItem")), f.RemarkItem);
    // the language item is in the "?" menu after a separator
    const QList<QAction *> help = f.AboutItem->associatedObjects().isEmpty()
                                      ? QList<QAction *>()
                                      : qobject_cast<QMenu *>(f.AboutItem->associatedObjects().front())->actions();
    ASSERT_EQ(help.size(), 3);
    EXPECT_TRUE(help[1]->isSeparator());
    EXPECT_EQ(help[2], f.EnglishItem);
}

TEST_F(MainFormTest, FileWithoutDeviceShowsJustTheRoots)
{
    QFile file(Path("plain.osl3"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Other]\r\nx=1\r\n");
    file.close();
    TMainForm &f = Open({QStringLiteral("Ostrel"), Path("plain.osl3")});
    EXPECT_EQ(f.FileCount, 0);
    ASSERT_EQ(f.ResTree->topLevelItemCount(), 2);
    EXPECT_EQ(Root(0)->text(0), "$$$__unknown__$$$");
    EXPECT_EQ(Root(1)->childCount(), 0);
    EXPECT_EQ(f.windowTitle(), QString::fromUtf8("Результаты измерения - ") + Path("plain.osl3"));
}

TEST_F(MainFormTest, AboutShowsTheReadersTexts)
{
    TMainForm &f = Open();
    QStringList seen;
    auto look = [&seen](QDialog &dialog) {
        seen << dialog.windowTitle() << dialog.findChild<QLabel *>(QStringLiteral("Title1Label"))->text()
             << dialog.findChild<QLabel *>(QStringLiteral("Title2Label"))->text()
             << dialog.findChild<QLabel *>(QStringLiteral("VerLabel"))->text();
        return int(QDialog::Accepted);
    };
    dialogs.forms = {look, look};
    f.AboutItemClick();
    f.EnglishItemClick();
    f.MenuItem17->trigger();
    ASSERT_EQ(seen.size(), 8);
    EXPECT_EQ(seen.mid(0, 3), (QStringList{QString::fromUtf8("О программе"),
                                          QString::fromUtf8("Программа работы с результатами измерений"),
                                          QString::fromUtf8("приборов серий  Q5-M8")}));
    EXPECT_EQ(seen.mid(4, 3), (QStringList{QStringLiteral("About"), QStringLiteral("Software for working with measurement"),
                                          QStringLiteral("results of Q5-M8")}));
    EXPECT_TRUE(seen[3].startsWith(QStringLiteral("v.")));
}

} // namespace
