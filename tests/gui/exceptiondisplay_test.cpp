// The exception display: the text rule, the caption and icon, and the
// hourglass taken off on every path.
#include "common/exceptiondisplay.h"
#include "tests/support/recording_dialogs.h"
#include <QApplication>
#include <QCursor>
#include <QtTest>
#include <stdexcept>

namespace {

// Notes whether the hourglass was still on when each box was shown.
class CursorNotingDialogs : public RecordingDialogs {
public:
    int Message(QObject *owner, const QString &text, const QString &caption, unsigned flags) override
    {
        cursorAtMessage.push_back(QApplication::overrideCursor() != nullptr);
        return RecordingDialogs::Message(owner, text, caption, flags);
    }
    std::vector<bool> cursorAtMessage;
};

} // namespace

class ExceptionDisplayTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QCoreApplication::setApplicationName("Scale"); }

    void text_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("letter") << QString::fromUtf8("Файл не найден") << QString::fromUtf8("Файл не найден.");
        QTest::newRow("full stop") << "Done." << "Done.";
        QTest::newRow("digit") << "Code 5" << "Code 5.";
        QTest::newRow("question mark") << "Why?" << "Why?.";
        QTest::newRow("slash, one above") << "a/" << "a/.";
        QTest::newRow("minus, one below") << "a-" << "a-";
        QTest::newRow("exclamation") << "Stop !" << "Stop !";
        QTest::newRow("bracket") << "(x)" << "(x)";
        QTest::newRow("blank") << "x " << "x ";
        QTest::newRow("empty") << "" << "";
    }

    void text()
    {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        QCOMPARE(ExceptionText(message), shown);
        RecordingDialogs rec;
        Guarded(nullptr, [&] { throw std::runtime_error(message.toStdString()); });
        QCOMPARE(rec.Texts(), QStringList{shown});
    }

    void captionIconAndOwner()
    {
        RecordingDialogs rec;
        QWidget owner;
        Guarded(&owner, [] { throw std::runtime_error("Bad"); });
        QCOMPARE(rec.messages.size(), size_t(1));
        QCOMPARE(rec.messages[0].caption, QString("Scale"));
        QCOMPARE(rec.messages[0].owner, &owner);
        QCOMPARE(ui::ButtonsOf(rec.messages[0].flags), unsigned(ui::MbOk));
        QCOMPARE(ui::IconOf(rec.messages[0].flags), unsigned(ui::MbIconError));
        QCoreApplication::setApplicationName("Ostrel");
        Guarded(nullptr, [] { throw std::logic_error("x"); });
        QCOMPARE(rec.messages.back().caption, QString("Ostrel"));
        QCoreApplication::setApplicationName("Scale");
    }

    void hourglassRestoredOnEveryPath()
    {
        CursorNotingDialogs rec;
        QVERIFY(!QApplication::overrideCursor());
        // Normal return with the hourglass left on.
        Guarded(nullptr, [] { SetHourglass(); SetHourglass(); });
        QVERIFY(!QApplication::overrideCursor());
        // An exception: the box is shown with the normal cursor.
        Guarded(nullptr, [] {
            SetHourglass();
            throw std::runtime_error("fails");
        });
        QVERIFY(!QApplication::overrideCursor());
        // Something that is no std::exception.
        Guarded(nullptr, [] {
            SetHourglass();
            throw 42;
        });
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(rec.Texts(), QStringList({"fails.", "Unknown exception."}));
        QCOMPARE(rec.cursorAtMessage, std::vector<bool>({false, false}));
        // An hourglass set outside the handler is the caller's to take off.
        SetHourglass();
        Guarded(nullptr, [] {
            SetHourglass();
            throw std::runtime_error("inner");
        });
        QVERIFY(QApplication::overrideCursor());
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        RestoreCursor();
        QVERIFY(!QApplication::overrideCursor());
        RestoreCursor(); // unpaired: harmless
        QVERIFY(!QApplication::overrideCursor());
    }
};

QTEST_MAIN(ExceptionDisplayTest)
#include "exceptiondisplay_test.moc"
