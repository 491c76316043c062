// The About dialog of both programs: texts in both languages, the version
// label, and the OK button that ends it.
#include "common/aboutform.h"
#include "common/lang.h"
#include "common/qtdialogs.h"
#include "tests/support/modal_wait.h"
#include "tests/support/recording_dialogs.h"
#include "version.h"
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

namespace {

struct Shown {
    QString caption, title1, title2, version;
};

// Opens the form through the recording seam and notes what it shows.
Shown Open(TAboutForm &form, int *result = nullptr)
{
    RecordingDialogs rec;
    Shown s;
    rec.forms.push_back([&](QDialog &d) {
        s = {d.windowTitle(), form.Title1Label->text(), form.Title2Label->text(), form.VerLabel->text()};
        form.Button1->click();
        return d.result();
    });
    const int r = form.Execute();
    if (result)
        *result = r;
    return s;
}

bool HasCyrillic(const QString &s)
{
    for (QChar c : s)
        if (c.unicode() >= 0x0400 && c.unicode() <= 0x04FF)
            return true;
    return false;
}

} // namespace

class AboutTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { English = false; }

    void texts_data()
    {
        QTest::addColumn<bool>("ostrel");
        QTest::addColumn<bool>("english");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("title1");
        QTest::addColumn<QString>("title2");
        QTest::newRow("Tarvik ru") << false << false << QString::fromUtf8("О программе")
                                   << QString::fromUtf8("Программа создания аппроксимационных шкал")
                                   << QString::fromUtf8("для приборов серий Q5-M8 версии 1.Х.Х");
        QTest::newRow("Tarvik en") << false << true << QString("About") << QString("Program for creating appraxial scales")
                                   << QString::fromUtf8("of devices of Q5-M8 series version 1.Х.Х");
        QTest::newRow("Ostrel ru") << true << false << QString::fromUtf8("О программе")
                                   << QString::fromUtf8("Программа работы с результатами измерений")
                                   << QString::fromUtf8("приборов серий  Q5-M8");
        QTest::newRow("Ostrel en") << true << true << QString("About") << QString("Software for working with measurement")
                                   << QString("results of Q5-M8");
    }

    void texts()
    {
        QFETCH(bool, ostrel);
        QFETCH(bool, english);
        QFETCH(QString, caption);
        QFETCH(QString, title1);
        QFETCH(QString, title2);
        TAboutForm form(ostrel ? OstrelAboutTexts() : TarvikAboutTexts(), QStringLiteral("1.2.3.4"));
        English = english;
        int result = 0;
        const Shown s = Open(form, &result);
        QCOMPARE(s.caption, caption);
        QCOMPARE(s.title1, title1);
        QCOMPARE(s.title2, title2);
        QCOMPARE(s.version, QString("v.1.2.3.4"));
        QCOMPARE(result, int(QDialog::Accepted));
        if (!ostrel) {
            // "1.Х.Х" carries the Cyrillic capital Х, not the Latin X, in both languages.
            QVERIFY(s.title2.endsWith(QString::fromUtf8("1.\u0425.\u0425")));
            QVERIFY(!s.title2.contains(u'X'));
        } else if (english) {
            QVERIFY(!HasCyrillic(s.caption + s.title1 + s.title2));
        }
    }

    // Each opening takes the language of the moment.
    void languageSwitchBetweenOpenings()
    {
        TAboutForm form(TarvikAboutTexts());
        English = true;
        QCOMPARE(Open(form).title1, QString("Program for creating appraxial scales"));
        English = false;
        const Shown s = Open(form);
        QCOMPARE(s.caption, QString::fromUtf8("О программе"));
        QCOMPARE(s.title1, QString::fromUtf8("Программа создания аппроксимационных шкал"));
        English = true;
        QCOMPARE(Open(form).title2, QString::fromUtf8("of devices of Q5-M8 series version 1.Х.Х"));
    }

    void compiledVersion()
    {
        TAboutForm form(OstrelAboutTexts());
        const QString expected = QString("v.%1.%2.%3.0").arg(Q5M8_VERSION_MAJOR).arg(Q5M8_VERSION_MINOR).arg(Q5M8_VERSION_PATCH);
        QCOMPARE(Open(form).version, expected);
        QCOMPARE(CompiledVersion(), QString("3.0.0"));
        QCOMPARE(Open(form).version, QString("v.3.0.0.0"));
    }

    void versionLabel_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("label");
        const QString unknown = "v. ??.??.??.??";
        QTest::newRow("four parts") << "2.4.0.7" << "v.2.4.0.7";
        QTest::newRow("parts above 9") << "1.10.0.12" << "v.1.10.0.12";
        QTest::newRow("16-bit parts") << "65535.0.65535.1" << "v.65535.0.65535.1";
        QTest::newRow("three parts") << "3.0.0" << "v.3.0.0.0";
        QTest::newRow("one part") << "7" << "v.7.0.0.0";
        QTest::newRow("leading zeros") << "03.01.0.010" << "v.3.1.0.10";
        QTest::newRow("none") << "" << unknown;
        QTest::newRow("words") << "abc" << unknown;
        QTest::newRow("five parts") << "1.2.3.4.5" << unknown;
        QTest::newRow("empty part") << "1..2" << unknown;
        QTest::newRow("above 16 bits") << "65536.0.0.0" << unknown;
        QTest::newRow("negative") << "-1.0.0.0" << unknown;
        QTest::newRow("suffix") << "3.0.0-rc1" << unknown;
    }

    void versionLabel()
    {
        QFETCH(QString, version);
        QFETCH(QString, label);
        QCOMPARE(VersionLabelText(version), label);
        TAboutForm form(TarvikAboutTexts(), version);
        QCOMPARE(Open(form).version, label);
    }

    void componentsAndFrame()
    {
        TAboutForm form(TarvikAboutTexts());
        for (const char *name : {"Title1Label", "Title2Label", "VerLabel", "Image1", "Bevel1", "Button1"})
            QVERIFY2(form.findChild<QWidget *>(name), name);
        QCOMPARE(form.Button1->text(), QString("Ok"));
        QVERIFY(form.Title1Label->font().bold());
        QVERIFY(form.VerLabel->font().bold());
        QVERIFY(form.VerLabel->font().pointSizeF() > form.Title1Label->font().pointSizeF());
        QVERIFY(!form.Image1->pixmap().isNull());
        QVERIFY(form.windowFlags() & Qt::WindowContextHelpButtonHint);
        QVERIFY(!(form.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    }

    // No text is cut off in either language or program.
    void textsFit()
    {
        for (const AboutTexts *texts : {&TarvikAboutTexts(), &OstrelAboutTexts()}) {
            for (bool english : {false, true}) {
                English = english;
                TAboutForm form(*texts, QStringLiteral("65535.65535.65535.65535"));
                Open(form);
                for (QLabel *l : {form.Title1Label, form.Title2Label, form.VerLabel}) {
                    QVERIFY2(l->sizeHint().width() <= l->width(), qPrintable(l->text()));
                    QVERIFY2(l->geometry().right() <= form.Bevel1->geometry().right(), qPrintable(l->text()));
                }
            }
        }
    }

    // Through the real dialog: Button1 ends it with OK.
    void realDialogClosesOnOk()
    {
        QtDialogs qt;
        ui::Dialogs *previous = ui::Install(&qt);
        TAboutForm form(OstrelAboutTexts());
        QString title;
        ModalWaiter waiter([&](QWidget *w) {
            title = w->windowTitle();
            QTest::mouseClick(form.Button1, Qt::LeftButton);
        });
        const int result = form.Execute();
        ui::Install(previous);
        QVERIFY(waiter.Done());
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(title, QString::fromUtf8("О программе"));
        QVERIFY(!form.isVisible());
    }
};

QTEST_MAIN(AboutTest)
#include "about_test.moc"
