#include "common/windowplace.h"
#include <QEvent>
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

namespace {

void CentreFrame(QWidget &window)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = window.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window.move(frame.topLeft()); // a window's position is its frame's
}

// Before its first showing a window does not know its frame; once it is
// being shown it does, and is centred again with it.
class CentreWhenShown : public QObject {
public:
    explicit CentreWhenShown(QWidget &window) : QObject(&window)
    {
        setObjectName(QStringLiteral("CentreWhenShown"));
        window.installEventFilter(this);
    }
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && watched == parent()) {
            watched->removeEventFilter(this);
            CentreFrame(*static_cast<QWidget *>(watched));
            deleteLater();
        }
        return false;
    }
};

} // namespace

void CentreOnDesktop(QWidget &window)
{
    CentreFrame(window);
    if (!window.testAttribute(Qt::WA_WState_Created) &&
        !window.findChild<CentreWhenShown *>(QStringLiteral("CentreWhenShown"), Qt::FindDirectChildrenOnly))
        new CentreWhenShown(window);
}
