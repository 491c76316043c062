#pragma once
// Saving a whole file so that no failure loses the old one.
#include <QByteArray>
#include <QString>

// Writes bytes to a temporary beside path, flushes it and renames it over
// path: the old file stays whole until the new one is complete. Only a
// regular file (or none yet) is replaced: a directory, FIFO, socket or device
// is refused without being opened, and so is a file that cannot be written.
// Through a chain of links the file at its end is replaced and the links
// stay; a dangling link gets its file created. The new file keeps the old
// one's mode, and its owner and group where the system allows. The temporary
// is named "." + name + ".saving-XXXXXX" and locked while written; a save
// first removes the unlocked ones of its own file that a killed save left.
// A write beyond the file-size limit fails like a full disk. False on any
// failure, the old file as it was and no temporary left.
bool ReplaceFile(const QString &path, const QByteArray &bytes);
