// The real dialogs answer with the Win32 results the logic expects, and speak
// the language of the moment.
#include "common/lang.h"
#include "common/qtdialogs.h"
#include "common/qttranslation.h"
#include "tests/support/modal_wait.h"
#include <QApplication>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QtTest>

class QtDialogsTest : public QObject {
    Q_OBJECT

    static QAbstractButton *ButtonNamed(QWidget *w, const QString &text)
    {
        for (QAbstractButton *b : w->findChildren<QAbstractButton *>())
            if (b->text() == text)
                return b;
        return nullptr;
    }

private slots:
    void messageButtonsAndIcon_data()
    {
        QTest::addColumn<bool>("english");
        QTest::addColumn<unsigned>("flags");
        QTest::addColumn<QString>("press");
        QTest::addColumn<int>("result");
        QTest::newRow("ru yes") << false << unsigned(ui::MbYesNoCancel | ui::MbIconQuestion) << QString::fromUtf8("Да") << int(ui::IdYes);
        QTest::newRow("ru no") << false << unsigned(ui::MbYesNoCancel | ui::MbIconQuestion) << QString::fromUtf8("Нет") << int(ui::IdNo);
        QTest::newRow("ru cancel") << false << unsigned(ui::MbYesNoCancel | ui::MbIconQuestion) << QString::fromUtf8("Отмена") << int(ui::IdCancel);
        QTest::newRow("en no") << true << unsigned(ui::MbYesNo | ui::MbIconQuestion) << QString("No") << int(ui::IdNo);
        QTest::newRow("en ok") << true << unsigned(ui::MbOk | ui::MbIconError) << QString("OK") << int(ui::IdOk);
    }

    void messageButtonsAndIcon()
    {
        QFETCH(bool, english);
        QFETCH(unsigned, flags);
        QFETCH(QString, press);
        QFETCH(int, result);
        English = english;
        QString caption;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        bool found = false;
        ModalWaiter waiter([&](QWidget *w) {
            caption = w->windowTitle();
            if (auto *box = qobject_cast<QMessageBox *>(w))
                icon = box->icon();
            if (QAbstractButton *b = ButtonNamed(w, press)) {
                found = true;
                b->click();
            }
        });
        QtDialogs d;
        const int answer = d.Message(nullptr, "text", "Caption", flags);
        English = false;
        QVERIFY(waiter.Done());
        QVERIFY(found);
        QCOMPARE(answer, result);
        QCOMPARE(caption, QString("Caption"));
        QCOMPARE(icon, ui::IconOf(flags) == ui::MbIconError ? QMessageBox::Critical : QMessageBox::Question);
    }

    void emptyCaptionIsApplicationTitle()
    {
        QApplication::setApplicationDisplayName("Scale");
        QString caption;
        ModalWaiter waiter([&](QWidget *w) {
            caption = w->windowTitle();
            if (QAbstractButton *b = ButtonNamed(w, "OK"))
                b->click();
        });
        QtDialogs d;
        QCOMPARE(d.Message(nullptr, "plain", QString(), ui::MbOk), int(ui::IdOk));
        QVERIFY(waiter.Done());
        QCOMPARE(caption, QString("Scale"));
    }

    void inputQuery()
    {
        QtDialogs d;
        QString value = "old";
        QString shown;
        {
            ModalWaiter waiter([&](QWidget *w) {
                if (auto *edit = w->findChild<QLineEdit *>()) {
                    shown = edit->text();
                    edit->setText(QString::fromUtf8("новый"));
                }
                qobject_cast<QDialog *>(w)->accept();
            });
            QVERIFY(d.InputQuery(nullptr, "c", "p", value));
            QVERIFY(waiter.Done());
        }
        QCOMPARE(shown, QString("old"));
        QCOMPARE(value, QString::fromUtf8("новый"));
        ModalWaiter waiter([](QWidget *w) { qobject_cast<QDialog *>(w)->reject(); });
        QVERIFY(!d.InputQuery(nullptr, "c", "p", value));
        QVERIFY(waiter.Done());
        QCOMPARE(value, QString::fromUtf8("новый"));
    }

