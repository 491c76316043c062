#pragma once
// Where a restored window goes, so that a stored position from another
// monitor layout never leaves it out of reach.
#include <QList>
#include <QPoint>
#include <QRect>

class QWidget;

// Where a window of frame rectangle frame goes so that a usable part of it
// (its title strip) lies on one of the screens: frame.topLeft() when it does,
// else the top-left corner of the first screen.
QPoint KeepOnScreen(const QRect &frame, const QList<QRect> &screens);

// Moves window to (left, top), or onto the first screen when its title strip
// would lie on none of the available screen areas.
void MoveOntoScreen(QWidget &window, int left, int top);

// Moves window so that its frame is centred on the available area of the
// primary screen (the desktop centre), as the programs' dialogs open.
void CentreOnDesktop(QWidget &window);
