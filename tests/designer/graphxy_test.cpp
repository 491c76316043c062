#include "tests/support/designer_locale.h"
#include "common/dialogs.h"
#include "common/lang.h"
#include "common/numtext.h"
#include "designer/graphxy.h"
#include "tests/support/recording_dialogs.h"
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <functional>

namespace {

class NetSizeFormTest : public DesignerLocaleTest {
protected:

    // Queues one run of the form: drive fills it and clicks; the form's own
    // result is what the run gives back.
    void Drive(std::function<void(TNetSizeForm &)> drive)
    {
        dialogs.forms.push_back([drive](QDialog &d) {
            drive(static_cast<TNetSizeForm &>(d));
            return d.result();
        });
    }

    RecordingDialogs dialogs;
    TNetSizeForm form;
};

struct Range {
    double xMin, xMax, yMin, yMax;
};

// The refusal of each field, in the dialog's order.
QStringList FieldMessages(bool english)
{
    if (english)
        return {"Wrong minimum axis X value!", "Wrong maximum axis X value!", "Wrong minimum axis Y value!",
                "Wrong maximum axis Y value!"};
    return {QString::fromUtf8("Недопустимое минимальное значение по оси \u0425 !"),
            QString::fromUtf8("Недопустимое максимальное значение по оси \u0425 !"),
            QString::fromUtf8("Недопустимое минимальное значение по оси Y !"),
            QString::fromUtf8("Недопустимое максимальное значение по оси Y !")};
}

} // namespace

TEST_F(NetSizeFormTest, ShowsTheRangeWithCommaAndCaptionsInBothLanguages)
{
    for (bool english : {false, true}) {
        English = english;
        QStringList shown;
        QStringList labels;
        Drive([&](TNetSizeForm &f) {
            shown << f.windowTitle() << f.MinXEdit->text() << f.MaxXEdit->text() << f.MinYEdit->text()
                  << f.MaxYEdit->text();
            labels << f.Label2->text() << f.Label1->text() << f.Label4->text() << f.Label3->text()
                   << f.OkButton->text() << f.BitBtn2->text();
        });
        double a = 1.5, b = 1234.56789, c = -0.0004, d = -2.25;
        EXPECT_FALSE(form.Execute(a, b, c, d));
        EXPECT_EQ(shown.mid(1), QStringList({"1,5", "1234,568", "0", "-2,25"}));
        if (!english) {
            EXPECT_EQ(shown[0], QString::fromUtf8("Размер графика"));
            EXPECT_EQ(labels, QStringList({QString::fromUtf8("Минимальное значение оси X"),
                                           QString::fromUtf8("Максимальное значение оси X"),
                                           QString::fromUtf8("Минимальное значение оси Y"),
                                           QString::fromUtf8("Максимальное значение оси Y"), "OK",
                                           QString::fromUtf8("Отмена")}));
        } else {
            EXPECT_EQ(shown[0], "Graph size");
            EXPECT_EQ(labels, QStringList({"Minimum axis X value", "Maximum axis X value", "Minimum axis Y value",
                                           "Maximum axis Y value", "OK", "Cancel"}));
        }
    }
    EXPECT_EQ(form.objectName(), "NetSizeForm");
    EXPECT_TRUE(form.OkButton->isDefault());
    EXPECT_EQ(dialogs.formCount, 2);
}

TEST_F(NetSizeFormTest, UntouchedEditsKeepTheirValuesExactly)
{
    // A finely zoomed range reads "0" in all four edits.
    Range r{0.000123456789, 0.000234567891, -0.0000987654321, 0.0004999};
    Drive([](TNetSizeForm &f) { f.OkButton->click(); });
    Range in = r;
    ASSERT_TRUE(form.Execute(in.xMin, in.xMax, in.yMin, in.yMax));
    EXPECT_EQ(in.xMin, r.xMin);
    EXPECT_EQ(in.xMax, r.xMax);
    EXPECT_EQ(in.yMin, r.yMin);
    EXPECT_EQ(in.yMax, r.yMax);

    // A typed edit is read with ','; the others stay exact.
    Drive([](TNetSizeForm &f) {
        f.MaxXEdit->setText("1,5");
        f.MinYEdit->setText(" -2,25E1");
        f.OkButton->click();
    });
    ASSERT_TRUE(form.Execute(in.xMin, in.xMax, in.yMin, in.yMax));
    EXPECT_EQ(in.xMin, r.xMin);
    EXPECT_EQ(in.xMax, 1.5);
    EXPECT_EQ(in.yMin, -22.5);
    EXPECT_EQ(in.yMax, r.yMax);
    EXPECT_TRUE(dialogs.messages.empty());

    // Each run shows the values it is given, not the last texts.
    QString shown;
    Drive([&](TNetSizeForm &f) {
        shown = f.MaxXEdit->text();
        f.OkButton->click();
    });
    double a = 0, b = 7, c = 0, d = 1;
    ASSERT_TRUE(form.Execute(a, b, c, d));
    EXPECT_EQ(shown, "7");
    EXPECT_EQ(b, 7.0);
}

