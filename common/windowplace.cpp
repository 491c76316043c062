#include "common/windowplace.h"
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

QPoint KeepOnScreen(const QRect &frame, const QList<QRect> &screens)
{
    if (screens.isEmpty())
        return frame.topLeft();
    // The title strip must be there to take the window by.
    const QRect strip(frame.left(), frame.top(), std::max(frame.width(), 1), 24);
    for (const QRect &s : screens) {
        const QRect common = s.intersected(strip);
        if (common.width() >= std::min(100, strip.width()) && common.height() >= 8)
            return frame.topLeft();
    }
    return screens.first().topLeft();
}

void MoveOntoScreen(QWidget &window, int left, int top)
{
    QList<QRect> screens;
    for (QScreen *s : QGuiApplication::screens())
        screens << s->availableGeometry();
    window.move(KeepOnScreen(QRect(QPoint(left, top), window.frameGeometry().size()), screens));
}
