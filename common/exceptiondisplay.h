#pragma once
// The application's exception display: every event handler catches what it
// raises and shows it here, so nothing crosses the Qt event loop.
#include <QString>
#include <exception>
#include <utility>

class QWidget;

// The text as the exception display shows it: a full stop is appended when
// the code of the last character is above that of '.'.
QString ExceptionText(const QString &message);

// A message box with ExceptionText, the application title
// (QCoreApplication::applicationName) as caption and the error icon.
void ShowExceptionMessage(QWidget *owner, const QString &message);
void ShowException(QWidget *owner, const std::exception &e);

// Runs a handler body; whatever it throws is shown, and the hourglass cursor
// it may have set is taken off on every path.
class OverrideCursorGuard {
public:
    OverrideCursorGuard();  // notes how many override cursors are set
    ~OverrideCursorGuard(); // restores those set since
    OverrideCursorGuard(const OverrideCursorGuard &) = delete;
    OverrideCursorGuard &operator=(const OverrideCursorGuard &) = delete;
    // Restores now (before an error box, so it does not show the hourglass).
    void Restore();

private:
    int depth_;
};

// The hourglass: set and restore in pairs; Guarded restores what a handler left set.
void SetHourglass();
void RestoreCursor();

template <class F>
void Guarded(QWidget *owner, F &&body)
{
    OverrideCursorGuard guard;
    try {
        std::forward<F>(body)();
    } catch (const std::exception &e) {
        guard.Restore();
        ShowException(owner, e);
    } catch (...) {
        guard.Restore();
        ShowExceptionMessage(owner, QStringLiteral("Unknown exception"));
    }
}
