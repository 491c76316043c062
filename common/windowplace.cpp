#include "common/windowplace.h"
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QRegion>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <functional>
#include <limits>

namespace {

// Beyond any screen yet small enough that sums of two stay in int.
constexpr int MaxExtent = 1 << 24;     // QWIDGETSIZE_MAX + 1
constexpr int MaxOffset = 1 << 28;

long long Area(const QRect &r) { return r.isEmpty() ? 0 : (long long)r.width() * r.height(); }

// Distance between two rectangles along one axis (0 when they overlap on it).
long long Gap(int aFrom, int aTo, int bFrom, int bTo)
{
    if (aTo < bFrom)
        return (long long)bFrom - aTo;
    if (bTo < aFrom)
        return (long long)aFrom - bTo;
    return 0;
}

long long DistanceSquared(const QRect &a, const QRect &b)
{
    const long long dx = Gap(a.left(), a.right(), b.left(), b.right());
    const long long dy = Gap(a.top(), a.bottom(), b.top(), b.bottom());
    return dx * dx + dy * dy;
}

QList<QRect> AvailableAreas()
{
    QList<QRect> areas;
    for (QScreen *s : QGuiApplication::screens())
        if (!s->availableGeometry().isEmpty())
            areas << s->availableGeometry();
    return areas;
}

QMargins FrameMargins(const QWidget &window)
{
    const QRect frame = window.frameGeometry();
    const QRect client = window.geometry();
    return {client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
            frame.bottom() - client.bottom()};
}

// Puts window's frame at frame, its client area being what the margins leave.
void Apply(QWidget &window, const QRect &frame, const QMargins &m)
{
    window.resize(std::max(frame.width() - m.left() - m.right(), 1),
                  std::max(frame.height() - m.top() - m.bottom(), 1));
    window.move(frame.topLeft());
}

// Runs once, when the window is first being shown: only then does a window
// know its frame. One of each name is kept however often it is asked for.
class WhenShown : public QObject {
public:
    WhenShown(QWidget &window, const char *name, std::function<void(QWidget &)> run)
        : QObject(&window), run_(std::move(run))
    {
        setObjectName(QLatin1String(name));
        window.installEventFilter(this);
    }
    static void Once(QWidget &window, const char *name, std::function<void(QWidget &)> run)
    {
        if (!window.findChild<WhenShown *>(QLatin1String(name), Qt::FindDirectChildrenOnly))
            new WhenShown(window, name, std::move(run));
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == parent() && event->type() == QEvent::Show) {
            watched->removeEventFilter(this);
            run_(*static_cast<QWidget *>(watched));
            deleteLater();
        }
        return false;
    }

private:
    std::function<void(QWidget &)> run_;
};

// Fits the shown window again, with its frame.
void FitShown(QWidget &window)
{
    // The frame arrives with the first events after the show.
    QTimer::singleShot(0, &window, [w = QPointer<QWidget>(&window)] {
        if (w && w->isVisible() && !w->isMaximized() && !w->isFullScreen()) {
            const QRect frame = w->frameGeometry();
            const QRect fit = FitOnScreen(frame.left(), frame.top(), frame.width(), frame.height(), AvailableAreas());
            if (fit != frame)
                Apply(*w, fit, FrameMargins(*w));
        }
    });
}

// Fits a shown window again whenever its frame changes: the first show, and a
// window manager that adds its frame only after the window has shown (X11
// window managers do), so that the frame it adds does not push the bottom of
// the window off the screen. A window the user moves keeps its frame and is
// left where it is put.
class FrameWatch : public QObject {
public:
    explicit FrameWatch(QWidget &window) : QObject(&window), margins_(FrameMargins(window))
    {
        setObjectName(QStringLiteral("windowPlaceCheck"));
        window.installEventFilter(this);
    }
    static void On(QWidget &window)
    {
        if (!window.findChild<FrameWatch *>(QStringLiteral("windowPlaceCheck"), Qt::FindDirectChildrenOnly))
            new FrameWatch(window);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != parent())
            return false;
        auto &window = *static_cast<QWidget *>(watched);
        switch (event->type()) {
        case QEvent::Show:
            margins_ = FrameMargins(window);
            FitShown(window);
            break;
        case QEvent::Move:
        case QEvent::Resize:
            if (window.isVisible() && FrameMargins(window) != margins_) {
                margins_ = FrameMargins(window);
                FitShown(window);
            }
            break;
        default:
            break;
        }
        return false;
    }

private:
    QMargins margins_;
};

void CentreFrame(QWidget &window)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = window.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window.move(frame.topLeft()); // a window's position is its frame's
}

} // namespace

QRect FitOnScreen(int left, int top, int width, int height, const QList<QRect> &screens)
{
    // Limited first, so that nothing below can overflow.
    const QRect frame(std::clamp(left, -MaxOffset, MaxOffset), std::clamp(top, -MaxOffset, MaxOffset),
                      std::clamp(width, 1, MaxExtent), std::clamp(height, 1, MaxExtent));
    if (screens.isEmpty())
        return frame;
    QRegion all;
    for (const QRect &s : screens)
        all += s;
    if (frame.left() == left && frame.top() == top && frame.width() == width && frame.height() == height
        && QRegion(frame).subtracted(all).isEmpty())
        return frame;

    // The screen that holds most of it, else the nearest one.
    const QRect *target = &screens.first();
    long long bestArea = -1, bestDistance = std::numeric_limits<long long>::max();
    for (const QRect &s : screens) {
        const long long area = Area(s.intersected(frame));
        const long long distance = DistanceSquared(s, frame);
        if (area > bestArea || (area == 0 && bestArea == 0 && distance < bestDistance)) {
            target = &s;
            bestArea = area;
            bestDistance = distance;
        }
    }
    const QRect &s = *target;
    const int w = std::min(frame.width(), s.width());
    const int h = std::min(frame.height(), s.height());
    const int x = std::clamp(frame.left(), s.left(), s.left() + s.width() - w);
    const int y = std::clamp(frame.top(), s.top(), s.top() + s.height() - h);
    return {x, y, w, h};
}

void RestoreWindowPlace(QWidget &window, int left, int top, int width, int height)
{
    const QMargins m = FrameMargins(window);
    // The frame's extent in 64 bits: the stored size may be anything.
    auto extent = [](int client, int a, int b) {
        return int(std::clamp<long long>((long long)std::max(client, 1) + a + b, 1, MaxExtent));
    };
    const QRect fit = FitOnScreen(left, top, extent(width, m.left(), m.right()), extent(height, m.top(), m.bottom()),
                                  AvailableAreas());
    Apply(window, fit, m);
    FrameWatch::On(window);
}

void CentreOnDesktop(QWidget &window)
{
    CentreFrame(window);
    if (!window.testAttribute(Qt::WA_WState_Created))
        WhenShown::Once(window, "centreWhenShown", CentreFrame);
}
