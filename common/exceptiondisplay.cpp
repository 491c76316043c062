#include "common/exceptiondisplay.h"
#include "common/dialogs.h"
#include <QApplication>
#include <QCursor>
#include <QWidget>

QString ExceptionText(const QString &message)
{
    if (!message.isEmpty() && message.back().unicode() > u'.')
        return message + u'.';
    return message;
}

void ShowExceptionMessage(QWidget *owner, const QString &message)
{
    ui::Message(owner, ExceptionText(message), QCoreApplication::applicationName(),
                ui::MbOk | ui::MbIconError);
}

void ShowException(QWidget *owner, const std::exception &e)
{
    ShowExceptionMessage(owner, QString::fromUtf8(e.what()));
}

namespace {
int hourglassDepth = 0;
}

void SetHourglass()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ++hourglassDepth;
}

void RestoreCursor()
{
    if (hourglassDepth > 0) {
        QApplication::restoreOverrideCursor();
        --hourglassDepth;
    }
}

OverrideCursorGuard::OverrideCursorGuard() : depth_(hourglassDepth) {}

OverrideCursorGuard::~OverrideCursorGuard() { Restore(); }

void OverrideCursorGuard::Restore()
{
    while (hourglassDepth > depth_)
        RestoreCursor();
}
