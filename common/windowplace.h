#pragma once
// Where a restored window goes: wholly on the screen, so that a stored place
// from another monitor layout, a default made for a larger screen or an
// absurd stored size never leaves part of the window out of reach.
#include <QList>
#include <QRect>

class QWidget;

// The frame rectangle for a window whose frame would be (left, top, width,
// height): that rectangle itself when it lies wholly on the screens' available
// areas; otherwise it goes onto the screen it overlaps most (the nearest when
// it overlaps none), shrunk only where it is larger than that screen's area
// and moved no further than needed for all of it to show. Any int values are
// taken, extremes included. With no screens the rectangle is kept as it is,
// its size limited to what a window can have.
QRect FitOnScreen(int left, int top, int width, int height, const QList<QRect> &screens);

// Restores window's place: its frame at (left, top) and its client area width
// x height (at least 1 x 1), fitted onto the available screen areas as
// FitOnScreen says. The fit is checked again when the window first shows, as
// only then is a window manager's frame known.
void RestoreWindowPlace(QWidget &window, int left, int top, int width, int height);

// Moves window so that its frame is centred on the available area of the
// primary screen (the desktop centre), as the programs' dialogs open.
void CentreOnDesktop(QWidget &window);
