#pragma once
// The machine's serial ports for the port boxes: every terminal under
// /sys/class/tty that belongs to a device (virtual consoles and
// pseudo-terminals have none), as device paths in natural order
// (/dev/ttyS2 before /dev/ttyS10). Serial-core ports whose UART type is 0
// (no hardware behind the name) are left out. The boxes also take a typed
// path, such as the link of the instrument emulator.
#include <QString>
#include <QStringList>

QStringList SerialPortNames(const QString &sysClassTty = QStringLiteral("/sys/class/tty"),
                            const QString &devDir = QStringLiteral("/dev"));

// Natural order: runs of digits compare by value.
bool NaturalLess(const QString &a, const QString &b);
