#pragma once
// For the tests of where a main window opens: the screen the test runs on
// (the offscreen platform's own, or one a run sets up from
// tests/support/screens), and a window shown as the program shows it.
#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QString>
#include <QTest>
#include <QWidget>
#include <map>

// The primary screen's available area.
inline QRect ScreenArea()
{
    QScreen *s = QGuiApplication::primaryScreen();
    return s ? s->availableGeometry() : QRect();
}

// "1280x1024" for the screen the test runs on.
inline QString ScreenName()
{
    const QRect a = ScreenArea();
    return QStringLiteral("%1x%2").arg(a.width()).arg(a.height());
}

// Where a window is expected: its frame position and its client size.
struct WindowPlace {
    QPoint pos;
    QSize size;
    bool operator==(const WindowPlace &o) const { return pos == o.pos && size == o.size; }
};

inline WindowPlace PlaceOf(const QWidget &w) { return {w.pos(), w.size()}; }

inline std::ostream &operator<<(std::ostream &os, const WindowPlace &p)
{
    return os << '(' << p.pos.x() << ", " << p.pos.y() << ") " << p.size.width() << 'x' << p.size.height();
}

// Shows the window and lets what follows a first show run.
inline bool ShowSettled(QWidget &w)
{
    w.show();
    const bool exposed = QTest::qWaitForWindowExposed(&w);
    QTest::qWait(20);
    return exposed;
}

// All of rect (global coordinates) lies on the screen's available area.
inline bool WhollyOnScreen(const QRect &rect) { return ScreenArea().contains(rect); }

// A case of where a main window opens: the [Window] values stored (null: not
// stored) and, by screen, where the shown window is.
struct PlaceCase {
    const char *name;
    const char *left, *top, *width, *height;
    std::map<QString, WindowPlace> expected;
};

inline void PrintTo(const PlaceCase &c, std::ostream *os) { *os << c.name; }
