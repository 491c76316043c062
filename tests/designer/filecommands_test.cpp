// The window's scale file commands: open, save, clear, exit and the command
// line, with the save prompt that guards unsaved work.
#include "tests/designer/designer_util.h"
#include "common/numtext.h"
#include "designer/main_views.h"
#include "scale/scalefile.h"
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QKeyEvent>
#include <QTest>

namespace {

class FileCommandsTest : public DesignerTest {
protected:
    QString PathOf(const char *name) const { return files.filePath(QString::fromLatin1(name)); }

    static void WriteFile(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    static QByteArray ReadFile(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // A window with a modified scale of two points.
    TMainForm &Modified()
    {
        TMainForm &f = Start();
        Add(1, 2);
        Add(5, 7);
        f.XNameEdit->setText("x");
        dialogs.Clear();
        EXPECT_TRUE(f.Document.Modified);
        return f;
    }

    const RecordedMessage *FindMessage(const QString &text) const
    {
        for (const RecordedMessage &m : dialogs.messages)
            if (m.text == text)
                return &m;
        return nullptr;
    }

    QTemporaryDir files;
};

// Types text into an edit one character at a time, as the keyboard does.
void Type(QWidget *w, const QString &text)
{
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &release);
    }
}

const QString SavePrompt = QString::fromUtf8("Сохранить шкалу ?");

const char FixtureFile[] = "[File]\r\n"
                           "Handle=44455649434553205343414C45\r\n"
                           "[Scale]\r\n"
                           "About=~Термопара ХА\r\n"
                           "XName=~mV\r\n"
                           "YName=~degC\r\n"
                           "Description=~\xB0\x43\r\n"
                           "ApproType=1\r\n"
                           "PolynomDegree=1\r\n"
                           "TableMin=-10\r\n"
                           "TableMax=250,5\r\n"
                           "TableStep=0,5\r\n"
                           "TablePrecision=1\r\n"
                           "MakeProgPoints=1\r\n"
                           "ProgMaxError=0,25\r\n"
                           "[Points]\r\n"
                           "Count=4\r\n"
                           "X0=30\r\nY0=3\r\n"
                           "X1=10\r\nY1=1\r\n"
                           "X2=20\r\nY2=2\r\n"
                           "X3=10\r\nY3=1,5\r\n";

TEST_F(FileCommandsTest, AnOpenedFileRestoresEveryControlAndFitsTheGraph)
{
    // The fixture's Russian texts in the file's code page.
    QByteArray bytes(FixtureFile);
    bytes.replace(QByteArray("~Термопара ХА"), QByteArray("~\xD2\xE5\xF0\xEC\xEE\xEF\xE0\xF0\xE0 \xD5\xC0"));
    const QString path = PathOf("fixture.scl3");
    WriteFile(path, bytes);
    TMainForm &f = Start();
    dialogs.openPaths.push_back(path);
    f.OpenItemClick();
    EXPECT_EQ(f.windowTitle(), QString::fromUtf8("Шкала - ") + path);
    EXPECT_EQ(f.ScaleEdit->text(), QString::fromUtf8("Термопара ХА"));
    EXPECT_EQ(f.XNameEdit->text(), "mV");
    EXPECT_EQ(f.YNameEdit->text(), "degC");
    EXPECT_EQ(f.DescriptionEdit->text(), QString::fromUtf8("°C"));
    EXPECT_EQ(f.ATypeRadioGroup->ItemIndex(), 1);
    EXPECT_EQ(f.PowerComboBox->currentIndex(), 1);
    EXPECT_EQ(f.MinEdit->text(), "-10");
    EXPECT_EQ(f.MaxEdit->text(), "250,5");
    EXPECT_EQ(f.StepEdit->text(), "0,5");
    EXPECT_EQ(f.ScalePwrComboBox->currentIndex(), 1);
    EXPECT_TRUE(f.IntervalsCheckBox->isChecked());
    EXPECT_EQ(f.MaxErrEdit->text(), "0,25");
    // Sorted by x, equal x in file order.
    EXPECT_EQ(DocPoints(), (std::vector<std::pair<double, double>>{{10, 1}, {10, 1.5}, {20, 2}, {30, 3}}));
    EXPECT_EQ(f.PointsGrid->RowCount(), 4);
    // Recalculated with the loaded inputs, and the graph fitted to the table.
    const ScaleDocument &d = f.Document;
    EXPECT_EQ(d.Degree, 2);
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.Texts().join('|').toStdString();
    EXPECT_GT(d.TableCount, 0);
    EXPECT_EQ(d.GraphXMin, d.TableXMin - 0.1 * (d.TableXMax - d.TableXMin));
    EXPECT_EQ(d.GraphYMax, d.TableYMax + 0.1 * (d.TableYMax - d.TableYMin));
    EXPECT_FALSE(d.Modified);
    EXPECT_TRUE(f.ProgrammItem->isEnabled());
    EXPECT_FALSE(f.MenuItem12->isEnabled()) << "the other menu's item keeps its state";
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_EQ(dialogs.fileRequests[0].filter, QString::fromUtf8("Файлы шкал (*.scl3);;Все файлы (*)"));
    EXPECT_EQ(dialogs.fileRequests[0].defaultSuffix, "scl3");
}

TEST_F(FileCommandsTest, ASavedScaleOpensAsItWas)
{
    TMainForm &f = Modified();
    f.ScaleEdit->setText("  leading blanks");
    f.YNameEdit->setText("y");
    f.DescriptionEdit->setText("mm");
    f.MaxEdit->setText("12,5");
    f.ScalePwrComboBox->setCurrentIndex(2);
    const QString path = PathOf("saved.scl3");
    dialogs.savePaths.push_back(path);
    dialogs.answers.push_back(ui::IdYes); // create the new file
    f.SaveItemClick();
    ASSERT_TRUE(QFile::exists(path));
    EXPECT_EQ(f.windowTitle(), QString::fromUtf8("Шкала - ") + path);
    EXPECT_FALSE(f.Document.Modified);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, path + QString::fromUtf8("\nЭтот файл не существует.\nСоздать файл?"));
    EXPECT_EQ(dialogs.messages[0].flags, ui::MbYesNo | ui::MbIconWarning);
    EXPECT_TRUE(ReadFile(path).contains("TableMax=12,5\r\n"));

