// Where a restored window goes when a window manager puts its frame round it
// only after it has shown (as the window managers of an X11 desktop do): the
// window is fitted again with that frame, so that its bottom (the designer's
// buttons) does not go off the screen. Runs on a virtual 1366x768 screen with
// a real window manager.
#include "common/windowplace.h"
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QtTest>

class WindowPlaceWmTest : public QObject {
    Q_OBJECT

private slots:
    void aFrameThatComesAfterTheShowIsFitted_data()
    {
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("top");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height"); // -1: the screen's height
        QTest::newRow("the designer's first start") << 1010 << 144 << 874 << 802;
        QTest::newRow("the reader's first start") << 842 << 133 << 838 << 648;
        QTest::newRow("as high as the screen") << 0 << 0 << 600 << -1;
    }

    void aFrameThatComesAfterTheShowIsFitted()
    {
        QFETCH(int, left);
        QFETCH(int, top);
        QFETCH(int, width);
        QFETCH(int, height);
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        if (height < 0)
            height = area.height();

        QWidget w;
        w.setWindowTitle(QStringLiteral("placement"));
        RestoreWindowPlace(w, left, top, width, height);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        // The window manager's frame comes with the events after the show.
        QTRY_VERIFY_WITH_TIMEOUT(w.frameGeometry().height() > w.height(), 10000);
        QTRY_VERIFY2(area.contains(w.frameGeometry()),
                     qPrintable(QStringLiteral("frame %1,%2 %3x%4 on %5x%6")
                                    .arg(w.frameGeometry().x())
                                    .arg(w.frameGeometry().y())
                                    .arg(w.frameGeometry().width())
                                    .arg(w.frameGeometry().height())
                                    .arg(area.width())
                                    .arg(area.height())));
        // Shrunk only where it is larger than the screen.
        QCOMPARE(w.width(), width);
    }
};

QTEST_MAIN(WindowPlaceWmTest)
#include "windowplace_wm_test.moc"
