// The language switch, the graph panel and the About dialog.
#include "tests/designer/designer_util.h"
#include "common/aboutform.h"
#include "designer/main_views.h"
#include <QCheckBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

namespace {

using LanguageTest = DesignerTest;

struct TextRow {
    const char *component;
    const char *english;
    const char *russian;
};

const TextRow Texts[] = {
    {"Label5", "Description", "Описание"},
    {"Label9", "Measurement scale", "Шкала измерения"},
    {"Label7", "Approximation scale", "Шкала фппроксимации"},
    {"Label10", "Units", "Единицы"},
    {"Label1", "from", "от"},
    {"Label3", "step", "шаг"},
    {"Label4", "to", "до"},
    {"Label6", "format", "формат"},
    {"Label8", "Max. deviation", "Макс. отклонение"},
    {"IntervalsCheckBox", "Points for programming", "Точки для программирования"},
    {"AddPointButton", "Add", "Добавить"},
    {"DelPointButton", "Delete", "Удалить"},
    {"EditPointButton", "Change", "Изменить"},
    {"BitBtn1", "Exit", "Выход"},
    // Not switched.
    {"Panel1", "порядка", "порядка"},
};

QString TextOf(QObject *o)
{
    if (auto *l = qobject_cast<QLabel *>(o))
        return l->text();
    if (auto *b = qobject_cast<QAbstractButton *>(o))
        return b->text();
    return QStringLiteral("<none>");
}

// At start the window has its own Russian texts; only the switch writes the
// misspelt "фппроксимации".
void ExpectTexts(TMainForm &f, bool english, bool atStart = false)
{
    for (const TextRow &t : Texts) {
        QObject *o = f.findChild<QObject *>(QString::fromLatin1(t.component));
        ASSERT_NE(o, nullptr) << t.component;
        const char *expected = english ? t.english : t.russian;
        if (atStart && qstrcmp(t.component, "Label7") == 0)
            expected = "Шкала аппроксимации";
        EXPECT_EQ(TextOf(o), QString::fromUtf8(expected)) << t.component;
    }
    EXPECT_EQ(f.windowTitle(), QString::fromUtf8(english ? "Scale" : "Шкала"));
    EXPECT_EQ(f.ATypeRadioGroup->title().trimmed(), QString::fromUtf8(english ? "Approximation" : "Аппроксимация"));
    EXPECT_EQ(f.ATypeRadioGroup->Item(0)->text(), QString::fromUtf8(english ? "piecewise linear" : "кусочно-линейная"));
    EXPECT_EQ(f.ATypeRadioGroup->Item(1)->text(), QString::fromUtf8(english ? "polynomial" : "полиномом"));
    EXPECT_EQ(f.Bevel1->title(), QString::fromUtf8(english ? "Table" : "Таблица"));
    EXPECT_EQ(f.OpenDialogFilter, QString::fromUtf8(english ? "Scales files (*.scl3);;All files (*)"
                                                            : "Файлы шкал (*.scl3);;Все файлы (*)"));
    EXPECT_EQ(f.LeftItem->text(), QString::fromUtf8("Слева"));
    EXPECT_EQ(f.TableViewItem->text(), QString::fromUtf8("Таблица"));
    const QList<QAction *> bar = f.menuBar()->actions();
    const QList<QMenu *> &menu = english ? f.MainMenuEng : f.MainMenu;
    ASSERT_EQ(bar.size(), 2);
    EXPECT_EQ(bar[0], menu[0]->menuAction());
    EXPECT_EQ(bar[1], menu[1]->menuAction());
    EXPECT_EQ(bar[0]->text(), QString::fromUtf8(english ? "File" : "Файл"));
    // Qt's own buttons (message boxes, file and print dialogs) follow too.
    QDialogButtonBox qtButtons(QDialogButtonBox::Cancel);
    EXPECT_EQ(qtButtons.button(QDialogButtonBox::Cancel)->text(), QString::fromUtf8(english ? "Cancel" : "Отмена"));
}

TEST_F(LanguageTest, SwitchingChangesEveryListedTextAndKeepsEachMenusStates)
{
    TMainForm &f = Start();
    ExpectTexts(f, false, true);
    f.ATypeRadioGroup->SetItemIndex(1);
    // Each menu keeps its own enabled states.
    f.ProgrammItem->setEnabled(true);
    f.setWindowTitle(QString::fromUtf8("Шкала - /tmp/a.scl3"));
    f.English1->trigger();
    EXPECT_TRUE(English);
    ExpectTexts(f, true);
    EXPECT_FALSE(f.MenuItem12->isEnabled());
    EXPECT_TRUE(f.ProgrammItem->isEnabled());
    EXPECT_EQ(f.ATypeRadioGroup->ItemIndex(), 1) << "the selected item stays selected";
    EXPECT_TRUE(f.ATypeRadioGroup->Item(1)->isChecked());
    f.MenuItem12->setEnabled(true);
    f.ProgrammItem->setEnabled(false);
    f.MenuItem18->trigger();
    EXPECT_FALSE(English);
    ExpectTexts(f, false);
    EXPECT_FALSE(f.ProgrammItem->isEnabled());
    EXPECT_TRUE(f.MenuItem12->isEnabled());
    // The menus survive being swapped off the bar.
    f.English1Click();
    f.English1Click();
    ExpectTexts(f, false);
}

TEST_F(LanguageTest, TheMenusHaveTheirItemsInOrder)
{
    TMainForm &f = Start();
    auto names = [](QMenu *m) {
        QStringList n;
        for (QAction *a : m->actions())
            n << a->objectName();
        return n.join(' ');
    };
    EXPECT_EQ(names(f.N1), "OpenItem SaveItem N3 ClearItem N5 PrintGraphikItem PrintTableItem N4 Scalelist "
                           "N7 ProgrammItem N9 ExitItem");
    EXPECT_EQ(names(f.MenuItem1), "MenuItem2 MenuItem4 MenuItem3 MenuItem6 MenuItem5 MenuItem8 MenuItem9 "
                                  "MenuItem7 MenuItem11 MenuItem10 MenuItem12 MenuItem13 MenuItem14");
    EXPECT_EQ(names(f.N2), "AboutProg N8 English1");
    EXPECT_EQ(names(f.MenuItem15), "MenuItem17 N6 MenuItem18");
    EXPECT_EQ(f.MenuItem12->text(), "Write scale to Q5-M8");
    EXPECT_EQ(f.ProgrammItem->text(), QString::fromUtf8("Записать шкалу в Q5-M8"));
}

TEST_F(LanguageTest, AboutShowsItsTextsInTheLanguageAndTheVersion)
{
    TMainForm &f = Start();
    QStringList seen;
    auto capture = [&](QDialog &d) {
        auto &a = dynamic_cast<TAboutForm &>(d);
        seen = {a.windowTitle(), a.Title1Label->text(), a.Title2Label->text(), a.VerLabel->text()};
        a.Button1->click();
        return a.result();
    };
    dialogs.forms.push_back(capture);
    f.AboutProg->trigger();
    EXPECT_EQ(seen, (QStringList{QString::fromUtf8("О программе"),
                                 QString::fromUtf8("Программа создания аппроксимационных шкал"),
                                 QString::fromUtf8("для приборов серий Q5-M8 версии 1.Х.Х"), "v.3.0.0.0"}));
    EXPECT_TRUE(seen.value(2).endsWith(QString(QChar(0x0425)) + ".Х")) << "the Cyrillic Х";
    f.English1Click();
    dialogs.forms.push_back(capture);
    f.MenuItem17->trigger();
    EXPECT_EQ(seen, (QStringList{"About", "Program for creating appraxial scales",
                                 QString::fromUtf8("of devices of Q5-M8 series version 1.\u0425.\u0425"),
                                 "v.3.0.0.0"}));
    EXPECT_EQ(dialogs.formCount, 2);
}

// Red marker pixels of the graph bitmap: only the programming points draw red.
int RedPixels(const TMainForm &f)
{
    int n = 0;
    const QImage &img = f.Graph->Bitmap;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += (img.pixel(x, y) & 0xFFFFFF) == 0xFF0000;
    return n;
}

TEST_F(LanguageTest, ProgrammingPointsAreDrawnOnlyWhileChecked)
{
    TMainForm &f = Start();
    f.grab(); // the first paint makes the graph
    ASSERT_NE(f.Graph, nullptr);
    EXPECT_EQ(f.Graph->Width, f.GraphWidth());
    f.MinEdit->setText("0");
    f.MaxEdit->setText("100");
    f.MaxErrEdit->setText("0,5");
    Add(0, 0);
    Add(30, 60);
    Add(60, 70);
    Add(100, 100);
    ASSERT_EQ(f.Document.ProgCount, 0);
    EXPECT_EQ(RedPixels(f), 0);
    f.IntervalsCheckBox->setChecked(true);
    ASSERT_GE(f.Document.ProgCount, 4);
    EXPECT_GT(RedPixels(f), 20);
    const QImage shown = f.ClientArea->grab().toImage();
    EXPECT_EQ(shown.pixel(f.GraphOriginX, f.GraphOriginY), f.Graph->Bitmap.pixel(0, 0)) << "blitted at the origin";
    f.IntervalsCheckBox->setChecked(false);
    EXPECT_EQ(RedPixels(f), 0);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(LanguageTest, ThePanelMovesAndTheMemoHides)
{
    TMainForm &f = Start();
    f.grab();
    const int shownWidth = f.MainPanel->width();
    EXPECT_EQ(shownWidth, f.XNameEdit->x() + f.XNameEdit->width() + f.TableMemo->width() + 12);
    EXPECT_EQ(f.GraphOriginX, 1);
    EXPECT_EQ(f.GraphOriginY, f.TopPanel->height() + 1);
    EXPECT_EQ(f.MainPanel->x() + f.MainPanel->width(), f.ClientArea->width());
    f.LeftItem->trigger();
    f.grab();
    EXPECT_EQ(f.MainPanel->x(), 0);
    EXPECT_EQ(f.GraphOriginX, shownWidth + 1);
    f.TableViewItem->trigger();
    EXPECT_FALSE(f.TableViewItem->isChecked());
    EXPECT_TRUE(f.TableMemo->isHidden());
    EXPECT_FALSE(f.TableMemo->isEnabled());
    EXPECT_EQ(f.MainPanel->width(), f.XNameEdit->x() + f.XNameEdit->width() + 8);
    EXPECT_EQ(f.Graph->Width, f.ClientArea->width() - f.MainPanel->width() - 2) << "the graph widens";
    f.grab();
    EXPECT_EQ(f.GraphOriginX, f.MainPanel->width() + 1);
    f.RightItem->trigger();
    f.TableViewItem->trigger();
    EXPECT_TRUE(f.TableViewItem->isChecked());
    EXPECT_FALSE(f.TableMemo->isHidden());
    EXPECT_EQ(f.MainPanel->width(), shownWidth);
    EXPECT_EQ(f.MainPanel->x() + f.MainPanel->width(), f.ClientArea->width());
    // The grid and the memo reach down the panel.
    EXPECT_EQ(f.PointsGrid->height(), f.BottomPanel->y() - f.PointsGrid->y() - 1);
    EXPECT_EQ(f.RowScrollBar->height(), f.PointsGrid->height());
    EXPECT_EQ(f.ScaleEdit->x() + f.ScaleEdit->width(), f.TopPanel->width() - 8);
    EXPECT_EQ(f.RowScrollBar->pageStep(), 10);
}

TEST_F(LanguageTest, AWindowNarrowerThanItsPanelGivesAnEmptyGraph)
{
    TMainForm &f = Start();
    f.grab();
    f.resize(150, 120);
    f.grab();
    EXPECT_EQ(f.GraphWidth(), 0);
    EXPECT_EQ(f.Graph->Width, 0);
    Add(1, 1);
    Add(2, 2);
    f.resize(874, 802);
    f.grab();
    EXPECT_GT(f.Graph->Width, 0);
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.Texts().join('|').toStdString();
}

TEST_F(LanguageTest, TheFirstPaintRecalculatesAndSpeaksOnlyAfterThePaint)
{
    TMainForm &f = Start();
    f.Document.AddPoint(10, 10);
    f.Document.AddPoint(20, 20);
    f.MinEdit->setText("bad");
    f.grab();
    ASSERT_NE(f.Graph, nullptr);
    EXPECT_TRUE(dialogs.messages.empty()) << "no box from inside a paint";
    QCoreApplication::processEvents();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QString::fromUtf8("Недопустимое значение начала диапазона !"));
    f.MinEdit->setText("1");
    f.CalcButtonClick();
    EXPECT_EQ(f.Document.TableCount, 100);
    f.grab();
    QCoreApplication::processEvents();
    EXPECT_EQ(dialogs.messages.size(), 1u) << "only the first paint recalculates";
}

TEST_F(LanguageTest, TheTitleFollowsTheDescription)
{
    TMainForm &f = Start();
    f.ScaleEdit->setText("before");
    f.grab();
    ASSERT_NE(f.Graph, nullptr);
    EXPECT_EQ(f.Graph->Title, "before") << "the first paint takes the title";
    f.Document.Modified = false;
    f.ScaleEdit->setText("after");
    EXPECT_EQ(f.Graph->Title, "after");
    EXPECT_TRUE(f.Document.Modified);
}

} // namespace