    Stop();
    TMainForm &g = Start({path});
    EXPECT_EQ(g.ScaleEdit->text(), "  leading blanks");
    EXPECT_EQ(g.XNameEdit->text(), "x");
    EXPECT_EQ(g.YNameEdit->text(), "y");
    EXPECT_EQ(g.DescriptionEdit->text(), "mm");
    EXPECT_EQ(g.MaxEdit->text(), "12,5");
    EXPECT_EQ(g.ScalePwrComboBox->currentIndex(), 2);
    EXPECT_EQ(DocPoints(), (std::vector<std::pair<double, double>>{{1, 2}, {5, 7}}));
    EXPECT_FALSE(g.Document.Modified);
}

TEST_F(FileCommandsTest, SavingOverAFileAsksNothingMoreAndKeepsForeignKeys)
{
    const QString path = PathOf("over.scl3");
    WriteFile(path, "; a comment\r\n[Other]\r\nKey=1\r\n");
    TMainForm &f = Modified();
    dialogs.savePaths.push_back(path);
    f.SaveItemClick();
    EXPECT_TRUE(dialogs.messages.empty()) << "the overwrite question is the file dialog's";
    const QByteArray saved = ReadFile(path);
    EXPECT_TRUE(saved.contains("; a comment\r\n"));
    EXPECT_TRUE(saved.contains("Key=1\r\n"));
    EXPECT_TRUE(saved.contains("Count=2\r\n"));
}

TEST_F(FileCommandsTest, NoAtTheCreateQuestionAsksForAnotherName)
{
    TMainForm &f = Modified();
    dialogs.savePaths = {PathOf("first.scl3"), PathOf("second.scl3")};
    dialogs.answers = {ui::IdNo, ui::IdYes};
    f.SaveItemClick();
    EXPECT_FALSE(QFile::exists(PathOf("first.scl3")));
    EXPECT_TRUE(QFile::exists(PathOf("second.scl3")));
    ASSERT_EQ(dialogs.fileRequests.size(), 2u);
    EXPECT_EQ(dialogs.fileRequests[1].initialPath, PathOf("first.scl3"));
}

