// The real dialogs answer with the Win32 results the logic expects, and speak
// the language of the moment.
#include "common/lang.h"
#include "common/qtdialogs.h"
#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>

class QtDialogsTest : public QObject {
    Q_OBJECT

    // Runs `act` on the modal box once it is up.
    static void WhenModal(std::function<void(QWidget *)> act)
    {
        QTimer::singleShot(0, [act] {
            QWidget *w = QApplication::activeModalWidget();
            if (!w) {
                WhenModal(act);
                return;
            }
            act(w);
        });
    }

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
        WhenModal([&](QWidget *w) {
            caption = w->windowTitle();
            if (auto *box = qobject_cast<QMessageBox *>(w))
                icon = box->icon();
            QAbstractButton *b = ButtonNamed(w, press);
            QVERIFY(b);
            b->click();
        });
        QtDialogs d;
        QCOMPARE(d.Message(nullptr, "text", "Caption", flags), result);
        QCOMPARE(caption, QString("Caption"));
        QCOMPARE(icon, ui::IconOf(flags) == ui::MbIconError ? QMessageBox::Critical : QMessageBox::Question);
        English = false;
    }

    void emptyCaptionIsApplicationTitle()
    {
        QApplication::setApplicationDisplayName("Scale");
        QString caption;
        WhenModal([&](QWidget *w) {
            caption = w->windowTitle();
            ButtonNamed(w, "OK")->click();
        });
        QtDialogs d;
        QCOMPARE(d.Message(nullptr, "plain", QString(), ui::MbOk), int(ui::IdOk));
        QCOMPARE(caption, QString("Scale"));
    }

    void inputQuery()
    {
        WhenModal([](QWidget *w) {
            auto *edit = w->findChild<QLineEdit *>();
            QVERIFY(edit);
            QCOMPARE(edit->text(), QString("old"));
            edit->setText(QString::fromUtf8("новый"));
            qobject_cast<QDialog *>(w)->accept();
        });
        QtDialogs d;
        QString value = "old";
        QVERIFY(d.InputQuery(nullptr, "c", "p", value));
        QCOMPARE(value, QString::fromUtf8("новый"));
        WhenModal([](QWidget *w) { qobject_cast<QDialog *>(w)->reject(); });
        QVERIFY(!d.InputQuery(nullptr, "c", "p", value));
        QCOMPARE(value, QString::fromUtf8("новый"));
    }
};

QTEST_MAIN(QtDialogsTest)
#include "qtdialogs_test.moc"