TEST_F(NetSizeFormTest, CancelAndEscapeChangeNothing)
{
    Drive([](TNetSizeForm &f) {
        f.MinXEdit->setText("5");
        f.BitBtn2->click();
    });
    Drive([](TNetSizeForm &f) {
        f.MinXEdit->setText("5");
        f.show();
        QTest::keyClick(f.MinXEdit, Qt::Key_Escape);
    });
    for (int run = 0; run < 2; ++run) {
        double a = 1, b = 2, c = 3, d = 4;
        EXPECT_FALSE(form.Execute(a, b, c, d));
        EXPECT_EQ(a, 1.0);
        EXPECT_EQ(b, 2.0);
        EXPECT_EQ(c, 3.0);
        EXPECT_EQ(d, 4.0);
    }
    EXPECT_FALSE(form.isVisible());
}

TEST_F(NetSizeFormTest, EachBadFieldGetsItsOwnMessageAndTheDialogStaysOpen)
{
    struct Case {
        int field; // 0 MinX, 1 MaxX, 2 MinY, 3 MaxY
        const char *text;
        const char *russian;
        const char *english;
    };
    const Case cases[] = {
        {0, "abc", "Недопустимое минимальное значение по оси \u0425 !", "Wrong minimum axis X value!"},
        {1, "1.5", "Недопустимое максимальное значение по оси \u0425 !", "Wrong maximum axis X value!"},
        {2, "", "Недопустимое минимальное значение по оси Y !", "Wrong minimum axis Y value!"},
        {3, "1E309", "Недопустимое максимальное значение по оси Y !", "Wrong maximum axis Y value!"},
        {0, "INF", "Недопустимое минимальное значение по оси \u0425 !", "Wrong minimum axis X value!"},
        {2, "nan", "Недопустимое минимальное значение по оси Y !", "Wrong minimum axis Y value!"},
        {1, "-1E309", "Недопустимое максимальное значение по оси \u0425 !", "Wrong maximum axis X value!"},
    };
    for (const Case &c : cases) {
        for (bool english : {false, true}) {
            SCOPED_TRACE(std::string(c.text) + (english ? " en" : " ru"));
            English = english;
            dialogs.Clear();
            bool acceptedAtFirst = true;
            Drive([&](TNetSizeForm &f) {
                QLineEdit *edits[] = {f.MinXEdit, f.MaxXEdit, f.MinYEdit, f.MaxYEdit};
                edits[c.field]->setText(QString::fromUtf8(c.text));
                f.OkButton->click();
                acceptedAtFirst = f.result() == QDialog::Accepted;
                edits[c.field]->setText("9"); // mended, then OK again
                f.OkButton->click();
            });
            double v[4] = {1, 2, 3, 4};
            ASSERT_TRUE(form.Execute(v[0], v[1], v[2], v[3]));
            EXPECT_FALSE(acceptedAtFirst);
            ASSERT_EQ(dialogs.messages.size(), 1u);
            const RecordedMessage &m = dialogs.messages[0];
            EXPECT_EQ(m.text, QString::fromUtf8(english ? c.english : c.russian));
            EXPECT_EQ(m.caption, english ? QString("Graph size") : QString::fromUtf8("Размер графика"));
            EXPECT_EQ(m.flags, unsigned(ui::MbOk | ui::MbIconError));
            EXPECT_EQ(v[c.field], 9.0);
        }
    }
    // The x messages write the Cyrillic letter, the labels the Latin one.
    English = false;
    dialogs.Clear();
    Drive([](TNetSizeForm &f) {
        f.MinXEdit->setText("x");
        f.MaxYEdit->setText("x");
        f.OkButton->click();
    });
    double a = 0, b = 1, c = 0, d = 1;
    EXPECT_FALSE(form.Execute(a, b, c, d));
    ASSERT_EQ(dialogs.messages.size(), 1u) << "only the first bad field is reported";
    EXPECT_TRUE(dialogs.messages[0].text.contains(QChar(0x0425)));
    EXPECT_FALSE(dialogs.messages[0].text.contains(u'X'));
    EXPECT_TRUE(form.Label2->text().endsWith(u'X'));
}