    void printSetupShowsThePrintDialog()
    {
        QtDialogs d;
        QPrinter printer;
        bool isPrintDialog = false;
        {
            ModalWaiter waiter([&](QWidget *w) {
                isPrintDialog = qobject_cast<QPrintDialog *>(w) != nullptr;
                qobject_cast<QDialog *>(w)->reject();
            });
            QVERIFY(!d.PrintSetup(nullptr, printer, {}));
            QVERIFY(waiter.Done());
        }
        QVERIFY(isPrintDialog);
        ModalWaiter waiter([&](QWidget *w) { qobject_cast<QDialog *>(w)->accept(); });
        QVERIFY(d.PrintSetup(nullptr, printer, {}));
        QVERIFY(waiter.Done());
    }

    void execFormRunsTheFormModally()
    {
        QtDialogs d;
        QDialog form;
        bool modal = false;
        {
            ModalWaiter waiter([&](QWidget *w) {
                modal = w == &form;
                form.accept();
            });
            QCOMPARE(d.ExecForm(form), int(QDialog::Accepted));
            QVERIFY(waiter.Done());
        }
        QVERIFY(modal);
        ModalWaiter waiter([&](QWidget *) { form.reject(); });
        QCOMPARE(d.ExecForm(form), int(QDialog::Rejected));
        QVERIFY(waiter.Done());
    }

    // The waiter itself: a modal left open is closed after the time-out, and
    // one that never comes is reported, so neither case hangs the test.
    void waiterGivesUpInsteadOfHanging()
    {
        QDialog form;
        {
            ModalWaiter waiter([](QWidget *) {}, 200);
            QtDialogs d;
            QCOMPARE(d.ExecForm(form), int(QDialog::Rejected));
            QVERIFY(waiter.Seen());
            QVERIFY(waiter.TimedOut());
            QVERIFY(!waiter.Done());
        }
        ModalWaiter waiter([](QWidget *) {}, 100);
        QTRY_VERIFY_WITH_TIMEOUT(waiter.TimedOut(), 2000);
        QVERIFY(!waiter.Seen());
    }

    // A second modal that nobody expected (an error box after the dialog) is
    // closed at once and reported, instead of blocking the test.
    void waiterClosesAnUnexpectedModal()
    {
        QtDialogs d;
        QDialog form;
        ModalWaiter waiter([&](QWidget *) { form.accept(); });
        QCOMPARE(d.ExecForm(form), int(QDialog::Accepted));
        QCOMPARE(d.Message(nullptr, "Disk full", "Scale", ui::MbOk | ui::MbIconError), int(ui::IdOk));
        QVERIFY(waiter.Seen());
        QVERIFY(!waiter.Done());
        QCOMPARE(waiter.Unexpected(), QStringList{"Scale: Disk full"});
    }

    // Qt's own standard buttons follow the language.
    void qtTextsFollowTheLanguage()
    {
        English = false;
        QVERIFY(UpdateQtTranslation());
        QDialogButtonBox ru(QDialogButtonBox::Cancel);
        QCOMPARE(ru.button(QDialogButtonBox::Cancel)->text(), QString::fromUtf8("Отмена"));
        QVERIFY(UpdateQtTranslation()); // a second call changes nothing
        English = true;
        QVERIFY(UpdateQtTranslation());
        QDialogButtonBox en(QDialogButtonBox::Cancel);
        QCOMPARE(en.button(QDialogButtonBox::Cancel)->text(), QString("Cancel"));
        English = false;
        QVERIFY(UpdateQtTranslation());
        QDialogButtonBox back(QDialogButtonBox::Cancel);
        QCOMPARE(back.button(QDialogButtonBox::Cancel)->text(), QString::fromUtf8("Отмена"));
        English = true;
        UpdateQtTranslation();
        English = false;
    }
};

QTEST_MAIN(QtDialogsTest)
#include "qtdialogs_test.moc"