TEST_F(FileCommandsTest, AFailedSaveKeepsTheCaptionAndTheChange)
{
    TMainForm &f = Modified();
    const QString path = PathOf("missing/dir.scl3");
    dialogs.savePaths.push_back(path);
    f.SaveItem->trigger();
    EXPECT_EQ(f.windowTitle(), QString::fromUtf8("Шкала"));
    EXPECT_TRUE(f.Document.Modified);
    ASSERT_FALSE(dialogs.messages.empty());
    EXPECT_EQ(dialogs.messages.back().text, "Unable to write to " + path + ".");
    EXPECT_EQ(dialogs.messages.back().caption, "Scale");
    EXPECT_EQ(dialogs.messages.back().flags, ui::MbOk | ui::MbIconError);
    // A cancelled save dialog writes nothing.
    dialogs.Clear();
    f.SaveItemClick();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(f.Document.Modified);
}

TEST_F(FileCommandsTest, CloseWithUnsavedChanges)
{
    struct Case {
        const char *name;
        std::deque<int> answers;
        bool savePath;   // a file name for the save dialog
        bool badPath;    // one that cannot be written
        bool closes;
    };
    const Case cases[] = {
        {"Cancel", {ui::IdCancel}, false, false, false},
        {"No", {ui::IdNo}, false, false, true},
        {"Yes, save cancelled", {ui::IdYes}, false, false, false},
        {"Yes, save failed", {ui::IdYes, ui::IdYes}, true, true, false},
        {"Yes, saved", {ui::IdYes, ui::IdYes}, true, false, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TMainForm &f = Modified();
        f.show();
        const QString path = c.badPath ? PathOf("missing/close.scl3") : PathOf("close.scl3");
        QFile::remove(path);
        dialogs.answers = c.answers;
        if (c.savePath)
            dialogs.savePaths.push_back(path);
        EXPECT_EQ(f.close(), c.closes);
        ASSERT_FALSE(dialogs.messages.empty());
        EXPECT_EQ(dialogs.messages[0].text, SavePrompt);
        EXPECT_EQ(dialogs.messages[0].caption, QString::fromUtf8("Шкала"));
        EXPECT_EQ(dialogs.messages[0].flags, ui::MbYesNoCancel | ui::MbIconQuestion);
        EXPECT_EQ(f.isVisible(), !c.closes);
        EXPECT_EQ(QFile::exists(path), c.savePath && !c.badPath);
        if (!c.closes) {
            // Everything as it was.
            EXPECT_EQ(DocPoints().size(), 2u);
            EXPECT_EQ(f.XNameEdit->text(), "x");
            EXPECT_TRUE(f.Document.Modified);
            EXPECT_EQ(f.windowTitle(), QString::fromUtf8("Шкала"));
        }
        Stop();
        dialogs.Clear();
    }
}

TEST_F(FileCommandsTest, CloseAndExitWithoutChangesAskNothing)
{
    TMainForm &f = Start();
    f.show();
    f.ExitItemClick();
    EXPECT_FALSE(f.isVisible());
    f.show();
    f.BitBtn1->click();
    EXPECT_FALSE(f.isVisible());
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(FileCommandsTest, TheSavePromptNamesTheOpenFile)
{
    const QString path = PathOf("named.scl3");
    TMainForm &f = Modified();
    dialogs.savePaths.push_back(path);
    dialogs.answers.push_back(ui::IdYes);
    f.SaveItemClick();
    Add(9, 9);
    dialogs.Clear();
    dialogs.answers.push_back(ui::IdCancel);
    EXPECT_FALSE(f.TryClearAll());
    EXPECT_EQ(dialogs.messages[0].caption, QString::fromUtf8("Шкала - ") + path);
    f.English1Click();
    dialogs.answers.push_back(ui::IdCancel);
    EXPECT_FALSE(f.TryClearAll());
    EXPECT_EQ(dialogs.messages[1].text, "Save scale?");
}

TEST_F(FileCommandsTest, ClearAndOpenGoNoFurtherWhenTheSaveIsCancelled)
{
    TMainForm &f = Modified();
    dialogs.answers = {ui::IdYes}; // then the save dialog is cancelled
    f.ClearItemClick();
    EXPECT_EQ(DocPoints().size(), 2u);
    EXPECT_TRUE(f.Document.Modified);
    dialogs.answers = {ui::IdCancel};
    dialogs.openPaths.push_back(PathOf("none.scl3"));
    f.OpenItemClick();
    EXPECT_EQ(dialogs.openPaths.size(), 1u) << "no open dialog";
    EXPECT_EQ(DocPoints().size(), 2u);
}

// What a later caller (the import of a scale) relies on: true only when the
// scale was emptied.
TEST_F(FileCommandsTest, TryClearAllSaysWhetherTheScaleWasEmptied)
{
    struct Case {
        const char *name;
        std::deque<int> answers;
        const char *savePath; // null: the save dialog is cancelled
        bool emptied;
    };
    const Case cases[] = {
        {"No", {ui::IdNo}, nullptr, true},
        {"Cancel", {ui::IdCancel}, nullptr, false},
        {"closed box", {ui::IdOk}, nullptr, false},
        {"Yes, saved", {ui::IdYes, ui::IdYes}, "emptied.scl3", true},
        {"Yes, save failed", {ui::IdYes, ui::IdYes}, "missing/emptied.scl3", false},
        {"Yes, save cancelled", {ui::IdYes}, nullptr, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TMainForm &f = Modified();
        dialogs.answers = c.answers;
        if (c.savePath)
            dialogs.savePaths.push_back(PathOf(c.savePath));
        EXPECT_EQ(f.TryClearAll(), c.emptied);
        EXPECT_EQ(f.Document.PointCount, c.emptied ? 0 : 2);
        EXPECT_EQ(f.Document.Modified, !c.emptied);
        EXPECT_EQ(f.XNameEdit->text(), c.emptied ? "" : "x");
        Stop();
        dialogs.Clear();
    }
}

TEST_F(FileCommandsTest, ClearKeepsUnitsTableSettingsAndRange)
{
    TMainForm &f = Modified();
    f.DescriptionEdit->setText("mm");
    f.ATypeRadioGroup->SetItemIndex(1);
    f.PowerComboBox->setCurrentIndex(1);
    f.MinEdit->setText("-5");
    f.MaxEdit->setText("50");
    f.StepEdit->setText("0,5");
    f.ScalePwrComboBox->setCurrentIndex(2);
    f.IntervalsCheckBox->setChecked(true);
    f.MaxErrEdit->setText("0,1");
    ASSERT_TRUE(f.ApplyGraphRange(-1, 2, -3, 4));
    dialogs.Clear();
    dialogs.answers.push_back(ui::IdNo);
    EXPECT_TRUE(f.TryClearAll());
    EXPECT_EQ(f.Document.PointCount, 0);
    EXPECT_EQ(f.Document.ProgCount, 0);
    EXPECT_EQ(f.DescriptionEdit->text(), "mm");
    EXPECT_EQ(f.ATypeRadioGroup->ItemIndex(), 1);
    EXPECT_EQ(f.PowerComboBox->currentIndex(), 1);
    EXPECT_EQ(f.MinEdit->text(), "-5");
    EXPECT_EQ(f.MaxEdit->text(), "50");
    EXPECT_EQ(f.StepEdit->text(), "0,5");
    EXPECT_EQ(f.ScalePwrComboBox->currentIndex(), 2);
    EXPECT_TRUE(f.IntervalsCheckBox->isChecked());
    EXPECT_EQ(f.MaxErrEdit->text(), "0,1");
    EXPECT_EQ(f.Document.GraphXMin, -1);
    EXPECT_EQ(f.Document.GraphYMax, 4);
    EXPECT_TRUE(f.XNameEdit->text().isEmpty());
    EXPECT_FALSE(f.Document.Modified);
    // Nothing to save now: the next clear asks nothing.
    dialogs.Clear();
    EXPECT_TRUE(f.TryClearAll());
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(FileCommandsTest, TheCommandLineOpensItsFileBeforeTheWindowShows)
{
    const QString path = PathOf("cmd.scl3");
    QByteArray bytes(FixtureFile);
    WriteFile(path, bytes);
    TMainForm &f = Start({path});
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(f.windowTitle(), QString::fromUtf8("Шкала - ") + path);
    EXPECT_EQ(f.Document.PointCount, 4);
    EXPECT_FALSE(f.Document.Modified);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_FALSE(f.ProgrammItem->isEnabled()) << "only the Open command enables writing";
}

TEST_F(FileCommandsTest, AMissingOrForeignFileLeavesTheScaleAsItWas)
{
    const QString missing = PathOf("missing.scl3");
    TMainForm &f = Start({missing});
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QString::fromUtf8("Файл ") + missing + QString::fromUtf8(" не найден !"));
    EXPECT_EQ(dialogs.messages[0].caption, QString::fromUtf8("Открыть"));
    EXPECT_EQ(dialogs.messages[0].flags, ui::MbOk | ui::MbIconError);
    EXPECT_EQ(f.windowTitle(), QString::fromUtf8("Шкала"));
    EXPECT_EQ(f.Document.PointCount, 0);

    // A refused file changes nothing, Modified included.
    const QString foreign = PathOf("foreign.scl3");
    WriteFile(foreign, "[File]\r\nHandle=44455649434553205343414c45\r\n[Points]\r\nCount=1\r\n");
    Add(3, 4);
    f.XNameEdit->setText("keep");
    dialogs.Clear();
    f.English1Click();
    f.DoOpenFile(foreign);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "File " + foreign + " contains no data");
    EXPECT_EQ(dialogs.messages[0].caption, "Open");
    EXPECT_EQ(DocPoints(), (std::vector<std::pair<double, double>>{{3, 4}}));
    EXPECT_EQ(f.XNameEdit->text(), "keep");
    EXPECT_TRUE(f.Document.Modified);
}

TEST_F(FileCommandsTest, OpenEnablesTheWriteItemOfTheCurrentMenuEvenWhenCancelled)
{
    TMainForm &f = Start();
    f.English1Click();
    f.OpenItemClick(); // the dialog is cancelled
    EXPECT_TRUE(f.MenuItem12->isEnabled());
    EXPECT_FALSE(f.ProgrammItem->isEnabled());
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_EQ(dialogs.fileRequests[0].filter, "Scales files (*.scl3);;All files (*)");
    EXPECT_EQ(dialogs.fileRequests[0].title, "");
}

TEST_F(FileCommandsTest, TheFileTextEditsRefuseWhatTheFileCannotHold)
{
    TMainForm &f = Start();
    struct Edit {
        QLineEdit *edit;
        int limit;
    };
    for (const Edit &e : {Edit{f.ScaleEdit, MaxAboutLength}, Edit{f.XNameEdit, MaxNameLength},
                          Edit{f.YNameEdit, MaxNameLength}, Edit{f.DescriptionEdit, MaxUnitsLength}}) {
        SCOPED_TRACE(e.edit->objectName().toStdString());
        e.edit->clear();
        e.edit->setFocus();
        Type(e.edit, QString::fromUtf8("Жa\u4E2D"));
        EXPECT_EQ(e.edit->text(), QString::fromUtf8("Жa")) << "a character outside the code page is refused";
        e.edit->insert(QStringLiteral("b\nc"));
        e.edit->insert(QString(QChar(0)));
        e.edit->insert(QStringLiteral("\r"));
        EXPECT_EQ(e.edit->text(), QString::fromUtf8("Жa"));
        e.edit->clear();
        Type(e.edit, QString(e.limit + 3, QChar(0x0416)));
        EXPECT_EQ(e.edit->text(), QString(e.limit, QChar(0x0416))) << "the limit in file characters";
    }
}

} // namespace
