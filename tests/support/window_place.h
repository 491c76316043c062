#pragma once
// For the tests of where a main window opens: the screen the test runs on
// (the offscreen platform's own, or one a run sets up from
// tests/support/screens), a window shown as the program shows it, and one
// run of a case for either program's window.
#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QSettings>
#include <QString>
#include <QTest>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <utility>

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

// Stores the case's [Window] values (a null one is left unstored) under the
// program's settings name, as its last run would have left them.
inline void StoreWindowValues(const PlaceCase &c, const QString &settingsName)
{
    QSettings s(QSettings::IniFormat, QSettings::UserScope, settingsName);
    const std::pair<const char *, const char *> values[] = {
        {"Left", c.left}, {"Top", c.top}, {"Width", c.width}, {"Height", c.height}};
    for (const auto &[key, value] : values)
        if (value)
            s.setValue(QStringLiteral("Window/") + QLatin1String(key), QString::fromLatin1(value));
}

// One case against a program's main window: its values stored, the window
// started (start) and shown where the case expects it on this screen, wholly
// on it, and whatever shown checks of it; destroyed (stop), the settings file
// iniPath holds the place it had, and the next start opens there again.
// The two programs' windows cannot share a test program, hence the callbacks.
template <class Window>
void CheckPlaceCase(const PlaceCase &c, const QString &settingsName, const QString &iniPath,
                    const std::function<Window &()> &start, const std::function<void()> &stop,
                    const std::function<void(Window &)> &shown = {})
{
    StoreWindowValues(c, settingsName);
    const auto expected = c.expected.find(ScreenName());
    ASSERT_NE(expected, c.expected.end()) << "no case for the screen " << ScreenName().toStdString();

    Window &f = start();
    ASSERT_TRUE(ShowSettled(f));
    EXPECT_EQ(PlaceOf(f), expected->second);
    EXPECT_TRUE(WhollyOnScreen(f.frameGeometry()));
    if (shown)
        shown(f);

    // What the window had at exit is what the next start finds.
    const WindowPlace atExit = PlaceOf(f);
    stop();
    QSettings s(iniPath, QSettings::IniFormat);
    EXPECT_EQ(s.value("Window/Left").toInt(), atExit.pos.x());
    EXPECT_EQ(s.value("Window/Top").toInt(), atExit.pos.y());
    EXPECT_EQ(s.value("Window/Width").toInt(), atExit.size.width());
    EXPECT_EQ(s.value("Window/Height").toInt(), atExit.size.height());
    Window &again = start();
    ASSERT_TRUE(ShowSettled(again));
    EXPECT_EQ(PlaceOf(again), atExit) << "nothing drifts";
}