TEST_F(NetSizeFormTest, ARangeTheGraphCannotDrawIsRefusedAtTheFieldAtFault)
{
    // The four edits typed (null: left as shown) over a shown range, and the
    // field whose message comes (-1: taken).
    struct Case {
        const char *name;
        Range shown;
        const char *typed[4];
        int field;
    };
    const Case cases[] = {
        {"a span too small to draw", {0, 100, 0, 100}, {nullptr, "1E-310", nullptr, nullptr}, 1},
        {"both ends typed, the tiny maximum", {21.11, 149.376, 0, 100}, {"0", "1E-310", nullptr, nullptr}, 1},
        {"both ends typed, the tiny minimum", {21.11, 149.376, 0, 100}, {"-1E-310", "0", nullptr, nullptr}, 0},
        {"both beyond each other, the larger maximum", {0, 1, 0, 1}, {"-1E308", "1,5E308", nullptr, nullptr}, 1},
        {"an untouched minimum is not at fault", {-1.5e308, 0, 0, 1}, {nullptr, "1E308", nullptr, nullptr}, 1},
        {"both ends beyond each other", {0, 1, 0, 1}, {"-1E308", "1E308", nullptr, nullptr}, 0},
        {"the minimum alone", {0, 1e308, 0, 1}, {"-1E308", nullptr, nullptr, nullptr}, 0},
        {"the maximum alone", {-1e308, 0, 0, 1}, {nullptr, "1E308", nullptr, nullptr}, 1},
        {"a minimum too near its maximum", {0, 100, 0, 1e-300}, {nullptr, nullptr, "9,99999999999999E-301", nullptr}, 2},
        {"a y span too small", {0, 100, 0, 100}, {nullptr, nullptr, "1E-310", "2E-310"}, 3},
        {"equal ends the graph cannot widen", {0, 100, 0, 100}, {nullptr, nullptr, "1,7E308", "1,7E308"}, 2},
        {"x at fault before a bad y", {0, 1, 0, 1}, {"-1E308", "1E308", "abc", nullptr}, 0},
        {"a bad maximum after a drawable minimum", {0, 1e308, 0, 1}, {"1", "x", nullptr, nullptr}, 1},
        {"large but drawable, reversed", {0, 1, 0, 1}, {nullptr, nullptr, "1E300", "-1E300"}, -1},
        {"a tiny minimum with its maximum far", {0, 100, 0, 100}, {"1E-310", nullptr, nullptr, nullptr}, -1},
        {"a small but drawable span", {0, 100, 0, 100}, {nullptr, "1E-290", nullptr, nullptr}, -1},
    };
    for (const Case &c : cases) {
        for (bool english : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (english ? " en" : " ru"));
            English = english;
            dialogs.Clear();
            bool acceptedAtFirst = false;
            Drive([&](TNetSizeForm &f) {
                QLineEdit *edits[] = {f.MinXEdit, f.MaxXEdit, f.MinYEdit, f.MaxYEdit};
                for (int i = 0; i < 4; ++i)
                    if (c.typed[i])
                        edits[i]->setText(QString::fromUtf8(c.typed[i]));
                f.OkButton->click();
                acceptedAtFirst = f.result() == QDialog::Accepted;
                if (acceptedAtFirst)
                    return;
                for (QLineEdit *e : edits)
                    e->setText("1"); // mended: the graph widens equal ends
                f.OkButton->click();
            });
            Range r = c.shown;
            ASSERT_TRUE(form.Execute(r.xMin, r.xMax, r.yMin, r.yMax));
            const QLineEdit *edits[] = {form.MinXEdit, form.MaxXEdit, form.MinYEdit, form.MaxYEdit};
            if (c.field < 0) {
                EXPECT_TRUE(acceptedAtFirst);
                EXPECT_TRUE(dialogs.messages.empty());
                const double got[] = {r.xMin, r.xMax, r.yMin, r.yMax};
                for (int i = 0; i < 4; ++i) {
                    double typed = 0;
                    if (c.typed[i] && numtext::TryStrToFloat(QString::fromUtf8(c.typed[i]), typed)) {
                        EXPECT_EQ(got[i], typed) << i;
                    }
                }
                continue;
            }
            EXPECT_FALSE(acceptedAtFirst) << "the dialog stays open";
            ASSERT_EQ(dialogs.messages.size(), 1u);
            EXPECT_EQ(dialogs.messages[0].text, FieldMessages(english)[c.field]) << edits[c.field]->objectName().toStdString();
            EXPECT_EQ(dialogs.messages[0].flags, unsigned(ui::MbOk | ui::MbIconError));
            EXPECT_EQ(r.xMin, 1.0) << "the mended values";
            EXPECT_EQ(r.yMax, 1.0);
        }
    }
}

TEST_F(NetSizeFormTest, AFailedOkLeavesTheFocusWhereItWasAndEnterIsOk)
{
    QWidget *focusAfter = nullptr;
    bool visibleAfter = false;
    Drive([&](TNetSizeForm &f) {
        f.show();
        f.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
        f.MaxYEdit->setFocus();
        f.MinXEdit->setText("bad");
        QTest::keyClick(f.MaxYEdit, Qt::Key_Return); // the default button
        QApplication::processEvents();
        focusAfter = QApplication::focusWidget();
        visibleAfter = f.isVisible();
        f.MinXEdit->setText("0,5");
        QTest::keyClick(f.MaxYEdit, Qt::Key_Return);
    });
    double a = 0, b = 1, c = 0, d = 1;
    ASSERT_TRUE(form.Execute(a, b, c, d));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(focusAfter, form.MaxYEdit);
    EXPECT_TRUE(visibleAfter);
    EXPECT_EQ(a, 0.5);
    EXPECT_FALSE(form.isVisible());
}
