// Points added, changed and deleted through the grid, the buttons and the
// real point dialog; the table memo and the parse failures of the table
// fields.
#include "tests/designer/designer_util.h"
#include "common/numtext.h"
#include "designer/main_views.h"
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QScrollBar>
#include <QPainter>
#include <QTest>
#include <algorithm>

namespace {

using Points = std::vector<std::pair<double, double>>;

class PointsTest : public DesignerTest {
protected:
    void SetUp() override { Start(); }
};

TEST_F(PointsTest, AddedPointsLandInXOrderWithTheRowOnTheNewOne)
{
    TMainForm &f = *form;
    Add(5, 50);
    EXPECT_EQ(f.PointsGrid->Row(), 0);
    Add(1, 10);
    EXPECT_EQ(f.PointsGrid->Row(), 0);
    Add(3, 30);
    EXPECT_EQ(DocPoints(), (Points{{1, 10}, {3, 30}, {5, 50}}));
    EXPECT_EQ(f.PointsGrid->Row(), 1);
    EXPECT_EQ(f.RowScrollBar->maximum(), 2);
    EXPECT_EQ(f.RowScrollBar->value(), 1);
    EXPECT_EQ(f.PointsGrid->RowCount(), 3);
    EXPECT_TRUE(f.Document.Modified);
    EXPECT_TRUE(f.ProgrammItem->isEnabled());
    EXPECT_TRUE(f.MenuItem12->isEnabled());
    // The dialog was asked with the add caption and zero values.
    EXPECT_EQ(f.EditPointForm->windowTitle(), QString::fromUtf8("Добавить точку"));

    // An equal x goes after the point that has it.
    Add(3, 31);
    EXPECT_EQ(DocPoints(), (Points{{1, 10}, {3, 30}, {3, 31}, {5, 50}}));
    EXPECT_EQ(f.PointsGrid->Row(), 2);
    // The table follows: piecewise over 1 .. 100.
    EXPECT_GT(f.Document.TableCount, 0);
    EXPECT_EQ(f.TableMemoModel->rowCount(), f.Document.TableCount);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(PointsTest, TheGridShowsTheDocument)
{
    TMainForm &f = *form;
    EXPECT_EQ(f.PointsGrid->RowCount(), 1) << "one white row without points";
    EXPECT_FALSE(f.PointsModel->index(0, 0).data().isValid());
    Add(2.5, -1e20);
    EXPECT_EQ(f.PointsModel->index(0, 0).data().toString(), "2,5");
    EXPECT_EQ(f.PointsModel->index(0, 1).data().toString(), "-1E20");
    // The selected row is navy with white text.
    QImage cell(102, 24, QImage::Format_RGB32);
    QPainter p(&cell);
    f.PointsGridDrawCell(p, 0, 0, cell.rect(), true);
    p.end();
    EXPECT_EQ(cell.pixel(1, 1), qRgb(0, 0, 128));
    bool white = false;
    for (int x = 60; x < 100 && !white; ++x)
        for (int y = 4; y < 20 && !white; ++y)
            white = cell.pixel(x, y) == qRgb(255, 255, 255);
    EXPECT_TRUE(white);
}

TEST_F(PointsTest, AValueWiderThanItsCellStaysInsideIt)
{
    TMainForm &f = *form;
    Add(-1.23456789012345e-300, 1.79769313486231e308);
    // The cell in the middle of a wider picture: nothing may reach the
    // neighbouring cells, selected or not.
    for (const bool selected : {false, true}) {
        SCOPED_TRACE(selected);
        QImage image(3 * 102, 24, QImage::Format_RGB32);
        image.fill(qRgb(0, 255, 0));
        const QRect cell(102, 0, 102, 24);
        QPainter p(&image);
        p.setFont(f.PointsGrid->font());
        ASSERT_GT(QFontMetrics(p.font()).horizontalAdvance(f.PointsModel->index(0, 1).data().toString()), cell.width());
        f.PointsGridDrawCell(p, 1, 0, cell, selected);
        p.end();
        int outside = 0, ink = 0;
        const QRgb background = selected ? qRgb(0, 0, 128) : qRgb(255, 255, 255);
        for (int x = 0; x < image.width(); ++x)
            for (int y = 0; y < image.height(); ++y) {
                if (!cell.contains(x, y))
                    outside += image.pixel(x, y) != qRgb(0, 255, 0);
                else
                    ink += image.pixel(x, y) != background;
            }
        EXPECT_EQ(outside, 0);
        EXPECT_GT(ink, 0) << "the right end of the text shows";
    }
}

TEST_F(PointsTest, ChangingMovesThePointAndTheRowFollows)
{
    TMainForm &f = *form;
    Add(1, 10);
    Add(3, 30);
    Add(5, 50);
    f.PointsGrid->SetRow(0);
    EXPECT_EQ(f.RowScrollBar->value(), 0);
    AnswerPoint("4", "40");
    f.EditPointButtonClick();
    EXPECT_EQ(f.EditPointForm->windowTitle(), QString::fromUtf8("Изменить точку"));
    EXPECT_EQ(DocPoints(), (Points{{3, 30}, {4, 40}, {5, 50}}));
    EXPECT_EQ(f.PointsGrid->Row(), 1);
    EXPECT_EQ(f.RowScrollBar->value(), 1);

    // The dialog opens on the point's values; Cancel changes nothing.
    QString shownX;
    dialogs.forms.push_back([&](QDialog &d) {
        shownX = dynamic_cast<TEditPointForm &>(d).XValueEdit->text();
        return 0;
    });
    f.Document.Modified = false;
    f.EditPointButtonClick();
    EXPECT_EQ(shownX, "4");
    EXPECT_EQ(DocPoints(), (Points{{3, 30}, {4, 40}, {5, 50}}));
    EXPECT_FALSE(f.Document.Modified);
}

TEST_F(PointsTest, TheFiftyFirstAddOpensNothing)
{
    TMainForm &f = *form;
    for (int i = 0; i < MaxPoints; ++i)
        Add(i, i);
    const int opened = dialogs.formCount;
    f.AddPointButtonClick();
    EXPECT_EQ(dialogs.formCount, opened);
    EXPECT_EQ(f.Document.PointCount, MaxPoints);
    EXPECT_TRUE(dialogs.messages.empty());
}

struct BadValue {
    const char *name;
    bool english;
    const char *x, *y;
    const char *text, *caption;
    bool focusX;
};

void PrintTo(const BadValue &c, std::ostream *os) { *os << c.name; }

class PointDialogRefuses : public DesignerTest, public ::testing::WithParamInterface<BadValue> {};

TEST_P(PointDialogRefuses, AnInvalidValueKeepsTheDialogOpen)
{
    const BadValue &c = GetParam();
    TMainForm &f = Start();
    English = c.english;
    bool stayedOpen = false;
    QWidget *focus = nullptr;
    dialogs.forms.push_back([&](QDialog &d) {
        auto &p = dynamic_cast<TEditPointForm &>(d);
        p.setResult(0);
        p.XValueEdit->setText(QString::fromUtf8(c.x));
        p.YValueEdit->setText(QString::fromUtf8(c.y));
        p.Button1->click();
        stayedOpen = p.result() != QDialog::Accepted;
        focus = p.focusWidget();
        p.XValueEdit->setText("7");
        p.YValueEdit->setText("70");
        p.Button1->click();
        return p.result();
    });
    f.AddPointButtonClick();
    EXPECT_TRUE(stayedOpen);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QString::fromUtf8(c.text));
    EXPECT_EQ(dialogs.messages[0].caption, QString::fromUtf8(c.caption));
    EXPECT_EQ(dialogs.messages[0].flags, ui::MbOk | ui::MbIconError);
    EXPECT_EQ(focus, c.focusX ? static_cast<QWidget *>(f.EditPointForm->XValueEdit) : f.EditPointForm->YValueEdit);
    EXPECT_EQ(DocPoints(), (Points{{7, 70}})) << "the corrected values are taken";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PointDialogRefuses,
    ::testing::Values(
        BadValue{"RussianX", false, "abc", "1", "Недопустимое значение истинного значения !", "Добавить точку", true},
        BadValue{"RussianY", false, "1", "1.5", "Недопустимое значение аппроксимационного значения !",
                 "Добавить точку", false},
        BadValue{"EnglishX", true, "", "1", "Wrong real value!", "Add point", true},
        BadValue{"EnglishY", true, "2", "x", "Wrong approximation value!", "Add point", false}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(PointsTest, ThePointDialogSpeaksTheCurrentLanguage)
{
    TMainForm &f = *form;
    QStringList seen;
    auto capture = [&](QDialog &d) {
        auto &p = dynamic_cast<TEditPointForm &>(d);
        seen = QStringList{p.windowTitle(), p.Label1->text(), p.Label2->text(), p.Button1->text(),
                           p.Button2->text(), p.XValueEdit->text(), p.XValueEdit->selectedText()};
        return 0;
    };
    dialogs.forms.push_back(capture);
    f.AddPointButtonClick();
    EXPECT_EQ(seen, (QStringList{QString::fromUtf8("Добавить точку"), QString::fromUtf8("Истинное значение"),
                                 QString::fromUtf8("Аппроксимационное значение"), "OK",
                                 QString::fromUtf8("Отмена"), "0", "0"}));
    Add(1.5, 2);
    English = true;
    dialogs.forms.push_back(capture);
    f.EditPointButtonClick();
    EXPECT_EQ(seen, (QStringList{"Change point", "Real value", "Approximation value", "OK", "Cancel", "1,5", "1,5"}));
    EXPECT_EQ(DocPoints(), (Points{{1.5, 2}})) << "cancelled";
}

TEST_F(PointsTest, DeleteAsksAndNoKeepsThePoint)
{
    TMainForm &f = *form;
    Add(1, 10);
    Add(2.5, 20);
    Add(3, 30);
    f.PointsGrid->SetRow(1);
    f.Document.Modified = false;
    dialogs.answers.push_back(ui::IdNo);
    f.DelPointButtonClick();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QString::fromUtf8("Удалить точку 2,5, 20 ?"));
    EXPECT_EQ(dialogs.messages[0].caption, QString::fromUtf8("Удалить"));
    EXPECT_EQ(dialogs.messages[0].flags, ui::MbYesNo | ui::MbIconQuestion);
    EXPECT_EQ(f.Document.PointCount, 3);
    EXPECT_FALSE(f.Document.Modified);

    English = true;
    dialogs.answers.push_back(ui::IdYes);
    f.DelPointButtonClick();
    EXPECT_EQ(dialogs.messages.back().text, "Delete point 2,5, 20 ?");
    EXPECT_EQ(dialogs.messages.back().caption, "Delete");
    EXPECT_EQ(DocPoints(), (Points{{1, 10}, {3, 30}}));
    EXPECT_EQ(f.PointsGrid->Row(), 1);
    EXPECT_EQ(f.RowScrollBar->maximum(), 1);
    EXPECT_TRUE(f.Document.Modified);
}

TEST_F(PointsTest, DeletingTheLastPointLeavesOneWhiteRowAndNoTable)
{
    TMainForm &f = *form;
    Add(1, 1);
    Add(10, 10);
    ASSERT_GT(f.Document.TableCount, 0);
    f.DelPointButtonClick();
    f.DelPointButtonClick();
    EXPECT_EQ(f.Document.PointCount, 0);
    EXPECT_EQ(f.PointsGrid->RowCount(), 1);
    EXPECT_EQ(f.RowScrollBar->maximum(), 0);
    EXPECT_EQ(f.Document.TableCount, 0);
    EXPECT_EQ(f.TableMemoModel->rowCount(), 0);
    EXPECT_TRUE(f.Document.Modified);
    EXPECT_TRUE(f.ProgrammItem->isEnabled()) << "stays enabled";
    QImage cell(102, 24, QImage::Format_RGB32);
    QPainter p(&cell);
    f.PointsGridDrawCell(p, 0, 0, cell.rect(), true);
    p.end();
    EXPECT_EQ(cell.pixel(50, 12), qRgb(255, 255, 255));
    // Without points the commands do nothing.
    const int opened = dialogs.formCount;
    f.DelPointButtonClick();
    f.EditPointButtonClick();
    EXPECT_EQ(dialogs.formCount, opened);
    EXPECT_EQ(dialogs.messages.size(), 2u);
}

TEST_F(PointsTest, GridKeysAreTheThreeCommandsAndNothingElse)
{
    TMainForm &f = *form;
    AnswerPoint("4", "40");
    QTest::keyClick(f.PointsGrid, Qt::Key_Insert);
    EXPECT_EQ(DocPoints(), (Points{{4, 40}}));
    AnswerPoint("6", "60");
    QTest::keyClick(f.PointsGrid, Qt::Key_F2);
    EXPECT_EQ(DocPoints(), (Points{{6, 60}}));
    EXPECT_EQ(dialogs.formCount, 2);
    QTest::keyClick(f.PointsGrid, Qt::Key_Delete);
    EXPECT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(f.Document.PointCount, 0);
    QTest::keyClick(f.PointsGrid, Qt::Key_Down);
    QTest::keyClick(f.PointsGrid, Qt::Key_A);
    EXPECT_EQ(dialogs.formCount, 2);
    EXPECT_EQ(dialogs.messages.size(), 1u);
}

TEST_F(PointsTest, ADoubleClickAnywhereOnTheGridChangesTheCurrentPoint)
{
    TMainForm &f = *form;
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(f.windowHandle()));
    Add(1, 10);
    Add(3, 30);
    Add(5, 50);
    f.PointsGrid->SetRow(1);
    QWidget *cells = f.PointsGrid->viewport();
    const QPoint belowLast(40, 3 * 24 + 30);
    ASSERT_LT(belowLast.y(), cells->height());
    ASSERT_FALSE(f.PointsGrid->indexAt(belowLast).isValid()) << "the empty part of the grid";
    const int opened = dialogs.formCount;

    // A click there keeps the current row; a double click changes its point.
    QTest::mouseClick(cells, Qt::LeftButton, {}, belowLast);
    EXPECT_EQ(f.PointsGrid->Row(), 1);
    AnswerPoint("4", "40");
    QTest::mouseDClick(cells, Qt::LeftButton, {}, belowLast);
    EXPECT_EQ(dialogs.formCount, opened + 1);
    EXPECT_EQ(f.EditPointForm->windowTitle(), QString::fromUtf8("Изменить точку"));
    EXPECT_EQ(DocPoints(), (Points{{1, 10}, {4, 40}, {5, 50}}));

    // On a row, that row's point.
    AnswerPoint("0", "5");
    QTest::mouseDClick(cells, Qt::LeftButton, {}, f.PointsGrid->visualRect(f.PointsModel->index(2, 1)).center());
    EXPECT_EQ(dialogs.formCount, opened + 2);
    EXPECT_EQ(DocPoints(), (Points{{0, 5}, {1, 10}, {4, 40}}));

    // Only the left button's double click is the grid's.
    QTest::mouseDClick(cells, Qt::RightButton, {}, belowLast);
    EXPECT_EQ(dialogs.formCount, opened + 2);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(PointsTest, EnterInEachTableEditRecalculates)
{
    TMainForm &f = *form;
    Add(10, 10);
    Add(20, 20);
    ASSERT_EQ(f.Document.TableCount, 100);
    for (QLineEdit *edit : {f.MinEdit, f.MaxEdit, f.StepEdit, f.MaxErrEdit}) {
        f.MaxEdit->setText("50");
        f.Document.Modified = false;
        QTest::keyClick(edit, Qt::Key_Home); // typing alone recalculates nothing
        EXPECT_EQ(f.Document.TableCount, 100);
        EXPECT_FALSE(f.Document.Modified);
        QTest::keyClick(edit, Qt::Key_Return);
        EXPECT_EQ(f.Document.TableCount, 50) << edit->objectName().toStdString();
        EXPECT_TRUE(f.Document.Modified);
        f.MaxEdit->setText("100");
        QTest::keyClick(edit, Qt::Key_Enter);
        EXPECT_EQ(f.Document.TableCount, 100) << edit->objectName().toStdString();
    }
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(PointsTest, ParameterControlsRecalculateAndMarkTheScale)
{
    TMainForm &f = *form;
    Add(0, 0);
    Add(2, 4);
    Add(4, 16);
    f.MinEdit->setText("0");
    f.MaxEdit->setText("16");
    f.Document.Modified = false;
    f.ScalePwrComboBox->setCurrentIndex(2);
    EXPECT_TRUE(f.Document.Modified);
    EXPECT_EQ(f.TableMemoModel->RowText(1), "    1  2.00");
    f.Document.Modified = false;
    f.ATypeRadioGroup->SetItemIndex(1);
    f.PowerComboBox->setCurrentIndex(1);
    EXPECT_TRUE(f.Document.Modified);
    const auto &tx = f.Document.TableX;
    const auto one = std::find(tx.begin(), tx.end(), 1.0);
    ASSERT_NE(one, tx.end());
    EXPECT_EQ(f.TableMemoModel->RowText(int(one - tx.begin())), "    1  1.00") << "the parabola through the points";
    f.Document.Modified = false;
    f.IntervalsCheckBox->setChecked(true);
    EXPECT_TRUE(f.Document.Modified);
    EXPECT_GT(f.Document.ProgCount, 1);
}

TEST_F(PointsTest, TheMemoCopiesTheSelectedRows)
{
    TMainForm &f = *form;
    Add(10, 10);
    Add(20, 20);
    f.TableMemo->selectionModel()->select(
        QItemSelection(f.TableMemoModel->index(2), f.TableMemoModel->index(3)), QItemSelectionModel::Select);
    f.TableMemo->selectionModel()->select(QItemSelection(f.TableMemoModel->index(0), f.TableMemoModel->index(0)),
                                          QItemSelectionModel::Select);
    EXPECT_EQ(f.TableMemo->SelectedText(), "    1  1\n    3  3\n    4  4\n");
    QTest::keySequence(f.TableMemo, QKeySequence::Copy);
    EXPECT_EQ(QApplication::clipboard()->text(), "    1  1\n    3  3\n    4  4\n");
}

TEST_F(PointsTest, UnitsNamesAndDescriptionAreChangesOfTheScale)
{
    TMainForm &f = *form;
    for (QLineEdit *edit : {f.DescriptionEdit, f.XNameEdit, f.YNameEdit, f.ScaleEdit}) {
        f.Document.Modified = false;
        edit->setText("mV");
        EXPECT_TRUE(f.Document.Modified) << edit->objectName().toStdString();
    }
    EXPECT_EQ(f.Document.UnitsText, "mV");
    EXPECT_EQ(f.Document.XNameText, "mV");
    EXPECT_EQ(f.Document.AboutText, "mV");
    EXPECT_EQ(f.DescriptionEdit->maxLength(), MaxUnitsLength);
    EXPECT_EQ(f.XNameEdit->maxLength(), MaxNameLength);
    EXPECT_EQ(f.ScaleEdit->maxLength(), MaxAboutLength);
}

TEST_F(PointsTest, ClearEmptiesTheScaleButKeepsTheUnitsAndInputs)
{
    TMainForm &f = *form;
    Add(1, 1);
    Add(10, 10);
    f.ScaleEdit->setText("scale");
    f.XNameEdit->setText("x");
    f.DescriptionEdit->setText("mm");
    dialogs.answers.push_back(ui::IdNo); // not saved
    f.ClearItemClick();
    EXPECT_EQ(f.Document.PointCount, 0);
    EXPECT_EQ(f.Document.TableCount, 0);
    EXPECT_EQ(f.TableMemoModel->rowCount(), 0);
    EXPECT_EQ(f.PointsGrid->RowCount(), 1);
    EXPECT_TRUE(f.ScaleEdit->text().isEmpty());
    EXPECT_TRUE(f.XNameEdit->text().isEmpty());
    EXPECT_EQ(f.DescriptionEdit->text(), "mm");
    EXPECT_FALSE(f.Document.Modified);
    EXPECT_EQ(f.windowTitle(), QString::fromUtf8("Шкала"));
}

struct FieldCase {
    const char *name;
    bool english;
    const char *field;
    const char *text;
    const char *message;
    const char *caption;
};

void PrintTo(const FieldCase &c, std::ostream *os) { *os << c.name; }

class TableFieldRefused : public DesignerTest, public ::testing::WithParamInterface<FieldCase> {};

TEST_P(TableFieldRefused, ShowsItsMessageAndFocusesTheField)
{
    const FieldCase &c = GetParam();
    TMainForm &f = Start();
    Add(10, 10);
    Add(20, 20);
    ASSERT_GT(f.Document.TableCount, 0);
    English = c.english;
    auto *edit = f.findChild<QLineEdit *>(QString::fromLatin1(c.field));
    ASSERT_NE(edit, nullptr);
    edit->setText(QString::fromUtf8(c.text));
    QTest::keyClick(edit, Qt::Key_Return);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QString::fromUtf8(c.message));
    EXPECT_EQ(dialogs.messages[0].caption, QString::fromUtf8(c.caption));
    EXPECT_EQ(dialogs.messages[0].flags, ui::MbOk | ui::MbIconError);
    EXPECT_EQ(f.focusWidget(), edit);
    EXPECT_EQ(f.Document.TableCount, 0);
    EXPECT_EQ(f.TableMemoModel->rowCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TableFieldRefused,
    ::testing::Values(
        FieldCase{"MinRussian", false, "MinEdit", "a", "Недопустимое значение начала диапазона !", "Таблица"},
        FieldCase{"MaxRussian", false, "MaxEdit", "1.5", "Недопустимое значение окончания диапазона !", "Таблица"},
        FieldCase{"StepRussian", false, "StepEdit", "0,0005", "Недопустимое значение шага таблицы !", "Таблица"},
        FieldCase{"MaxErrRussian", false, "MaxErrEdit", "", "Недопустимое значение максимального отклонения !",
                  "Интервалы"},
        FieldCase{"MinEnglish", true, "MinEdit", "x", "Invalid range start value", "Table"},
        FieldCase{"MaxEnglish", true, "MaxEdit", "", "Invalid range end value", "Table"},
        FieldCase{"StepEnglish", true, "StepEdit", "s", "Invalid value of table step", "Table"},
        FieldCase{"MaxErrEnglish", true, "MaxErrEdit", "?", "Invalid value max deviation !", "Intervals"}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
