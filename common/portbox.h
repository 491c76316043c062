#pragma once
// The port boxes of both programs: the machine's serial ports to choose
// from, and any device path typed in (such as the emulator's link).
#include <QStringList>

class QComboBox;
class QWidget;

QComboBox *NewPortBox(QWidget *parent, const char *objectName);

// Refills box with ports and selects index when it is one of them (else
// none); a non-empty typed text that differs stays as the box's text.
void FillPortBox(QComboBox *box, const QStringList &ports, int index, const QString &typed);
